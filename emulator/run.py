#!/usr/bin/python3
"""Starts the QuickBase emulator. The first line on stdout is the port it listens on;
stop it with SIGTERM/SIGINT or POST /_emulator/shutdown."""

import argparse
import os
import select
import signal
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from qbemu import fixtures  # noqa: E402
from qbemu.server import Emulator  # noqa: E402


def stop_with_owner(pid, emu):
    """Waits for the owner to end (a test program that crashed, say), then stops the server."""
    try:
        fd = os.pidfd_open(pid)
    except ProcessLookupError:
        fd = None
    except (AttributeError, OSError):
        # No process descriptors here: ask now and then whether the owner still exists.
        while _alive(pid):
            time.sleep(0.5)
        fd = None
    if fd is not None:
        select.select([fd], [], [])
        os.close(fd)
    emu.shutdown()


def _alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        pass
    return True


def main(argv=None):
    ap = argparse.ArgumentParser(description="Local QuickBase XML API emulator")
    ap.add_argument("--port", type=int, default=0, help="port; 0 picks a free one (default)")
    ap.add_argument("--host", "--address", dest="host", default="127.0.0.1", help="address to bind")
    ap.add_argument("--fixture", action="append", default=[], help="JSON fixture to load at start (repeatable)")
    ap.add_argument("--db", "--storage", dest="db", help="SQLite file that keeps state across restarts")
    ap.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"), help="serve HTTPS with this certificate and key")
    ap.add_argument("--pidfile", help="write the process id here")
    ap.add_argument("--verbose", action="store_true", help="log each HTTP request on stderr")
    ap.add_argument("--owner", type=int, help="stop when the process with this id is gone")
    args = ap.parse_args(argv)

    emu = Emulator(args.host, args.port, args.db, args.tls, args.verbose)
    for path in args.fixture:
        try:
            fixtures.load_file(emu.store, path)
        except (OSError, ValueError) as e:
            print("emulator: cannot load %s: %s" % (path, e), file=sys.stderr)
            emu.close()
            return 2
    if args.pidfile:
        with open(args.pidfile, "w") as fh:
            fh.write("%d\n" % os.getpid())

    def stop(signum, frame):
        threading.Thread(target=emu.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    if args.owner:
        threading.Thread(target=stop_with_owner, args=(args.owner, emu), daemon=True).start()
    print(emu.port, flush=True)
    print("emulator: listening on %s://%s:%d" % ("https" if args.tls else "http", args.host, emu.port),
          file=sys.stderr, flush=True)
    try:
        emu.serve_forever()
    finally:
        emu.close()
        if args.pidfile:
            try:
                os.unlink(args.pidfile)
            except OSError:
                pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
