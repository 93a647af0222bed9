"""The admin interface under /_emulator/: reset, fixtures, the request log, faults,
generated rows, the clock and shutdown. Replies are JSON."""

import json
import threading
import time
from urllib.parse import parse_qs

from . import fixtures

PREFIX = "/_emulator/"


class RequestLog:
    """Every API request received, in order, as the client sent it."""

    def __init__(self):
        self.lock = threading.Lock()
        self.entries = []
        self.seq = 0

    def add(self, entry):
        with self.lock:
            self.seq += 1
            entry["seq"] = self.seq
            entry["time"] = time.time()
            self.entries.append(entry)
        return entry

    def clear(self):
        with self.lock:
            self.entries = []

    def since(self, seq, action=None):
        with self.lock:
            return [e for e in self.entries if e["seq"] > seq and (action is None or e["action"] == action)]


class AdminError(Exception):
    def __init__(self, status, message):
        super().__init__(message)
        self.status = status


def query_args(query):
    """A URL's query string as a dict; a repeated name keeps its last value."""
    return {k: v[-1] for k, v in parse_qs(query).items()}


def handle(emu, method, path, query, body):
    """Returns (HTTP status, JSON-able reply)."""
    route = path[len(PREFIX):].strip("/")
    args = query_args(query)
    try:
        data = json.loads(body.decode("utf-8")) if body.strip() else {}
    except ValueError as e:
        return 400, {"error": "body is not JSON: %s" % e}
    try:
        return 200, _dispatch(emu, method, route, args, data)
    except AdminError as e:
        return e.status, {"error": str(e)}
    except (fixtures.FixtureError, ValueError, KeyError, TypeError) as e:
        return 400, {"error": str(e)}


def _dispatch(emu, method, route, args, data):
    store = emu.store
    if route == "ping":
        return {"ok": True, "port": emu.port, "tls": emu.tls}
    if route == "reset" and method == "POST":
        store.reset()
        emu.faults.clear()
        emu.log.clear()
        if data.get("fixture"):
            return {"loaded": fixtures.load(store, data["fixture"])}
        if data.get("path"):
            return {"loaded": fixtures.load_file(store, data["path"])}
        return {"ok": True}
    if route == "fixture" and method == "POST":
        if "path" in data and len(data) == 1:
            return fixtures.load_file(store, data["path"])
        return fixtures.load(store, data)
    if route == "log":
        if method == "DELETE":
            emu.log.clear()
            return {"ok": True}
        return {"entries": emu.log.since(int(args.get("since", 0)), args.get("action"))}
    if route == "log/clear" and method == "POST":
        emu.log.clear()
        return {"ok": True}
    if route == "faults":
        if method == "DELETE":
            emu.faults.clear()
            return {"ok": True}
        if method == "POST":
            wants = data if isinstance(data, list) else [data]
            return {"added": [emu.faults.add(s) for s in wants]}
        return {"pending": emu.faults.list()}
    if route == "generate" and method == "POST":
        return fixtures.generate(store, data["table"], int(data["rows"]), int(data.get("seed", 1)))
    if route == "clock" and method == "POST":
        with store.lock:
            store.clock_offset_ms += int(float(data.get("advance_seconds", 0)) * 1000)
        return {"now_ms": store.now_ms()}
    if route == "dbs":
        with store.tx():
            return {"apps": [{"name": a["name"], "dbid": a["dbid"],
                              "tables": {t["name"]: t["dbid"] for t in store.tables_of(a["dbid"])}}
                             for a in store.apps()]}
    if route == "shutdown" and method == "POST":
        threading.Thread(target=emu.shutdown, daemon=True).start()
        return {"ok": True}
    raise AdminError(404, "no admin route %s %s" % (method, route))
