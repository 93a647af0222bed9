"""Runs the driver's main job end to end against the local QuickBase emulator
and says what it did at each step; steps the driver can't do yet are
reported, not faked."""
import os
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EMUCTL = os.path.join(ROOT, "emulator", "emuctl.py")
FIXTURE = os.path.join(ROOT, "emulator", "fixtures", "demo.json")
DRIVER_NAME = "Tarvox ODBC for QuickBase"


def exported_names(library):
    out = subprocess.run(["nm", "-D", "--defined-only", library],
                         capture_output=True, text=True, check=True).stdout
    return {line.split()[-1] for line in out.splitlines() if line.strip()}


def start_emulator(pidfile):
    out = subprocess.run([sys.executable, EMUCTL, "start", "--pidfile", pidfile, "--", "--fixture", FIXTURE],
                         capture_output=True, text=True, check=True).stdout
    return int(out.splitlines()[0])


def stop_emulator(pidfile):
    subprocess.run([sys.executable, EMUCTL, "stop", "--pidfile", pidfile], check=False)


def register_driver_and_dsn(folder, library, port):
    """A private odbcinst.ini and odbc.ini, so the demo changes nothing system-wide."""
    with open(os.path.join(folder, "odbcinst.ini"), "w") as f:
        f.write(f"[{DRIVER_NAME}]\nDescription=ODBC driver for QuickBase\nDriver={library}\n")
    with open(os.path.join(folder, "odbc.ini"), "w") as f:
        f.write(f"[QuickBaseDemo]\nDriver={DRIVER_NAME}\nQUICKBASESERVER=http://127.0.0.1:{port}\n"
                "UID=alice\nPWD=wonderland\n")
    os.environ["ODBCSYSINI"] = folder
    os.environ["ODBCINI"] = os.path.join(folder, "odbc.ini")


def connect_and_report(port):
    import pyodbc
    print("Connecting through the unixODBC Driver Manager by data source (DSN=QuickBaseDemo) ...")
    connection = pyodbc.connect("DSN=QuickBaseDemo")
    print("  connected; the emulator checked the password with API_Authenticate.")
    connection.autocommit = True
    connection.autocommit = False
    connection.commit()
    connection.rollback()
    print("  switched autocommit on and off, committed and rolled back (nothing was pending).")
    cursor = connection.cursor()
    print("  allocated a statement handle.")
    cursor.close()
    connection.close()
    print("  freed the statement and disconnected.")

    print("Connecting with a wrong password by connection string ...")
    try:
        pyodbc.connect(f"DRIVER={{{DRIVER_NAME}}};QUICKBASESERVER=http://127.0.0.1:{port};"
                       "UID=alice;PWD=not-the-password")
        print("  unexpectedly connected")
    except pyodbc.Error as error:
        print(f"  refused as it should be: {error.args[0]} {error.args[1]}")


def main():
    library = os.path.abspath(sys.argv[1])
    print(f"Built {library} ({os.path.getsize(library)} bytes).")
    names = exported_names(library)
    print(f"It exports {len(names)} ODBC functions.")
    if "SQLDriverConnect" not in names:
        print("The driver cannot connect yet; the demo stops here.")
        return 0

    with tempfile.TemporaryDirectory() as folder:
        pidfile = os.path.join(folder, "emulator.pid")
        port = start_emulator(pidfile)
        print(f"Started the QuickBase emulator on 127.0.0.1:{port} with the demo fixture.")
        try:
            register_driver_and_dsn(folder, library, port)
            connect_and_report(port)
        finally:
            stop_emulator(pidfile)
            print("Stopped the emulator.")

    missing = [n for n in ("SQLExecDirect", "SQLFetch") if n not in names]
    if missing:
        print("Querying and writing are not built yet (missing: " + ", ".join(missing) + "); the demo stops here.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
