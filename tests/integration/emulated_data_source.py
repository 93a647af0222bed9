"""Runs a Python client through the Driver Manager against the emulator: the
emulator started on a fixture, the driver and one data source registered in a
folder of their own, and the client run in a process whose environment points
the Driver Manager there and names the emulator's URL (EMULATOR_URL). Only the
client loads the sanitized driver, so only it gets the sanitizer runtime."""
import os
import subprocess
import sys
import tempfile

DRIVER_NAME = "Tarvox ODBC for QuickBase"


def run_client(command, library, emulator, fixture, data_source, sanitizer_runtime="", env=None):
    """Returns the client command's exit status; the emulator stops with it."""
    emuctl = [sys.executable, os.path.join(emulator, "emuctl.py")]
    with tempfile.TemporaryDirectory(prefix="helvane-client-") as folder:
        pidfile = os.path.join(folder, "emulator.pid")
        port = subprocess.run(
            emuctl + ["start", "--pidfile", pidfile, "--owner", str(os.getpid()), "--",
                      "--host", "127.0.0.1", "--fixture", fixture],
            capture_output=True, text=True, check=True).stdout.split()[0]
        url = f"http://127.0.0.1:{port}"
        try:
            with open(os.path.join(folder, "odbcinst.ini"), "w") as f:
                f.write(f"[{DRIVER_NAME}]\nDescription=QuickBase ODBC driver under test\nDriver={library}\n")
            with open(os.path.join(folder, "odbc.ini"), "w") as f:
                f.write(f"[{data_source}]\nDriver={DRIVER_NAME}\nQUICKBASESERVER={url}\nUID=alice\nPWD=wonderland\n")
            client_env = dict(os.environ, ODBCSYSINI=folder, ODBCINI=os.path.join(folder, "odbc.ini"),
                              EMULATOR_URL=url, **(env or {}))
            if sanitizer_runtime:
                client_env.update(LD_PRELOAD=sanitizer_runtime, ASAN_OPTIONS="detect_leaks=0")
            return subprocess.run(command, env=client_env).returncode
        finally:
            subprocess.run(emuctl + ["stop", "--pidfile", pidfile], check=False, capture_output=True)
