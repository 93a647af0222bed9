"""Starting and stopping the emulator from tests, benchmarks and the demo, and a
small client for its API and admin interface."""

import http.client
import json
import os
import select
import signal
import ssl
import subprocess
import tempfile
import time
import xml.etree.ElementTree as ET
from xml.sax.saxutils import escape, quoteattr

PYTHON = "/usr/bin/python3"
# Requests carry a carriage return as a reference, as the driver sends it: a
# raw one would be read as a line feed.
_CR = {"\r": "&#13;"}
RUN_PY = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "run.py")


class StartError(RuntimeError):
    pass


def read_port(proc, deadline):
    """The port run.py prints on its first line, or None if it exits or the deadline passes first."""
    line = b""
    while not line.endswith(b"\n"):
        left = deadline - time.monotonic()
        exited_quietly = proc.poll() is not None and not select.select([proc.stdout], [], [], 0)[0]
        if left <= 0 or exited_quietly:
            return None
        ready, _, _ = select.select([proc.stdout], [], [], left)
        if ready:
            chunk = os.read(proc.stdout.fileno(), 1)
            if not chunk:
                return None
            line += chunk
    return int(line.decode().strip())


def wait_answering(proc, client, deadline):
    """True once the emulator answers a ping; False if it exits or the deadline passes first."""
    while not client.ping():
        if time.monotonic() > deadline or proc.poll() is not None:
            return False
        time.sleep(0.05)
    return True


class Client:
    """Talks to a running emulator: XML API calls, downloads and admin requests."""

    def __init__(self, host, port, tls=False, timeout=30):
        self.host, self.port, self.tls, self.timeout = host, port, tls, timeout

    @property
    def base_url(self):
        return "%s://%s:%d" % ("https" if self.tls else "http", self.host, self.port)

    def _conn(self):
        if self.tls:
            ctx = ssl.create_default_context()
            ctx.check_hostname = False
            ctx.verify_mode = ssl.CERT_NONE  # the test harness's own self-signed server
            return http.client.HTTPSConnection(self.host, self.port, timeout=self.timeout, context=ctx)
        return http.client.HTTPConnection(self.host, self.port, timeout=self.timeout)

    def request(self, method, path, body=None, headers=None):
        conn = self._conn()
        try:
            conn.request(method, path, body=body, headers=headers or {})
            resp = conn.getresponse()
            return resp.status, dict(resp.getheaders()), resp.read()
        finally:
            conn.close()

    @staticmethod
    def build_body(params=(), fields=()):
        """params: dict or [(tag, text)]; fields: [(fid, text)] or [(fid, text, filename)]."""
        items = params.items() if isinstance(params, dict) else params
        parts = ['<?xml version="1.0" encoding="UTF-8"?>\n<qdbapi>']
        for tag, text in items:
            parts.append("<%s>%s</%s>" % (tag, escape(str(text), _CR), tag))
        for f in fields:
            fname = ' filename=%s' % quoteattr(f[2]) if len(f) > 2 and f[2] is not None else ""
            parts.append('<field fid="%s"%s>%s</field>' % (f[0], fname, escape(str(f[1]), _CR)))
        parts.append("</qdbapi>")
        return "".join(parts).encode("utf-8")

    def call(self, action, dbid="main", params=(), fields=(), cookie=None, body=None):
        """Raw call: (HTTP status, headers, body bytes)."""
        headers = {"QUICKBASE-ACTION": action, "Content-Type": "application/xml"}
        if cookie:
            headers["Cookie"] = cookie
        if body is None:
            body = self.build_body(params, fields)
        return self.request("POST", "/db/" + dbid, body, headers)

    def api(self, action, dbid="main", params=(), fields=(), cookie=None, body=None):
        """Parsed reply root; raises if the HTTP status is not 200."""
        status, _, data = self.call(action, dbid, params, fields, cookie, body)
        if status != 200:
            raise AssertionError("HTTP %d from %s: %r" % (status, action, data[:200]))
        return ET.fromstring(data)

    def admin(self, method, route, data=None):
        body = json.dumps(data).encode() if data is not None else None
        status, _, reply = self.request(method, "/_emulator/" + route, body,
                                        {"Content-Type": "application/json"} if body else {})
        out = json.loads(reply.decode("utf-8"))
        if status != 200:
            raise AssertionError("admin %s %s: HTTP %d %s" % (method, route, status, out))
        return out

    def ping(self):
        try:
            return self.admin("GET", "ping").get("ok", False)
        except (OSError, ValueError, AssertionError, http.client.HTTPException):
            return False


class EmulatorProcess:
    """Runs run.py in a child process. Use as a context manager, or start()/stop()."""

    def __init__(self, fixtures=(), db=None, tls=None, extra_args=(), timeout=20):
        # The emulator ends with the process that started it, even one that dies without stop().
        self.args = [PYTHON, RUN_PY, "--port", "0", "--host", "127.0.0.1", "--owner", str(os.getpid())]
        for f in fixtures:
            self.args += ["--fixture", f]
        if db:
            self.args += ["--db", db]
        if tls:
            self.args += ["--tls", tls[0], tls[1]]
        self.args += list(extra_args)
        self.tls = bool(tls)
        self.timeout = timeout
        self.proc = None
        self.port = None
        self.client = None
        self.stderr = None

    def start(self):
        self.stderr = tempfile.TemporaryFile()
        self.proc = subprocess.Popen(self.args, stdout=subprocess.PIPE, stderr=self.stderr)
        deadline = time.monotonic() + self.timeout
        self.port = read_port(self.proc, deadline)
        if self.port is None:
            self.fail("emulator did not start: ")
        self.client = Client("127.0.0.1", self.port, self.tls)
        if not wait_answering(self.proc, self.client, deadline):
            self.fail("emulator did not answer: ")
        return self

    def fail(self, why):
        self.stop()
        text = self.stderr_text()
        self.stderr.close()
        self.stderr = None
        raise StartError(why + text)

    def stderr_text(self):
        if self.stderr is None:
            return ""
        self.stderr.seek(0)
        return self.stderr.read().decode("utf-8", "replace")

    def stop(self, timeout=10):
        if self.proc is not None and self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(timeout)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        if self.proc is not None and self.proc.stdout:
            self.proc.stdout.close()
        return self.proc.returncode if self.proc else None

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
        if self.stderr is not None:
            self.stderr.close()
