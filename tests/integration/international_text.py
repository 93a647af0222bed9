"""International text through the Driver Manager, read by pyodbc with its
defaults (text as wide characters) and by isql: a VARCHAR(80) holding 80
characters of one, two, three and four bytes and mixes of them, read,
compared with = (a literal and a parameter), LIKE with _, IN, joined,
ordered, grouped, made DISTINCT, passed through string functions and
written with 80 characters (81 are refused). Every value must come back whole.
Run by CTest: international_text.py DRIVER_LIBRARY EMULATOR_DIR FIXTURE [SANITIZER_RUNTIME]."""
import json
import os
import subprocess
import sys

from emulated_data_source import run_client

# The statements the result passes answer ("Not supported" until they exist).
RESULT_PASSES = "needs the result passes (ORDER BY, GROUP BY, DISTINCT)"


def fold(text):
    """The driver's one case rule: A-Z fold to a-z, nothing else."""
    return "".join(chr(ord(c) + 32) if "A" <= c <= "Z" else c for c in text)


def rows_of(fixture, table):
    app = json.load(open(fixture, encoding="utf-8"))["apps"][0]
    for t in app["tables"]:
        if t["name"] == table:
            return [(i + 1, r["6"], r["7"]) for i, r in enumerate(t["records"])]
    raise KeyError(table)


def client(fixture):
    import pyodbc

    failures = []

    def check(label, condition):
        print(("ok   " if condition else "FAIL ") + label)
        if not condition:
            failures.append(label)

    def skip_without_result_passes(label, run):
        try:
            run()
        except pyodbc.Error as error:
            if error.args[0] != "HYC00":
                raise
            print("skip " + label + ": " + RESULT_PASSES)

    names = rows_of(fixture, "Names")
    tags = rows_of(fixture, "Tags")
    cnxn = pyodbc.connect("DSN=intl", autocommit=True)
    cursor = cnxn.cursor()
    # The Driver Manager hands SQL text from SQLExecDirectW to this ANSI
    # driver as UCS-2, losing characters beyond U+FFFF: statements that
    # spell such characters go as UTF-8 through SQLExecDirect.
    utf8 = pyodbc.connect("DSN=intl", autocommit=True)
    utf8.setencoding(encoding="utf-8")

    def ids(sql, *parameters, on=cnxn):
        return sorted(row[0] for row in on.cursor().execute(sql, *parameters).fetchall())

    def matching(predicate):
        return sorted(i for i, name, _ in names if predicate(name))

    cursor.execute('SELECT "Record ID_", Name FROM "Intl: Names"')
    check("every value read whole", [tuple(r) for r in cursor.fetchall()] == [(i, n) for i, n, _ in names])
    check("the column's size counts characters", cursor.description[1][3] == 80)

    select = 'SELECT "Record ID_" FROM "Intl: Names" WHERE '
    for i, name, script in names:
        equal = matching(lambda other: fold(other) == fold(name))
        check(f"{script} {i}: = a literal", ids(select + "Name = '" + name + "'", on=utf8) == equal)
        check(f"{script} {i}: = a parameter", ids(select + "Name = ?", name) == equal)
        like = name[:-1] + "_"
        check(f"{script} {i}: LIKE with _ for the last character",
              ids(select + "Name LIKE ?", like) == matching(lambda other: fold(other[:-1]) == fold(name[:-1])))
    check("LIKE of 80 _ finds every value", ids(select + "Name LIKE ?", "_" * 80) == matching(lambda n: True))
    check("LIKE of 79 _ finds none", ids(select + "Name LIKE ?", "_" * 79) == [])
    check("LIKE '%😀'", ids(select + "Name LIKE '%😀'", on=utf8) == matching(lambda n: n.endswith("😀")))
    picked = [names[2][1], names[7][1]]
    check("IN of two parameters", ids(select + "Name IN (?, ?)", *picked) == matching(lambda n: n in picked))

    cursor.execute('SELECT n."Record ID_", t.Tag FROM "Intl: Names" n, "Intl: Tags" t WHERE n.Name = t.Name')
    joined = sorted((r[0], r[1]) for r in cursor.fetchall())
    check("a join on the text",
          joined == sorted((i, tag) for i, name, _ in names for _, other, tag in tags if fold(name) == fold(other)))

    def ordered():
        cursor.execute('SELECT Name FROM "Intl: Names" ORDER BY Name')
        got = [fold(r[0]).encode() for r in cursor.fetchall()]
        check("ORDER BY the text", got == sorted(fold(n).encode() for _, n, _ in names))
        cursor.execute('SELECT Script, Name FROM "Intl: Names" ORDER BY Script')
        check("the text carried whole through sorted records",
              sorted(tuple(r) for r in cursor.fetchall()) == sorted((s, n) for _, n, s in names))

    def grouped():
        cursor.execute('SELECT Name, COUNT(*) FROM "Intl: Names" GROUP BY Name')
        got = sorted((fold(r[0]), r[1]) for r in cursor.fetchall())
        expected = {}
        for _, name, _ in names:
            expected[fold(name)] = expected.get(fold(name), 0) + 1
        check("GROUP BY the text", got == sorted(expected.items()))
        cursor.execute('SELECT Script, MAX(Name), MIN(Name) FROM "Intl: Names" GROUP BY Script')
        by_script = {}
        for _, name, script in names:
            by_script.setdefault(script, []).append(name.encode())
        check("MAX and MIN of the text in each group",
              sorted((r[0], r[1].encode(), r[2].encode()) for r in cursor.fetchall()) ==
              sorted((s, max(v), min(v)) for s, v in by_script.items()))

    def distinct():
        cursor.execute('SELECT DISTINCT Name FROM "Intl: Names"')
        got = sorted(fold(r[0]) for r in cursor.fetchall())
        check("DISTINCT of the text", got == sorted({fold(n) for _, n, _ in names}))

    skip_without_result_passes("ORDER BY the text", ordered)
    skip_without_result_passes("GROUP BY the text", grouped)
    skip_without_result_passes("DISTINCT of the text", distinct)

    cursor.execute('SELECT Name, {fn LENGTH(Name)}, {fn OCTET_LENGTH(Name)}, {fn LEFT(Name, 3)}, '
                   '{fn RIGHT(Name, 2)}, {fn SUBSTRING(Name, 79, 5)}, {fn UCASE(Name)}, '
                   '{fn CONCAT(Name, \'\')} FROM "Intl: Names"')
    for name, length, octets, left, right, tail, upper, joined in cursor.fetchall():
        check("functions of " + name[:4],
              (length, octets, left, right, tail, upper, joined) ==
              (80, len(name.encode()), name[:3], name[-2:], name[78:], name.upper(), name))

    def state_of(on, sql, *parameters):
        try:
            on.execute(sql, *parameters)
        except pyodbc.Error as error:
            return error.args[0]
        return "00000"

    insert = 'INSERT INTO "Intl: Names" (Name, Script) VALUES (?, ?)'
    for i, name, script in names:
        for extra, label in (("", f"w80 {i}"), (name[-1], f"w81 {i}")):
            state = state_of(cursor, insert, name + extra, label)
            stored = [row[0] for row in cursor.execute('SELECT Name FROM "Intl: Names" WHERE Script = ?', label)]
            check(f"{script} {label}: written whole, the 81st character refused with 22001",
                  (state, stored) == (("00000", [name]) if extra == "" else ("22001", [])))
    state = state_of(utf8.cursor(), "INSERT INTO \"Intl: Names\" (Name, Script) VALUES ('" + names[8][1] + "x', 'l81')")
    stored = cursor.execute("SELECT Name FROM \"Intl: Names\" WHERE Script = 'l81'").fetchall()
    check("a literal of 81 characters refused with 22001", state == "22001" and not stored)
    cnxn.close()
    utf8.close()

    # isql reads text as SQL_C_CHAR into a buffer of 300 bytes, so the
    # four-byte value (320 bytes) is beyond isql itself and left out.
    for i, name, script in names:
        if len(name.encode()) > 300:
            continue
        sql = "SELECT Name FROM \"Intl: Names\" WHERE Name = '" + name + "'\n"
        out = subprocess.run(["isql", "-b", "-c", "-d|", "intl"], input=sql, capture_output=True, text=True).stdout
        lines = [line for line in out.splitlines() if line and line != "Name"]
        check(f"isql: {script} {i} read and compared", lines and all(fold(line) == fold(name) for line in lines))
    return 1 if failures else 0


def main(library, emulator, fixture, sanitizer_runtime):
    # The client and the isql it starts load the sanitized driver.
    return run_client(["/usr/bin/python3", os.path.abspath(__file__), "client", fixture], library, emulator, fixture,
                      "intl", sanitizer_runtime)


if __name__ == "__main__":
    if sys.argv[1:2] == ["client"]:
        sys.exit(client(sys.argv[2]))
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4] if len(sys.argv) > 4 else ""))
