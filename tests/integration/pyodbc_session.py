"""pyodbc through the Driver Manager with its defaults (autocommit off, text
read as wide characters): it connects (asking the driver what it supports on
the way), commits, rolls back, switches autocommit both ways, holds writes
back when autocommit was switched off before connecting, runs a batch with
a parameter, reads every column of every table (a time of day included) and
rows of every field type, non-ASCII text included, and lists tables,
columns, keys, relationships and types with the catalog functions. Run by CTest:
pyodbc_session.py DRIVER_LIBRARY EMULATOR_DIR [SANITIZER_RUNTIME]."""
import datetime
import json
import os
import sys
import urllib.request

from emulated_data_source import run_client

SQL_ATTR_AUTOCOMMIT = 102


def imports_of(name):
    url = os.environ["EMULATOR_URL"] + "/_emulator/log?action=API_ImportFromCSV"
    with urllib.request.urlopen(url) as reply:
        return sum(1 for entry in json.load(reply)["entries"] if name in entry["body"])


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

    read_rows(pyodbc.connect("DSN=demo"), check)
    read_every_column(pyodbc.connect("DSN=demo;APPTOKEN=demo_archive_apptoken"), check)
    # The application token opens the Archive application's table too.
    read_catalog(pyodbc.connect("DSN=demo;APPTOKEN=demo_archive_apptoken"), check)

    # pyodbc leaves autocommit alone after connecting when told it is on, so
    # only the choice made before connecting holds the insert back.
    cnxn = pyodbc.connect("DSN=demo", autocommit=True, attrs_before={SQL_ATTR_AUTOCOMMIT: 0})
    check("describes no parameters", cnxn.getinfo(pyodbc.SQL_DESCRIBE_PARAMETER) is False)
    cnxn.execute("INSERT INTO \"Sales: Customers\" (Name) VALUES ('Python Pia')")
    check("insert held back", imports_of("Python Pia") == 0)
    cnxn.rollback()
    check("rollback sends nothing", imports_of("Python Pia") == 0)
    cnxn.execute("INSERT INTO \"Sales: Customers\" (Name) VALUES ('Python Pete')")
    cnxn.commit()
    check("commit sends the insert once", imports_of("Python Pete") == 1)
    # pyodbc runs a text only when the driver counts the markers it was given.
    cnxn.execute("INSERT INTO \"Sales: Customers\" (Name) VALUES (?); "
                 "INSERT INTO \"Sales: Customers\" (Name) VALUES ('Python Batch B')", "Python Batch A")
    cnxn.commit()
    check("a batch whose marker is in its first statement",
          imports_of("Python Batch A") == 1 and imports_of("Python Batch B") == 1)
    cnxn.close()
    return 1 if failures else 0


def read_rows(cnxn, check):
    cursor = cnxn.cursor()
    cursor.execute('SELECT Name, Notes, Active, Rating, "Customer Since" FROM "Sales: Customers"')
    names = [column[0] for column in cursor.description]
    check("column names", names == ["Name", "Notes", "Active", "Rating", "Customer Since"])
    rows = cursor.fetchall()
    check("eight customers", len(rows) == 8)
    check("non-ASCII names", [r.Name for r in rows[:5]] ==
          ["Acme Corporation", "M\u00fcller GmbH", "Caf\u00e9 Zo\u00eb", "\u6771\u4eac\u5546\u4e8b",
           "\u00d8rsted & S\u00f8n"])
    check("multi-line text", rows[1].Notes == "Gr\u00fc\u00dfe aus Berlin")
    check("a checkbox", rows[0].Active is True and rows[2].Active is False)
    check("a rating", rows[6].Rating == 4.5)
    check("a date", rows[0][4] == datetime.date(2015, 3, 1))
    check("an empty row", rows[7].Rating is None and rows[7][4] is None)

    cursor.execute('SELECT TOP 3 "Order No", Amount, "Ordered At", Invoice FROM "Sales: Orders"')
    rows = cursor.fetchmany(2) + cursor.fetchmany(5)
    check("TOP 3 rows in two batches", [r[0] for r in rows] == ["SO-0001", "SO-0002", "SO-0003"])
    check("a timestamp", rows[0][2] == datetime.datetime(2020, 1, 14, 1, 0))
    check("an attachment's bytes", rows[1][3] is not None and rows[1][3][:5] == b"%PDF-")
    check("no attachment", rows[0][3] is None)

    cursor.execute('SELECT Product FROM "Sales: Order Lines" WHERE Product LIKE ?', "%code%")
    check("a non-ASCII text found by a wide parameter", cursor.fetchone()[0] == "\u00dcn\u00efcode Thing")
    cnxn.close()


def read_every_column(cnxn, check):
    """Every column of every table, read with the C types pyodbc chooses
    itself (a time of day as a timestamp, text as wide characters)."""
    cursor = cnxn.cursor()
    for table in ("Sales: Customers", "Sales: Orders", "Sales: Order Lines", "Archive: Old Orders"):
        cursor.execute(f'SELECT * FROM "{table}"')
        rows = cursor.fetchall()
        check(f"every column of {table}", rows and all(len(row) == len(cursor.description) for row in rows))
    cursor.execute('SELECT "Delivery Time" FROM "Sales: Orders"')
    check("a time of day", cursor.fetchone()[0] == datetime.time(9, 7))
    cnxn.close()


def read_catalog(cnxn, check):
    import pyodbc

    cursor = cnxn.cursor()
    tables = [r.table_name for r in cursor.tables()]
    check("tables of both applications",
          tables == ["Sales: Customers", "Sales: Orders", "Sales: Order Lines", "Archive: Old Orders"])
    check("tables 'Order%'", [r.table_name for r in cursor.tables(table="Order%")] ==
          ["Sales: Orders", "Sales: Order Lines"])
    check("types TABLE, VIEW and view", [len(cursor.tables(tableType=t).fetchall()) for t in ("TABLE", "VIEW", "view")]
          == [4, 0, 4])

    types = set()
    counts = []
    for table in tables:
        rows = cursor.columns(table=table).fetchall()
        counts.append(len(rows))
        types.update(r.type_name for r in rows)
    check("columns of every table", counts == [15, 21, 10, 7])
    check("every field type", types == {"DATETIME", "INTEGER", "VARCHAR", "LONGVARCHAR", "BIT", "DOUBLE", "DATE",
                                        "TIME", "LONGVARBINARY"})
    since = cursor.columns(table="Customers", column="Customer Since").fetchone()
    check("a date column", (since.data_type, since.sql_datetime_sub, since.ordinal_position) == (91, 1, 13))

    check("statistics", [(r.type, r.index_name, r.column_name) for r in cursor.statistics("Sales: Orders")] ==
          [(0, None, None), (3, "PrimaryKey", "Order No")])
    check("primary key", [(r.column_name, r.key_seq) for r in cursor.primaryKeys("Sales: Orders")] ==
          [("Order No", 1)])
    # The special columns' names are spelt as ODBC 1 spelt them.
    check("row id columns", [(r.columnname, r.type, r.typename) for r in cursor.rowIdColumns("Sales: Orders")] ==
          [("Order No", 12, "VARCHAR")])

    def references(rows):
        return [(r.pktable_name, r.pkcolumn_name, r.fktable_name, r.fkcolumn_name) for r in rows]

    customers_orders = [("Sales: Customers", "Record ID_", "Sales: Orders", "Related Customer")]
    orders_lines = [("Sales: Orders", "Order No", "Sales: Order Lines", "Related Order")]
    check("keys referring to Customers", references(cursor.foreignKeys(table="Sales: Customers")) == customers_orders)
    check("keys of Orders", references(cursor.foreignKeys(foreignTable="Sales: Orders")) == customers_orders)
    check("keys referring to Orders", references(cursor.foreignKeys(table="Sales: Orders")) == orders_lines)
    check("keys of Order Lines", references(cursor.foreignKeys(foreignTable="Sales: Order Lines")) == orders_lines)

    check("no procedures", cursor.procedures().fetchall() == [])
    check("ten types", len(cursor.getTypeInfo().fetchall()) == 10)
    check("the date type", [(r.type_name, r.data_type) for r in cursor.getTypeInfo(pyodbc.SQL_TYPE_DATE)] ==
          [("DATE", 91)])
    cnxn.close()


def main(library, emulator, sanitizer_runtime):
    return run_client(["/usr/bin/python3", os.path.abspath(__file__), "client"], library, emulator,
                      os.path.join(emulator, "fixtures", "demo.json"), "demo", sanitizer_runtime)


if __name__ == "__main__":
    if sys.argv[1:2] == ["client"]:
        sys.exit(client())
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3] if len(sys.argv) > 3 else ""))
