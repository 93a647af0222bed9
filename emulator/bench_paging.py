#!/usr/bin/python3
"""Measures how fast the emulator serves a 100,000-record table with 10 fields in
pages of 1000, each page after the first continuing after the last record read
({3.GT.'n'} sorted by record id, as the driver pages). Prints the figures, the
first and the last page's time among them; asserts nothing."""

import argparse
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from qbemu.launcher import EmulatorProcess  # noqa: E402

FIELD_TYPES = ["text", "float", "currency", "checkbox", "date", "timestamp", "email", "multitext",
               "duration", "percent"]
USER = {"users": [{"login": "bench", "password": "bench", "usertoken": "bench_token"}]}


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--rows", type=int, default=100000)
    ap.add_argument("--page", type=int, default=1000)
    ap.add_argument("--seed", type=int, default=1)
    args = ap.parse_args()
    cred = [("usertoken", "bench_token")]
    with EmulatorProcess(timeout=60) as emu:
        c = emu.client
        c.timeout = 300
        c.admin("POST", "fixture", USER)
        app = c.api("API_CreateDatabase", params=cred + [("dbname", "Bench")]).findtext("dbid")
        table = c.api("API_CreateTable", app, cred + [("tname", "Rows")]).findtext("newdbid")
        fids = [c.api("API_AddField", table, cred + [("label", "F%d %s" % (i, t)), ("type", t)]).findtext("fid")
                for i, t in enumerate(FIELD_TYPES)]
        start = time.monotonic()
        c.admin("POST", "generate", {"table": table, "rows": args.rows, "seed": args.seed})
        print("generated %d rows in %.2f s" % (args.rows, time.monotonic() - start))
        params = cred + [("clist", ".".join(fids)), ("slist", "3"), ("fmt", "structured"),
                         ("options", "num-%d.sortorder-A" % args.page)]
        served, last, times, nbytes = 0, None, [], 0
        start = time.monotonic()
        while True:
            t0 = time.monotonic()
            query = [] if last is None else [("query", "{3.GT.'%d'}" % last)]
            status, _, body = c.call("API_DoQuery", table, params + query)
            if status != 200 or b"<errcode>0</errcode>" not in body:
                raise SystemExit("query failed: %r" % body[:300])
            times.append(time.monotonic() - t0)
            got = body.count(b"<record ")
            if got:
                tail = body.rindex(b'<record rid="') + len(b'<record rid="')
                last = int(body[tail:body.index(b'"', tail)])
            served += got
            nbytes += len(body)
            if got < args.page:
                break
        elapsed = time.monotonic() - start
        print("served %d records (%d fields each) in pages of %d: %.2f s, %.0f records/s, %.1f MB"
              % (served, len(fids), args.page, elapsed, served / elapsed, nbytes / 1e6))
        full = times[:-1] if len(times) > 1 else times
        print("page time: first %.3f s, last full page %.3f s, median %.3f s, slowest %.3f s"
              % (times[0], full[-1], sorted(times)[len(times) // 2], max(times)))

if __name__ == "__main__":
    main()
