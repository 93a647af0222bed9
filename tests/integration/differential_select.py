"""SELECT results against SQLite: seeded tables of every mapped field type
(empty values, zeros, case variants, trailing blanks, non-ASCII text, a time
zone whose clocks go back) are served by the emulator and read through the
Driver Manager with pyodbc, and the same values sit in SQLite, where each
generated query is written with the driver's rules spelt out: text compares
fold A-Z, pad with blanks and then compare bytes; NULL sorts lowest; BETWEEN
takes its bounds in either order; x = NULL parameter tests for NULL. Rows are
compared as multisets, in order where ORDER BY decides it, and TOP n as the
first n of the whole result. A share of the queries runs after a few
updates and deletions in an open transaction, which SQLite's copy gets too,
and both roll back. Run by CTest:
differential_select.py DRIVER_LIBRARY EMULATOR_DIR [SANITIZER_RUNTIME] [--seed N] [--queries N] [--verbose]."""
import argparse
import datetime
import decimal
import json
import math
import os
import random
import re
import sqlite3
import sys
import tempfile
import zoneinfo

from emulated_data_source import run_client

SQL_ATTR_CURSOR_TYPE, SQL_CURSOR_STATIC = 6, 3
# Timestamps read by one of two rules: the connection's TIMEZONEOFFSET, or the process's zone, whose
# clocks go back an hour on 2020-11-01, around which many values and literals lie.
OFFSET_MINUTES = 90
ZONE = "America/New_York"
FALL_BACK = datetime.datetime(2020, 11, 1, 6, 0)  # UTC

# ---- data ------------------------------------------------------------------------------------
# (label, field type, kind); kinds: text, memo (LONGVARCHAR), num, date, ts, bit, time.
TABLES = {
    "Items": [("Name", "text", "text"), ("Code", "text", "text"), ("No", "float", "num"), ("Qty", "float", "num"),
              ("Price", "currency", "num"), ("Pct", "percent", "num"), ("Rating", "rating", "num"),
              ("Day", "date", "date"), ("Stamp", "timestamp", "ts"), ("Flag", "checkbox", "bit"),
              ("Dur", "duration", "num"), ("Tod", "timeofday", "time"), ("Memo", "multitext", "memo"),
              ("Unit Cost", "float", "num")],
    "Orders": [("Code", "text", "text"), ("ItemNo", "float", "num"), ("Amount", "float", "num"),
               ("Placed", "date", "date"), ("Paid", "checkbox", "bit"), ("Note", "text", "text"),
               ("At", "timestamp", "ts")],
    "Tags": [("Code", "text", "text"), ("Label", "text", "text"), ("Weight", "float", "num")],
    "Log": [("Code", "text", "text"), ("N", "float", "num"), ("Seen", "date", "date")],  # past one page of 1000
    "Void": [("Code", "text", "text"), ("N", "float", "num")],  # no rows
}
SMALL = ["Items", "Orders", "Tags"] * 3 + ["Void"]  # joined and correlated; Log is read alone
WORDS = ["apple", "Apple", "APPLE ", "banana", "Banana  ", "cherry", "", "", "  ", "a_b", "a%b", "Zo\u00eb",
         "ZO\u00cb", "zoe", "\u00e9clair", "\u00c9clair", "fig", "Fig", "grape", "_x", "x y", " lead", "b",
         "O'Brien", 'say "hi"', "it's \"x\"", "a\\b", "b\t"]
CODES = ["A1", "a1", "A1 ", "B2", "b2", "C3", "D4", "", "E5", "  "]  # ASCII: the string functions' operands
NUMBERS = [0, 0, 1, 2, 3, 5, -1, 2.5, 10, None, None, 0.5, -0.25, 100, 7, 12, 1e15, -1e-7]
BASE_DAY = datetime.date(2020, 1, 20)
EPOCH = datetime.datetime(1970, 1, 1)


def generate_rows(rng):
    """Every table's rows as {label: value}, None for an empty field."""
    def maybe(value):
        return None if rng.random() < 0.12 else value

    def day(spread):
        return BASE_DAY + datetime.timedelta(days=rng.randint(-spread, spread))

    def stamp():  # UTC; some in the hours either side of the clock change, on its quarter hours
        if rng.random() < 0.4:
            return FALL_BACK + datetime.timedelta(minutes=15 * rng.randint(-4, 6), milliseconds=rng.choice([0, 0, 1]))
        return datetime.datetime.combine(BASE_DAY, datetime.time()) + datetime.timedelta(
            hours=rng.randint(-40, 40), milliseconds=rng.choice([0, 1, 1_000, 3_600_000, 45_296_789]))

    return {
        "Items": [{
            "Name": rng.choice(WORDS), "Code": rng.choice(CODES), "No": maybe(float(rng.randint(1, 35))),
            "Qty": rng.choice(NUMBERS), "Price": maybe(round(rng.uniform(-50, 500), 2)),
            "Pct": rng.choice([0, 0.1, 0.25, 1, None]), "Rating": rng.choice([1, 2, 3, 4, 5, None]),
            "Day": maybe(rng.choice([day(40)] * 9 + [datetime.date(1969, 12, 31), datetime.date(1900, 3, 1),
                                                     datetime.date(2000, 2, 29)])),
            "Stamp": maybe(stamp()), "Flag": rng.random() < 0.5, "Dur": rng.choice([0, 60000, 90000, 1500, None]),
            # Milliseconds that a time of day reads without.
            "Tod": rng.choice([0, 3_600_000, 3_600_250, 43_200_000, 43_200_500, 86_399_999, None]),
            "Memo": rng.choice(WORDS + ["line one\nline two", "past 255 characters " * 15]),
            "Unit Cost": rng.choice(NUMBERS),
        } for _ in range(40)],
        "Orders": [{
            "Code": rng.choice(CODES), "ItemNo": maybe(float(rng.randint(1, 43))),
            "Amount": rng.choice(NUMBERS + [19.99, 250.5]), "Placed": maybe(day(15)), "Paid": rng.random() < 0.4,
            "Note": rng.choice(WORDS), "At": maybe(stamp()),
        } for _ in range(60)],
        "Tags": [{"Code": rng.choice(CODES), "Label": rng.choice(WORDS), "Weight": rng.choice(NUMBERS)}
                 for _ in range(14)],
        "Log": [{"Code": rng.choice(CODES), "N": maybe(float(rng.randint(-50, 50))), "Seen": maybe(day(3))}
                for _ in range(1234)],
        "Void": [],
    }


def fixture(tables):
    """The emulator fixture of the rows: dates as text, timestamps as UTC milliseconds."""
    def value(ftype, v):
        if isinstance(v, datetime.datetime):
            return int((v - EPOCH).total_seconds() * 1000)
        return v.isoformat() if isinstance(v, datetime.date) else v

    app = {"name": "Diff", "users": ["alice"], "tables": [
        {"name": name, "fields": [{"fid": 6 + n, "label": label, "type": ftype}
                                  for n, (label, ftype, _) in enumerate(columns)],
         "records": [{str(6 + n): value(ftype, row[label]) for n, (label, ftype, _) in enumerate(columns)}
                     for row in tables[name]]}
        for name, columns in TABLES.items()]}
    return {"users": [{"login": "alice", "email": "alice@example.com", "password": "wonderland"}], "apps": [app]}


# ---- reference -------------------------------------------------------------------------------
FOLD = str.maketrans("ABCDEFGHIJKLMNOPQRSTUVWXYZ", "abcdefghijklmnopqrstuvwxyz")


def fold(text):
    """Text equality's key: A-Z folded, trailing blanks dropped."""
    return text.rstrip(" ").translate(FOLD).encode("utf-8")


def padded(a, b):
    """Bytes, the shorter text padded with blanks: MIN and MAX of text."""
    x, y = a.encode("utf-8"), b.encode("utf-8")
    x, y = x.ljust(len(y), b" "), y.ljust(len(x), b" ")
    return (x > y) - (x < y)


def collate(a, b):
    """Text comparison and order: A-Z folded, then as padded."""
    return padded(a.translate(FOLD), b.translate(FOLD))


def like(text, pattern):
    """LIKE: backslash escapes, A-Z folded, trailing blanks of text and pattern ignored, _ one character."""
    if text is None:
        return None
    tokens, at = [], 0
    while at < len(pattern):
        escaped = pattern[at] == "\\" and at + 1 < len(pattern)
        c = pattern[at + 1] if escaped else pattern[at]
        tokens.append(("lit", c) if escaped or c not in "%_" else (c,))
        at += 2 if escaped else 1
    while tokens and tokens[-1] == ("lit", " "):
        tokens.pop()
    regex = "".join(".*" if t == ("%",) else "." if t == ("_",) else re.escape(t[1].translate(FOLD)) for t in tokens)
    return 1 if re.fullmatch(regex, text.rstrip(" ").translate(FOLD), re.S) else 0


def reference_value(kind, value, text_null, zoned):
    """A value as the driver reads it, in SQLite's form."""
    if value is None or (kind in ("text", "memo") and value == "" and text_null):
        return None
    if kind == "ts":
        local = value + datetime.timedelta(minutes=OFFSET_MINUTES) if not zoned else value.replace(
            tzinfo=datetime.timezone.utc).astimezone(zoneinfo.ZoneInfo(ZONE)).replace(tzinfo=None)
        return local.strftime("%Y-%m-%d %H:%M:%S.%f")[:-3]
    if kind == "time":  # seconds only
        return "%02d:%02d:%02d" % (value // 3_600_000, value // 60_000 % 60, value // 1000 % 60)
    if kind == "date":
        return value.isoformat()
    return value if kind in ("text", "memo") else int(value) if kind == "bit" else float(value)


def reference(tables, text_null, zoned):
    db = sqlite3.connect(":memory:")
    # SQLite's automatic indexes of joins lose rows that only a custom collation calls equal.
    db.execute("PRAGMA automatic_index = OFF")
    db.create_collation("QB", collate)
    db.create_collation("PADDED", padded)
    db.create_function("qblike", 2, like, deterministic=True)
    db.create_function("pyupper", 1, lambda t: t if t is None else t.upper(), deterministic=True)
    db.create_function("pylower", 1, lambda t: t if t is None else t.lower(), deterministic=True)
    types = {"text": "TEXT COLLATE QB", "memo": "TEXT COLLATE QB", "num": "REAL", "bit": "INTEGER"}
    for name, columns in TABLES.items():
        db.execute('CREATE TABLE "%s" ("Record ID_" INTEGER, %s)' % (
            name, ", ".join('"%s" %s' % (label, types.get(kind, "TEXT")) for label, _, kind in columns)))
        db.executemany('INSERT INTO "%s" VALUES (%s)' % (name, ", ".join("?" * (len(columns) + 1))), [
            [rid] + [reference_value(kind, row[label], text_null, zoned) for label, _, kind in columns]
            for rid, row in enumerate(tables[name], 1)])
    db.commit()  # a rollback of the pending writes keeps the tables
    return db


# ---- queries: each piece in both dialects ----------------------------------------------------
class Expr:
    def __init__(self, drv, ref, kind, column=False, literal=False):
        self.drv, self.ref, self.kind, self.column, self.literal = drv, ref, kind, column, literal


def is_text(kind):
    return kind in ("text", "memo")


def ref_compare(a, op, b):
    return "(%s%s %s %s)" % (a.ref, " COLLATE QB" if is_text(a.kind) else "", op, b.ref)


# A parameter stands in the driver's text as a marker holding its value's number until the query is done.
parameter_values = []
PARAMETER = re.compile("\x01(\\d+)\x01")


def parameter(value, ref, kind):
    parameter_values.append(value)
    return Expr("\x01%d\x01" % (len(parameter_values) - 1), ref, kind, literal=True)


def with_parameters(drv):
    """The driver's text with ? for each marker, and the values in the order they stand."""
    return PARAMETER.sub("?", drv), [parameter_values[int(n)] for n in PARAMETER.findall(drv)]


class Scope:
    def __init__(self, tables):
        self.tables = tables  # (table name, alias)

    def columns(self, kinds):
        found = []
        for name, alias in self.tables:
            for label, _, kind in TABLES[name]:
                if kind in kinds:
                    name_drv = '"%s"' % label if " " in label else label
                    found.append(Expr("%s.%s" % (alias, name_drv), '%s."%s"' % (alias, label), kind, column=True))
            if "rid" in kinds:
                found.append(Expr('%s."Record ID_"' % alias, '%s."Record ID_"' % alias, "num", column=True))
        return found


def literal(rng, kind, bindable=False):
    """A literal of the kind; beside a column, sometimes a parameter holding it (a parameter takes
    its column's type: a fraction against the INTEGER record id is cut, so none is sent)."""
    if is_text(kind):
        value = rng.choice(WORDS + CODES + ["Cherry", "zz", "A"])
        drv = ref = "'%s'" % value.replace("'", "''")
    elif kind == "num":
        value = rng.choice([0, 1, 2, 3, 5, 10, -1, 2.5, 0.5, 100, 7, 12, 1000000, 19.99, 250.5, -0.25])
        drv = ref = repr(value)
        bindable = bindable and value == int(value)
    elif kind == "bit":
        value = rng.random() < 0.5
        drv = ref = str(int(value))
    elif kind == "date":
        value = BASE_DAY + datetime.timedelta(days=rng.randint(-35, 50))
        drv, ref = "{d '%s'}" % value, "'%s'" % value
    elif kind == "ts":
        value = datetime.datetime.combine(BASE_DAY, datetime.time()) + datetime.timedelta(
            hours=rng.randint(-45, 45), minutes=rng.choice([0, 0, 30, 90]))
        if rng.random() < 0.5:  # in the hour that comes twice in the process's zone
            value = datetime.datetime(2020, 11, 1, 1, 0) + datetime.timedelta(minutes=15 * rng.randint(0, 3))
        drv, ref = "{ts '%s'}" % value, "'%s.000'" % value
    else:  # the seconds of 01:00:00.250 and 12:00:00.500 come twice
        value = rng.choice([datetime.time(0), datetime.time(1), datetime.time(1), datetime.time(12),
                            datetime.time(12), datetime.time(23, 59, 59), datetime.time(8, 30)])
        drv, ref = "{t '%s'}" % value, "'%s'" % value
    if bindable and rng.random() < 0.25:
        return parameter(int(value) if kind == "num" else value, ref, kind)
    return Expr(drv, ref, kind, literal=True)


def ascii_text(rng, scope):
    """A text operand of ASCII values only, for the string functions."""
    codes = [c for c in scope.columns({"text"}) if c.drv.endswith(".Code")]
    return rng.choice(codes) if codes and rng.random() < 0.8 else Expr("'Ab c '", "'Ab c '", "text")


TEXT_FUNCTIONS = [("{fn UCASE(%s)}", "pyupper(%s)"), ("{fn LCASE(%s)}", "pylower(%s)"),
                  ("{fn LTRIM(%s)}", "ltrim(%s, ' ')"), ("{fn CONCAT(%s, 'x')}", "(%s || 'x')"),
                  ("{fn LEFT(%s, 2)}", "substr(%s, 1, 2)"), ("{fn SUBSTRING(%s, 2, 3)}", "substr(%s, 2, 3)")]


def function(rng, scope, kind):
    """A scalar function or arithmetic of the kind (num, text or date)."""
    if kind == "date":
        a, n = operand(rng, scope, "date"), rng.randint(-3, 40)
        return Expr("(%s + %d)" % (a.drv, n), "date(%s, '%+d days')" % (a.ref, n), "date")
    if kind != "num":
        a, (drv, ref) = ascii_text(rng, scope), rng.choice(TEXT_FUNCTIONS)
        return Expr(drv % a.drv, ref % a.ref, "text")
    a, b, pick = operand(rng, scope, "num"), operand(rng, scope, "num"), rng.randrange(9)
    if pick == 0:
        return Expr("{fn ABS(%s)}" % a.drv, "abs(%s)" % a.ref, "num")
    if pick == 1:
        return Expr("{fn IFNULL(%s, 0)}" % a.drv, "ifnull(%s, 0)" % a.ref, "num")
    if pick == 2:
        return Expr("{fn FLOOR(%s)}" % a.drv, "floor(%s)" % a.ref, "num")
    if pick == 3:
        t = ascii_text(rng, scope)
        return Expr("{fn LENGTH(%s)}" % t.drv, "length(rtrim(%s, ' '))" % t.ref, "num")
    if pick == 4:
        d, (part, form) = operand(rng, scope, "date"), rng.choice([("YEAR", "%Y"), ("MONTH", "%m"), ("DAYOFMONTH", "%d")])
        return Expr("{fn %s(%s)}" % (part, d.drv), "CAST(strftime('%s', %s) AS INTEGER)" % (form, d.ref), "num")
    if pick == 5:
        d, e = operand(rng, scope, "date"), literal(rng, "date")
        return Expr("(%s - %s)" % (d.drv, e.drv), "CAST(julianday(%s) - julianday(%s) AS INTEGER)" % (d.ref, e.ref),
                    "num")
    if pick == 6 and a.column:  # a negated literal would be an ORDER BY ordinal
        return Expr("(-(%s))" % a.drv, "(-(%s))" % a.ref, "num")
    if pick == 7 and scope.columns({"num"}):  # DOUBLE columns: integers divide as integers
        a, d = rng.choice(scope.columns({"num"})), rng.choice(["2", "4", "-0.5", "3"])
        return Expr("(%s / %s)" % (a.drv, d), "(%s / %s)" % (a.ref, d), "num")
    op = rng.choice(["+", "-", "*"])
    return Expr("(%s %s %s)" % (a.drv, op, b.drv), "(%s %s %s)" % (a.ref, op, b.ref), "num")


def operand(rng, scope, kind, allow_function=False, narrow=False):
    """Mostly a column of the kind, else a literal or a function; narrow leaves out long texts."""
    if allow_function and kind in ("num", "text", "date") and rng.random() < 0.15:
        return function(rng, scope, kind)
    columns = scope.columns({kind} | ({"rid"} if kind == "num" else set()))
    if kind == "text" and not narrow:
        columns += [c for c in scope.columns({"memo"}) if rng.random() < 0.3]
    return rng.choice(columns) if columns and rng.random() < 0.85 else literal(rng, kind)


KINDS = ["text", "text", "num", "num", "num", "date", "ts", "ts", "ts", "bit", "time", "time"]
PATTERNS = ["a%", "%an%", "A_b%", "_pple", "%e", "b%  ", "%\\%%", "%\\_%", "zo%", "\u00e9%", "%\u00eb", "%", "_", "__",
            "%1", "a1", "A1  ", "% %", "x_y", "%L%", "%\\\\%", "%'%", '%"%', "Zo_", "_cl%"]


def negated(rng, drv, ref):
    """The condition, or its negated form, where the driver's text holds \x02 for NOT."""
    return (drv.replace("\x02", "NOT "), "(NOT %s)" % ref) if rng.random() < 0.3 else (drv.replace("\x02", ""), ref)


def predicate(rng, scope, depth, allow_sub=True):
    """A condition as (driver text, reference text)."""
    pick = rng.random()
    if depth > 0 and pick < 0.25:
        (a, ra), (b, rb), op = predicate(rng, scope, depth - 1, allow_sub), predicate(
            rng, scope, depth - 1, allow_sub), rng.choice(["AND", "OR"])
        return "(%s %s %s)" % (a, op, b), "(%s %s %s)" % (ra, op, rb)
    if depth > 0 and pick < 0.32:
        a, ra = predicate(rng, scope, depth - 1, allow_sub)
        return "NOT (%s)" % a, "NOT (%s)" % ra
    if allow_sub and pick > 0.9:
        return sub_predicate(rng, scope)
    # Mostly a kind that a column in scope has, so that the condition tests rows.
    present = [k for k in KINDS if scope.columns({k})]
    kind = rng.choice(present if present and rng.random() < 0.9 else KINDS)
    form = rng.random()
    if form < 0.45:
        left = operand(rng, scope, kind, allow_function=True)
        right = operand(rng, scope, kind) if rng.random() < 0.3 else literal(rng, kind, left.column)
        op = rng.choice(["=", "<>", "<", "<=", ">", ">="])
        drv = "%s %s %s" % (left.drv, op, right.drv)
        if right.drv.startswith("\x01") and rng.random() < 0.2:
            # A NULL parameter: = and <> test for NULL, an ordering is unknown.
            parameter_values[-1] = None
            return drv, {"=": "(%s IS NULL)" % left.ref, "<>": "(%s IS NOT NULL)" % left.ref}.get(op, "NULL")
        return drv, ref_compare(left, op, right)
    if form < 0.55:
        x = operand(rng, scope, kind, True)
        a, b = literal(rng, kind, x.column), literal(rng, kind, x.column)
        return negated(rng, "%s \x02BETWEEN %s AND %s" % (x.drv, a.drv, b.drv), "((%s AND %s) OR (%s AND %s))" % (
            ref_compare(x, ">=", a), ref_compare(x, "<=", b), ref_compare(x, ">=", b), ref_compare(x, "<=", a)))
    if form < 0.68:
        x = operand(rng, scope, kind, True)
        # Past 100 items a list can't go to the service.
        items = [literal(rng, kind, x.column) for _ in range(rng.randint(101, 120) if rng.random() < 0.05
                                                               else rng.randint(1, 4))]
        drv = "%s \x02IN (%s)" % (x.drv, ", ".join(i.drv for i in items))
        return negated(rng, drv, "(%s IN (%s))" % (x.ref + (" COLLATE QB" if is_text(kind) else ""),
                                                   ", ".join(i.ref for i in items)))
    if form < 0.8:
        x, pattern = operand(rng, scope, "text", True, narrow=True), rng.choice(PATTERNS)
        quoted = "'%s'" % pattern.replace("'", "''")
        value = parameter(pattern, quoted, "text").drv if x.column and rng.random() < 0.15 else quoted
        return negated(rng, "%s \x02LIKE %s" % (x.drv, value), "qblike(%s, %s)" % (x.ref, quoted))
    if form < 0.86:
        # Record ids go to the service, and are looked up in batches when OR-joined.
        rid, ids = rng.choice(scope.columns({"rid"})), [str(rng.randint(1, 45)) for _ in range(rng.randint(1, 5))]
        if rng.random() < 0.5:
            return "%s IN (%s)" % (rid.drv, ", ".join(ids)), "(%s IN (%s))" % (rid.ref, ", ".join(ids))
        return ("(%s)" % " OR ".join("%s = %s" % (rid.drv, i) for i in ids),
                "(%s)" % " OR ".join("%s = %s" % (rid.ref, i) for i in ids))
    column = rng.choice(scope.columns(set(KINDS) | {"memo"}))
    return negated(rng, "%s IS \x02NULL" % column.drv, "(%s IS NULL)" % column.ref)


SUB_TABLES = [("Orders", {"text": "Code", "num": "Amount", "date": "Placed"}), ("Tags", {"text": "Code", "num": "Weight"}),
              ("Items", {"text": "Name", "num": "Qty", "date": "Day"}), ("Log", {"text": "Code", "num": "N", "date": "Seen"}),
              ("Void", {"text": "Code", "num": "N"})]
aliases = [0]


def sub_predicate(rng, scope, nesting=0, enclosing=()):
    """EXISTS, IN, ANY, ALL or a single-row comparison over a sub-select, correlated or not; a
    nested one may read the statement two levels out, which its own sub-select does not."""
    table, picks = rng.choice(SUB_TABLES)
    kind = rng.choice(sorted(picks))
    aliases[0] += 1
    alias = "s%d" % aliases[0]
    inner, conditions = Scope([(table, alias)]), []
    if rng.random() < 0.6:
        if nesting == 0 and table in SMALL and rng.random() < 0.2:
            conditions.append(sub_predicate(rng, inner, 1, (scope,)))
        else:
            conditions.append(predicate(rng, inner, 0, allow_sub=False))
    # Correlated with the big table, a sub-select would be read once for each of its rows.
    outer = rng.choice((scope,) + tuple(enclosing))
    correlated = rng.random() < 0.5 and all(name in SMALL for name, _ in outer.tables + inner.tables)
    if correlated:
        ikind = rng.choice([{"text"}, {"num"}])
        own, theirs = rng.choice(inner.columns(ikind)), rng.choice(outer.columns(ikind))
        conditions.append(("%s = %s" % (own.drv, theirs.drv), ref_compare(own, "=", theirs)))
    source_drv = '"Diff: %s" %s' % (table, alias) + (" WHERE " + " AND ".join(c[0] for c in conditions)
                                                     if conditions else "")
    source_ref = '"%s" %s WHERE %s' % (table, alias, " AND ".join(c[1] for c in conditions) or "1")
    value = Expr("%s.%s" % (alias, picks[kind]), '%s."%s"' % (alias, picks[kind]), kind, column=True)
    form = rng.randrange(5)
    if form == 0:
        return "EXISTS (SELECT * FROM %s)" % source_drv, "EXISTS (SELECT 1 FROM %s)" % source_ref
    x = operand(rng, scope, kind)
    if form == 1:
        aggregate = rng.choice(["MAX", "MIN"] + ["COUNT"] * (kind == "num"))
        drv_value = "COUNT(*)" if aggregate == "COUNT" else "%s(%s)" % (aggregate, value.drv)
        ref_value = "COUNT(*)" if aggregate == "COUNT" else "%s(%s%s)" % (
            aggregate, value.ref, " COLLATE PADDED" if kind == "text" else "")
        op = rng.choice(["=", "<", ">", "<>"])
        return ("%s %s (SELECT %s FROM %s)" % (x.drv, op, drv_value, source_drv),
                ref_compare(x, op, Expr("", "(SELECT %s FROM %s)" % (ref_value, source_ref), kind)))
    head = "SELECT "
    if not correlated and rng.random() < 0.3:
        # The values that come twice or more, or each value once.
        grouped = rng.random() < 0.6
        source_drv += " GROUP BY %s HAVING COUNT(*) >= 2" % value.drv if grouped else ""
        head = "SELECT " if grouped else "SELECT DISTINCT "
        source_ref = "(SELECT %s AS v FROM %s%s) q WHERE 1" % (
            value.ref, source_ref, " GROUP BY %s HAVING COUNT(*) >= 2" % value.ref if grouped else "")
        value = Expr(value.drv, "q.v", kind, column=True)
    if form == 2:
        op, quantifier, negate = "=", "ANY", rng.random() < 0.4
        drv = "%s %sIN (%s%s FROM %s)" % (x.drv, "NOT " if negate else "", head, value.drv, source_drv)
    else:
        op, quantifier, negate = rng.choice(["=", "<>", "<", ">=", ">"]), rng.choice(["ANY", "ALL"]), False
        drv = "%s %s %s (%s%s FROM %s)" % (x.drv, op, quantifier, head, value.drv, source_drv)
    # As SQL has it: a row that settles it decides, else a NULL on either side leaves it unknown.
    settles = ref_compare(x, op, value) if quantifier == "ANY" else "NOT %s" % ref_compare(x, op, value)
    ref = ("(CASE WHEN EXISTS (SELECT 1 FROM %s AND %s) THEN %d WHEN EXISTS (SELECT 1 FROM %s AND (%s IS NULL OR "
           "%s IS NULL)) THEN NULL ELSE %d END)" % (source_ref, settles, quantifier == "ANY", source_ref, value.ref,
                                                    x.ref, quantifier == "ALL"))
    return drv, "(NOT %s)" % ref if negate else ref


def from_clause(rng, count):
    """FROM with 1-3 tables (a table may meet itself): plain, joined INNER or LEFT OUTER (nested,
    parenthesised, in the outer-join escape, or beside a comma), or by commas, whose join
    conditions come back for WHERE."""
    names = [rng.choice(SMALL + ["Log"])] if count == 1 else [rng.choice(SMALL) for _ in range(count)]
    if count == 3:  # each row of the first two asks the service for the third's partners
        names[2] = rng.choice(["Tags", "Void"])
    tables = [(name, "t%d" % n) for n, name in enumerate(names)]
    d = ['"Diff: %s" %s' % t for t in tables]
    r = ['"%s" %s' % t for t in tables]
    if count == 1:
        return d[0], r[0], Scope(tables), []

    def on(a, b):
        # Text keys, numbers, and the record id as the service's relationships join.
        kinds = rng.choice([{"text"}, {"text"}, {"num"}, {"num", "rid"}])
        x, y = rng.choice(Scope([tables[a]]).columns(kinds)), rng.choice(Scope([tables[b]]).columns(kinds))
        drv, ref = "%s = %s" % (x.drv, y.drv), ref_compare(x, "=", y)
        if rng.random() < 0.3:
            extra = predicate(rng, Scope([tables[rng.choice([a, b])]]), 0, allow_sub=rng.random() < 0.3)
            drv, ref = "%s AND %s" % (drv, extra[0]), "%s AND %s" % (ref, extra[1])
        return drv, ref

    style = rng.choice(["INNER", "LEFT", "LEFT", "COMMA"])
    if style == "COMMA":
        conditions = [on(n, n + 1) for n in range(count - 1)] if count == 3 or rng.random() < 0.9 else []
        return ", ".join(d), ", ".join(r), Scope(tables), conditions
    jd, jr = ("INNER JOIN", "INNER JOIN") if style == "INNER" else ("LEFT OUTER JOIN", "LEFT JOIN")
    (c1, c1r) = on(0, 1)
    if count == 2:
        drv = "%s %s %s ON %s" % (d[0], jd, d[1], c1)
        return ("{oj %s}" % drv if style == "LEFT" and rng.random() < 0.3 else drv,
                "%s %s %s ON %s" % (r[0], jr, r[1], c1r), Scope(tables), [])
    shape = rng.random()
    if shape < 0.2:  # a JOIN b ON .., c WHERE ..
        return ("%s %s %s ON %s, %s" % (d[0], jd, d[1], c1, d[2]), "%s %s %s ON %s, %s" % (r[0], jr, r[1], c1r, r[2]),
                Scope(tables), [on(1, 2)])
    if shape < 0.6:  # (a JOIN b ON ..) JOIN c ON ..
        c2, c2r = on(rng.choice([0, 1]), 2)
        return ("(%s %s %s ON %s) %s %s ON %s" % (d[0], jd, d[1], c1, jd, d[2], c2),
                "(%s %s %s ON %s) %s %s ON %s" % (r[0], jr, r[1], c1r, jr, r[2], c2r), Scope(tables), [])
    c2, c2r = on(1, 2)  # a JOIN b JOIN c ON b..c ON a..b
    return ("%s %s %s %s %s ON %s ON %s" % (d[0], jd, d[1], jd, d[2], c2, c1),
            "%s %s (%s %s %s ON %s) ON %s" % (r[0], jr, r[1], jr, r[2], c2r, c1r), Scope(tables), [])


def where_clause(rng, scope, conditions, depth):
    parts = list(conditions) + ([predicate(rng, scope, depth)] if rng.random() < 0.8 else [])
    if not parts:
        return "", ""
    return " WHERE " + " AND ".join(p[0] for p in parts), " WHERE " + " AND ".join("(%s)" % p[1] for p in parts)


class Query:
    def __init__(self, drv, ref, kinds, folded, order, top):
        self.drv, self.ref, self.kinds, self.top = drv, ref, kinds, top
        self.folded = set(folded)  # result columns compared by text equality: groups and DISTINCT
        self.order = order or ()  # result columns whose sequence ORDER BY decides


def order_clause(rng, items):
    """ORDER BY some select items (a column by name or ordinal, anything else by its expression)."""
    chosen = [n for n in rng.sample(range(len(items)), rng.randint(1, min(3, len(items)))) if items[n].kind != "memo"]
    drv, ref = [], []
    for n in chosen:
        desc = " DESC" if rng.random() < 0.4 else ""
        drv.append(("%d" % (n + 1) if items[n].column and rng.random() < 0.3 else items[n].drv) + desc)
        ref.append(items[n].ref + (" COLLATE QB" if is_text(items[n].kind) else "") + desc)
    return (" ORDER BY " + ", ".join(drv), " ORDER BY " + ", ".join(ref), chosen) if chosen else ("", "", None)


def select(rng, items, from_d, from_r, where, tail_d, tail_r, distinct, folded, order, top):
    # DISTINCT compares every text item as text compares, expressions included.
    ref_items = [i.ref + (" COLLATE QB" if distinct and is_text(i.kind) else "") for i in items]
    return Query("SELECT %s%s%s FROM %s%s%s" % ("TOP %d " % top if top else "", "DISTINCT " * distinct,
                                               ", ".join(i.drv for i in items), from_d, where[0], tail_d),
                 "SELECT %s%s FROM %s%s%s" % ("DISTINCT " * distinct, ", ".join(ref_items), from_r, where[1], tail_r),
                 [i.kind for i in items], folded, order, top)


def plain_query(rng):
    from_d, from_r, scope, conditions = from_clause(rng, rng.choice([1, 1, 1, 2, 2, 3]))
    distinct = rng.random() < 0.25
    # A DISTINCT key holds no long text.
    columns = scope.columns({"text", "num", "date", "ts", "bit", "time", "rid"} | ({"memo"} if not distinct else set()))
    items = rng.sample(columns, min(rng.randint(1, 4), len(columns)))
    if rng.random() < 0.3:
        items.append(function(rng, scope, rng.choice(["num", "text"])))
    where = where_clause(rng, scope, conditions, rng.randint(0, 2))
    order_d, order_r, order = order_clause(rng, items) if rng.random() < 0.5 else ("", "", None)
    top = rng.choice([1, 3, 10]) if rng.random() < (0.3 if order else 0.1) else None
    folded = [n for n, i in enumerate(items) if is_text(i.kind)] if distinct else []
    return select(rng, items, from_d, from_r, where, order_d, order_r, distinct, folded, order, top)


def aggregate(rng, scope):
    pick = rng.randrange(6)
    if pick == 0:
        return Expr("COUNT(*)", "COUNT(*)", "num")
    if pick == 1:
        c = rng.choice(scope.columns({"text", "num", "date", "ts", "bit"}))
        return Expr("COUNT(%s)" % c.drv, "COUNT(%s)" % c.ref, "num")
    if pick < 4:  # a sum of checkboxes counts them
        c = rng.choice(scope.columns({"num", "bit"})) if rng.random() < 0.8 else function(rng, scope, "num")
        fn = rng.choice(["SUM", "AVG"])
        return Expr("%s(%s)" % (fn, c.drv), "%s(%s)" % (fn, c.ref), "num")
    c, fn = rng.choice(scope.columns({"text", "num", "date", "ts", "time"})), rng.choice(["MIN", "MAX"])
    return Expr("%s(%s)" % (fn, c.drv), "%s(%s%s)" % (fn, c.ref, " COLLATE PADDED" if is_text(c.kind) else ""), c.kind)


def grouped_query(rng):
    from_d, from_r, scope, conditions = from_clause(rng, rng.choice([1, 1, 2]))
    keys = rng.sample(scope.columns({"text", "num", "date", "bit"}), rng.randint(0, 2))
    items = keys + [aggregate(rng, scope) for _ in range(rng.randint(1, 3))]
    where = where_clause(rng, scope, conditions, 1)
    tail_d = " GROUP BY " + ", ".join(k.drv for k in keys) if keys else ""
    tail_r = " GROUP BY " + ", ".join(k.ref for k in keys) if keys else ""
    if keys and rng.random() < 0.4:
        agg, op = aggregate(rng, scope), rng.choice(["=", ">", "<", ">=", "<>"])
        right = literal(rng, agg.kind, True)
        tail_d += " HAVING %s %s %s" % (agg.drv, op, right.drv)
        tail_r += " HAVING " + ref_compare(agg, op, right)
        if rng.random() < 0.4:
            key, joiner = rng.choice(keys), rng.choice(["AND", "OR"])
            value = literal(rng, key.kind, True)
            tail_d += " %s %s <> %s" % (joiner, key.drv, value.drv)
            tail_r += " %s %s" % (joiner, ref_compare(key, "<>", value))
    order_d, order_r, order = order_clause(rng, items) if keys and rng.random() < 0.4 else ("", "", None)
    top = rng.choice([1, 3]) if order and rng.random() < 0.3 else None
    folded = [n for n, i in enumerate(items) if is_text(i.kind)]
    return select(rng, items, from_d, from_r, where, tail_d + order_d, tail_r + order_r, False, folded, order, top)


# ---- comparison ------------------------------------------------------------------------------
def canonical(kind, value, folded):
    """A value as a comparable (tag, value): NULL, text, number or date-time text."""
    if value is None:
        return (0,)
    if is_text(kind) and isinstance(value, str):
        return (1, fold(value) if folded else value)
    if isinstance(value, (bool, int, float, decimal.Decimal)):
        return (2, float(value))
    if isinstance(value, datetime.datetime):
        return (3, value.strftime("%Y-%m-%d %H:%M:%S.%f")[:-3])
    return (3, value.isoformat() if isinstance(value, (datetime.date, datetime.time)) else str(value))


def same(a, b):
    return len(a) == len(b) and all(
        math.isclose(x[1], y[1], rel_tol=1e-9, abs_tol=1e-9) if x[0] == y[0] == 2 else x == y for x, y in zip(a, b))


def same_rows(a, b):
    return len(a) == len(b) and all(same(x, y) for x, y in zip(a, b))


def rounded(row):
    return tuple((2, float("%.9g" % v[1])) if v[0] == 2 else v for v in row)


def compare(query, got, want):
    """None when the driver's rows are right, else what differs. Rows are compared as multisets,
    the ORDER BY columns by their sort equality in sequence, TOP n as the first n of the whole."""
    got, want = ([tuple(canonical(k, v, n in query.folded) for n, (k, v) in enumerate(zip(query.kinds, row)))
                  for row in rows] for rows in (got, want))

    def keys(rows):
        return [tuple((1, fold(r[n][1])) if is_text(query.kinds[n]) and isinstance(r[n][-1], str) else r[n]
                      for n in query.order) for r in rows]

    if query.top is not None:
        if not same_rows(keys(got), keys(want[:query.top])) or len(got) != min(query.top, len(want)):
            return "%d rows in the order %r, expected %r" % (len(got), keys(got), keys(want[:query.top]))
        pool = list(want)
        for row in got:
            match = next((n for n, w in enumerate(pool) if same(row, w)), None)
            if match is None:
                return "row %r is not in the whole result" % (row,)
            pool.pop(match)
        return None
    if not same_rows(keys(got), keys(want)):
        at = next((n for n, (a, b) in enumerate(zip(keys(got), keys(want))) if not same(a, b)), len(got))
        return "order differs at row %d: %r, expected %r" % (at, keys(got)[at:at + 2], keys(want)[at:at + 2])
    got, want = sorted(got, key=rounded), sorted(want, key=rounded)
    if len(got) != len(want):
        return "%d rows, expected %d" % (len(got), len(want))
    return next(("row %r, expected %r" % (a, b) for a, b in zip(got, want) if not same(a, b)), None)


# ---- pending writes ------------------------------------------------------------------------------
# Values that read back as written, for the kinds a write sets.
WRITTEN = {"num": [0, 1, 2.5, -3, 7, 12, 100], "bit": [0, 1],
           "text": [w for w in WORDS if not set(w) & set("'\"\\")]}


def pending_writes(rng, tables):
    """A few updates and deletions of the joined tables' rows by record id, in both dialects."""
    writes = []
    for _ in range(rng.randint(1, 3)):
        name = rng.choice(["Items", "Orders", "Tags"])
        rid = rng.randint(1, len(tables[name]))
        if rng.random() < 0.3:
            sql = 'DELETE FROM %%s WHERE "Record ID_" = %d' % rid
            writes.append((sql % ('"Diff: %s"' % name), sql % ('"%s"' % name), None))
            continue
        label, _, kind = rng.choice([c for c in TABLES[name] if c[2] in WRITTEN])
        value = rng.choice(WRITTEN[kind])
        text = "'%s'" % value if kind == "text" else str(value)
        writes.append(('UPDATE "Diff: %s" SET "%s" = %s WHERE "Record ID_" = %d' % (name, label, text, rid),
                       'UPDATE "%s" SET "%s" = ? WHERE "Record ID_" = %d' % (name, label, rid), (kind, value)))
    return writes


def apply_writes(cursor, reference, writes, text_null, zoned):
    """The writes through the driver with autocommit off, and in SQLite's copy."""
    cursor.connection.autocommit = False
    for drv, ref, value in writes:
        cursor.execute(drv)
        reference.execute(ref, () if value is None else (reference_value(value[0], value[1], text_null, zoned),))


# ---- running ---------------------------------------------------------------------------------
def client(args):
    import pyodbc

    rng = random.Random(args.seed)
    tables = generate_rows(rng)
    references, cursors = {}, {}
    for text_null in (False, True):
        for zoned in (False, True):
            references[text_null, zoned] = reference(tables, text_null, zoned)
            for static in (False, True):
                cursors[text_null, zoned, static] = pyodbc.connect(
                    "DSN=diff;TEXTNULL=%d%s" % (text_null, "" if zoned else ";TIMEZONEOFFSET=%+d" % OFFSET_MINUTES),
                    autocommit=True, attrs_before={SQL_ATTR_CURSOR_TYPE: SQL_CURSOR_STATIC} if static else {}).cursor()
    failures = 0
    # Its own sequence, so the queries stay those of the seed.
    write_rng = random.Random(args.seed + 1)
    for number in range(args.queries):
        del parameter_values[:]
        query = grouped_query(rng) if rng.random() < 0.25 else plain_query(rng)
        sql, values = with_parameters(query.drv)
        mode = text_null, zoned, static = rng.random() < 0.3, rng.random() < 0.6, rng.random() < 0.4
        writes = pending_writes(write_rng, tables) if write_rng.random() < 0.25 else []
        cursor = cursors[mode]
        copy = references[text_null, zoned]
        try:
            apply_writes(cursor, copy, writes, text_null, zoned)
            want = copy.execute(query.ref).fetchall()
            # One statement per connection serves every query; some are left open after a few rows
            # and run again, as every parameterised one is, from its prepared form.
            if values or rng.random() < 0.2:
                cursor.execute(sql, *values).fetchmany(2)
            got = cursor.execute(sql, *values).fetchall()
            problem = compare(query, got, want)
        except pyodbc.Error as error:
            got, want, problem = [], [], "error %s" % error
        if writes:
            cursor.connection.rollback()
            cursor.connection.autocommit = True
            copy.rollback()
        failures += problem is not None
        if problem or args.verbose:
            print("%s #%d [%s] %s%s\n     %s" % ("FAIL" if problem else "ok  ", number, " ".join(
                word for word, on in (("TEXTNULL", text_null), ("zone", zoned), ("static", static)) if on),
                "".join(drv + "; " for drv, _, _ in writes), sql, problem or ""))
        if problem and args.verbose:
            print("     parameters %r\n     reference  %s\n     got  %r\n     want %r" % (values, query.ref, got[:8],
                                                                                     want[:8]))
    print("%d queries, %d failed" % (args.queries, failures))
    return 1 if failures else 0


def main(args):
    with tempfile.TemporaryDirectory(prefix="helvane-differential-") as folder:
        fixture_path = os.path.join(folder, "fixture.json")
        with open(fixture_path, "w") as f:
            json.dump(fixture(generate_rows(random.Random(args.seed))), f)
        command = ["/usr/bin/python3", os.path.abspath(__file__), "client", "--seed", str(args.seed),
                   "--queries", str(args.queries)] + ["--verbose"] * args.verbose
        return run_client(command, args.library, args.emulator, fixture_path, "diff", args.sanitizer_runtime,
                          env={"TZ": ZONE})


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("library")
    parser.add_argument("emulator", nargs="?")
    parser.add_argument("sanitizer_runtime", nargs="?", default="")
    parser.add_argument("--seed", type=int, default=4)
    parser.add_argument("--queries", type=int, default=400)
    parser.add_argument("--verbose", action="store_true")
    parsed = parser.parse_args()
    sys.exit(client(parsed) if parsed.library == "client" else main(parsed))
