"""Runs the driver's main job end to end against the local QuickBase emulator
and says what it did at each step; steps the driver can't do yet are
reported, not faked."""
import json
import os
import subprocess
import sys
import tempfile
import urllib.request

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


# The demo's queries: what each shows, and its SQL.
QUERIES = [
    ("A filter the service evaluates: the condition on Amount goes to QuickBase as a query, "
     "and only the matching orders come back",
     'SELECT "Order No", Amount, "Ordered At", Shipped FROM "Sales: Orders" WHERE Amount > 3000'),
    ("A join of three tables: each order with its customer and its order lines",
     'SELECT o."Order No", c.Name, l.Product, l.Quantity FROM "Sales: Orders" o, "Sales: Customers" c, '
     '"Sales: Order Lines" l WHERE o."Related Customer" = c."Record ID_" AND l."Related Order" = o."Record ID_" '
     'AND o."Record ID_" <= 4'),
    ("A LEFT OUTER JOIN: every customer with its orders; the last customer has none, "
     "so its order columns are empty (NULL)",
     'SELECT c."Record ID_", c.Name, o."Order No" FROM "Sales: Customers" c LEFT OUTER JOIN "Sales: Orders" o '
     'ON o."Related Customer" = c."Record ID_" WHERE c."Record ID_" >= 6'),
    ("Scalar functions over non-ASCII text and dates: lengths, cuts and case count whole characters",
     'SELECT Name, {fn UCASE(Name)}, {fn LEFT(Name, 2)}, {fn SUBSTRING(Name, 2, 3)}, {fn LENGTH(Name)}, '
     '{fn YEAR("Customer Since")} FROM "Sales: Customers" WHERE Name <> \'\''),
    ("ORDER BY, sorted by the driver in a temporary file: the larger orders, largest first",
     'SELECT "Order No", Amount, "Ordered At" FROM "Sales: Orders" WHERE Amount > 2500 ORDER BY Amount DESC'),
    ("GROUP BY with HAVING: customers with three orders or more, their number and total, largest total first; "
     "names that differ only in case or trailing blanks are one customer",
     'SELECT c.Name, COUNT(*) AS Orders, SUM(o.Amount) AS Total FROM "Sales: Orders" o, "Sales: Customers" c '
     'WHERE o."Related Customer" = c."Record ID_" GROUP BY c.Name HAVING COUNT(*) >= 3 ORDER BY SUM(o.Amount) DESC'),
    ("SELECT DISTINCT: every product of the order lines once; Widget and widget are one product",
     'SELECT DISTINCT Product FROM "Sales: Order Lines" ORDER BY Product'),
]


def service_queries(port):
    """The queries the emulator received with API_DoQuery, oldest first."""
    url = f"http://127.0.0.1:{port}/_emulator/log?action=API_DoQuery"
    with urllib.request.urlopen(url) as reply:
        entries = json.load(reply)["entries"]
    return [entry.get("params", {}).get("query", "") for entry in entries]


def run_queries_with_isql(port):
    for title, sql in QUERIES:
        print()
        print(title + ":")
        print("  " + sql)
        urllib.request.urlopen(urllib.request.Request(
            f"http://127.0.0.1:{port}/_emulator/log/clear", data=b"{}", method="POST")).read()
        out = subprocess.run(["isql", "-b", "-c", "-d|", "QuickBaseDemo"], input=sql + "\n",
                             capture_output=True, text=True).stdout
        for line in out.splitlines():
            print("    " + line)
        sent = [q for q in service_queries(port) if q]
        if sent:
            print("  QuickBase was asked for: " + "; ".join(sent))


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
            if "SQLExecDirect" in names and "SQLFetch" in names:
                print()
                print("Running SELECTs through isql (unixODBC's command-line client) ...")
                run_queries_with_isql(port)
        finally:
            stop_emulator(pidfile)
            print("Stopped the emulator.")

    missing = [n for n in ("SQLExecDirect", "SQLFetch") if n not in names]
    if missing:
        print("Querying is not built yet (missing: " + ", ".join(missing) + "); the demo stopped before it.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
