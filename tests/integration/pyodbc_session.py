"""pyodbc through the Driver Manager with its defaults (autocommit off): it
connects (asking the driver what it supports on the way), commits, rolls
back and switches autocommit both ways, and connects with autocommit
switched off beforehand. Run by CTest:
pyodbc_session.py DRIVER_LIBRARY EMULATOR_DIR [SANITIZER_RUNTIME]."""
import os
import subprocess
import sys
import tempfile

DRIVER_NAME = "Tarvox ODBC for QuickBase"
SQL_ATTR_AUTOCOMMIT = 102


def client():
    import pyodbc

    failures = []

    def check(label, condition):
        print(("ok   " if condition else "FAIL ") + label)
        if not condition:
            failures.append(label)

    cnxn = pyodbc.connect("DSN=demo")
    check("connects with autocommit off", cnxn.autocommit is False)
    cnxn.commit()
    check("commit", True)
    cnxn.rollback()
    check("rollback", True)
    cnxn.autocommit = True
    check("autocommit on", cnxn.autocommit is True)
    cnxn.autocommit = False
    check("autocommit off again", cnxn.autocommit is False)
    cnxn.close()

    cnxn = pyodbc.connect("DSN=demo", autocommit=True)
    check("connects with autocommit on", cnxn.autocommit is True)
    check("driver name", cnxn.getinfo(pyodbc.SQL_DRIVER_NAME) == "libhelvane.so")
    cnxn.close()

    # pyodbc leaves autocommit alone after connecting when told it is on, so
    # what the connection holds is the choice made before connecting.
    cnxn = pyodbc.connect("DSN=demo", autocommit=True, attrs_before={SQL_ATTR_AUTOCOMMIT: 0})
    check("connects with autocommit chosen off before", cnxn.getinfo(pyodbc.SQL_DESCRIBE_PARAMETER) is False)
    cnxn.rollback()
    cnxn.close()
    return 1 if failures else 0


def main(library, emulator, sanitizer_runtime):
    with tempfile.TemporaryDirectory(prefix="helvane-pyodbc-") as folder:
        pidfile = os.path.join(folder, "emulator.pid")
        port = subprocess.run(
            [sys.executable, os.path.join(emulator, "emuctl.py"), "start", "--pidfile", pidfile, "--",
             "--host", "127.0.0.1", "--fixture", os.path.join(emulator, "fixtures", "demo.json")],
            capture_output=True, text=True, check=True).stdout.split()[0]
        try:
            with open(os.path.join(folder, "odbcinst.ini"), "w") as f:
                f.write(f"[{DRIVER_NAME}]\nDescription=QuickBase ODBC driver under test\nDriver={library}\n")
            with open(os.path.join(folder, "odbc.ini"), "w") as f:
                f.write(f"[demo]\nDriver={DRIVER_NAME}\nQUICKBASESERVER=http://127.0.0.1:{port}\n"
                        "UID=alice\nPWD=wonderland\n")
            env = dict(os.environ, ODBCSYSINI=folder, ODBCINI=os.path.join(folder, "odbc.ini"))
            # Only the client loads the sanitized driver, so only it needs the runtime first.
            if sanitizer_runtime:
                env.update(LD_PRELOAD=sanitizer_runtime, ASAN_OPTIONS="detect_leaks=0")
            return subprocess.run(["/usr/bin/python3", os.path.abspath(__file__), "client"], env=env).returncode
        finally:
            subprocess.run([sys.executable, os.path.join(emulator, "emuctl.py"), "stop", "--pidfile", pidfile],
                           check=False, capture_output=True)


if __name__ == "__main__":
    if sys.argv[1:2] == ["client"]:
        sys.exit(client())
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3] if len(sys.argv) > 3 else ""))
