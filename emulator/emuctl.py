#!/usr/bin/python3
"""Shell-friendly start and stop of a background emulator, for bash scripts and C++
test fixtures:

    port=$(python3 emulator/emuctl.py start --pidfile /tmp/emu.pid [--owner PID] -- --fixture emulator/fixtures/demo.json)
    ...
    python3 emulator/emuctl.py stop --pidfile /tmp/emu.pid

`start` returns once the emulator answers, printing its port on the first line. With
`--owner`, the emulator also stops by itself once that process is gone, so a test
program that crashes before its `stop` leaves nothing running."""

import argparse
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from qbemu.launcher import PYTHON, RUN_PY, Client, read_port, wait_answering  # noqa: E402


def start(args, rest):
    log = open(args.log, "ab") if args.log else subprocess.DEVNULL
    cmd = [PYTHON, RUN_PY, "--port", str(args.port), "--pidfile", args.pidfile] + rest
    if args.owner:
        cmd += ["--owner", str(args.owner)]
    proc = subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=log, stdin=subprocess.DEVNULL,
                            start_new_session=True)
    deadline = time.monotonic() + args.timeout
    port = read_port(proc, deadline)
    if port is not None and not wait_answering(proc, Client("127.0.0.1", port, "--tls" in rest), deadline):
        port = None
    if port is None:
        if proc.poll() is None:
            proc.kill()
        print("emulator failed to start", file=sys.stderr)
        return 1
    print(port, flush=True)
    return 0


def stop(args):
    try:
        with open(args.pidfile) as fh:
            pid = int(fh.read().strip())
    except (OSError, ValueError):
        print("no emulator pid in %s" % args.pidfile, file=sys.stderr)
        return 1
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        return 0
    deadline = time.monotonic() + args.timeout
    while time.monotonic() < deadline:
        try:
            os.kill(pid, 0)
        except ProcessLookupError:
            return 0
        time.sleep(0.05)
    os.kill(pid, signal.SIGKILL)
    return 0


def main():
    argv = sys.argv[1:]
    rest = []
    if "--" in argv:
        cut = argv.index("--")
        argv, rest = argv[:cut], argv[cut + 1:]
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("command", choices=["start", "stop"])
    ap.add_argument("--pidfile", required=True)
    ap.add_argument("--port", type=int, default=0)
    ap.add_argument("--log", help="append the emulator's stderr to this file")
    ap.add_argument("--timeout", type=float, default=20)
    ap.add_argument("--owner", type=int, help="the emulator stops when the process with this id is gone")
    args = ap.parse_args(argv)
    return start(args, rest) if args.command == "start" else stop(args)


if __name__ == "__main__":
    sys.exit(main())
