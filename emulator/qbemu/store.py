"""SQLite storage for users, tickets, applications, tables, fields, records and
attachments. One connection behind one lock: the emulator serves a handful of test
clients, and a single writer keeps every action atomic without further thought."""

import contextlib
import hashlib
import json
import secrets
import sqlite3
import threading
import time

from .errors import ApiError

DBID_ALPHABET = "abcdefghijkmnpqrstuvwxyz23456789"

SCHEMA = """
CREATE TABLE IF NOT EXISTS users (id TEXT PRIMARY KEY, login TEXT, email TEXT,
  password TEXT, first TEXT, last TEXT, screen TEXT);
CREATE TABLE IF NOT EXISTS usertokens (token TEXT PRIMARY KEY, user_id TEXT);
CREATE TABLE IF NOT EXISTS tickets (ticket TEXT PRIMARY KEY, user_id TEXT, expires_ms INTEGER);
CREATE TABLE IF NOT EXISTS apps (dbid TEXT PRIMARY KEY, name TEXT, descr TEXT,
  require_apptoken INTEGER, tz_offset INTEGER, variables TEXT, created_ms INTEGER);
CREATE TABLE IF NOT EXISTS apptokens (app_dbid TEXT, token TEXT, PRIMARY KEY (app_dbid, token));
CREATE TABLE IF NOT EXISTS grants (app_dbid TEXT, user_id TEXT, PRIMARY KEY (app_dbid, user_id));
CREATE TABLE IF NOT EXISTS tables (dbid TEXT PRIMARY KEY, app_dbid TEXT, name TEXT,
  pnoun TEXT, descr TEXT, key_fid INTEGER, next_rid INTEGER, next_fid INTEGER,
  last_update_id INTEGER, created_ms INTEGER, modified_ms INTEGER, seq INTEGER);
CREATE TABLE IF NOT EXISTS fields (tdbid TEXT, fid INTEGER, label TEXT, type TEXT,
  mode TEXT, props TEXT, PRIMARY KEY (tdbid, fid));
CREATE TABLE IF NOT EXISTS records (tdbid TEXT, rid INTEGER, update_id INTEGER,
  data TEXT, PRIMARY KEY (tdbid, rid)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS files (tdbid TEXT, rid INTEGER, fid INTEGER, filename TEXT,
  content BLOB, PRIMARY KEY (tdbid, rid, fid));
"""

# SQLite refuses statements with too many bound values; id lists go in slices.
ID_CHUNK = 500

BUILTIN_FIELDS = [
    (1, "Date Created", "timestamp", "created"),
    (2, "Date Modified", "timestamp", "modified"),
    (3, "Record ID#", "recordid", "recordid"),
    (4, "Record Owner", "userid", "owner"),
    (5, "Last Modified By", "userid", "modifier"),
]


class Store:
    def __init__(self, path=None):
        self.path = path or ":memory:"
        self.db = sqlite3.connect(self.path, check_same_thread=False, isolation_level=None)
        self.db.row_factory = sqlite3.Row
        if path:
            self.db.execute("PRAGMA journal_mode=WAL")
            self.db.execute("PRAGMA synchronous=NORMAL")
        self.db.executescript(SCHEMA)
        self.lock = threading.RLock()
        self.clock_offset_ms = 0
        # Table versions let query results be reused across pages until a write.
        self.versions = {}
        self.result_cache = {}

    # ---- plumbing -------------------------------------------------------------
    @contextlib.contextmanager
    def tx(self):
        with self.lock:
            if self.db.in_transaction:
                yield
                return
            self.db.execute("BEGIN")
            try:
                yield
            except BaseException:
                self.db.execute("ROLLBACK")
                raise
            self.db.execute("COMMIT")

    def q(self, sql, args=()):
        return self.db.execute(sql, args).fetchall()

    def one(self, sql, args=()):
        row = self.db.execute(sql, args).fetchone()
        return dict(row) if row is not None else None

    def now_ms(self):
        return int(time.time() * 1000) + self.clock_offset_ms

    def reset(self):
        with self.tx():
            for name in ("users", "usertokens", "tickets", "apps", "apptokens", "grants",
                         "tables", "fields", "records", "files"):
                self.db.execute("DELETE FROM " + name)
        self.versions.clear()
        self.result_cache.clear()
        self.clock_offset_ms = 0

    def close(self):
        with self.lock:
            self.db.close()

    def touch(self, tdbid):
        self.versions[tdbid] = self.versions.get(tdbid, 0) + 1

    def new_dbid(self, seed=None):
        """Fixture objects get dbids derived from their names, so reloading a
        fixture gives the same ids; others get random ones."""
        for attempt in range(100):
            if seed is not None:
                digest = hashlib.sha256(("%s#%d" % (seed, attempt)).encode()).digest()
                tail = "".join(DBID_ALPHABET[b % len(DBID_ALPHABET)] for b in digest[:8])
            else:
                tail = "".join(secrets.choice(DBID_ALPHABET) for _ in range(8))
            dbid = "b" + tail
            if not self.one("SELECT 1 AS x FROM apps WHERE dbid=? UNION SELECT 1 FROM tables WHERE dbid=?",
                            (dbid, dbid)):
                return dbid
        raise ApiError(1, "Could not allocate a dbid")

    # ---- users and credentials ---------------------------------------------
    def add_user(self, uid, login, email, password, first="", last="", screen=""):
        self.db.execute("INSERT OR REPLACE INTO users VALUES (?,?,?,?,?,?,?)",
                        (uid, login, email, password, first, last, screen or login))

    def user(self, uid):
        return self.one("SELECT * FROM users WHERE id=?", (uid,))

    def find_user(self, name):
        """A user by id, login or email (login and email ignore A-Z case)."""
        return self.one("SELECT * FROM users WHERE id=? OR lower(login)=lower(?) OR lower(email)=lower(?)",
                        (name, name, name))

    def add_usertoken(self, token, uid):
        self.db.execute("INSERT OR REPLACE INTO usertokens VALUES (?,?)", (token, uid))

    def usertoken_user(self, token):
        return self.one("SELECT u.* FROM usertokens t JOIN users u ON u.id=t.user_id WHERE t.token=?",
                        (token,))

    def new_ticket(self, uid, hours):
        ticket = "9_" + secrets.token_hex(4) + "_" + secrets.token_urlsafe(24)
        expires = self.now_ms() + int(hours * 3600000)
        self.db.execute("INSERT INTO tickets VALUES (?,?,?)", (ticket, uid, expires))
        return ticket

    def ticket_user(self, ticket):
        row = self.one("SELECT * FROM tickets WHERE ticket=?", (ticket,))
        if row is None or row["expires_ms"] <= self.now_ms():
            return None
        return self.user(row["user_id"])

    # ---- applications -------------------------------------------------------
    def create_app(self, name, descr="", dbid=None, require_apptoken=False, tz_offset=0,
                   variables=None):
        dbid = dbid or self.new_dbid()
        self.db.execute("INSERT INTO apps VALUES (?,?,?,?,?,?,?)",
                        (dbid, name, descr, int(bool(require_apptoken)), tz_offset,
                         json.dumps(variables or {}), self.now_ms()))
        return dbid

    def app(self, dbid):
        row = self.one("SELECT * FROM apps WHERE dbid=?", (dbid,))
        if row:
            row["variables"] = json.loads(row["variables"])
        return row

    def apps(self):
        return [dict(r) for r in self.q("SELECT * FROM apps ORDER BY rowid")]

    def add_apptoken(self, app_dbid, token):
        self.db.execute("INSERT OR IGNORE INTO apptokens VALUES (?,?)", (app_dbid, token))

    def apptoken_valid(self, app_dbid, token):
        return self.one("SELECT 1 AS x FROM apptokens WHERE app_dbid=? AND token=?",
                        (app_dbid, token)) is not None

    def grant(self, app_dbid, uid):
        self.db.execute("INSERT OR IGNORE INTO grants VALUES (?,?)", (app_dbid, uid))

    def granted(self, app_dbid, uid):
        return self.one("SELECT 1 AS x FROM grants WHERE app_dbid=? AND user_id=?",
                        (app_dbid, uid)) is not None

    # ---- tables and fields -------------------------------------------------
    def create_table(self, app_dbid, name, pnoun="", dbid=None, descr=""):
        dbid = dbid or self.new_dbid()
        now = self.now_ms()
        seq = self.one("SELECT count(*) AS n FROM tables")["n"]
        self.db.execute("INSERT INTO tables VALUES (?,?,?,?,?,?,?,?,?,?,?,?)",
                        (dbid, app_dbid, name, pnoun or name, descr, 3, 1, 6, 0, now, now, seq))
        for fid, label, ftype, role in BUILTIN_FIELDS:
            self.db.execute("INSERT INTO fields VALUES (?,?,?,?,?,?)",
                            (dbid, fid, label, ftype, "", json.dumps({"role": role})))
        self.touch(dbid)
        return dbid

    def table(self, dbid):
        return self.one("SELECT * FROM tables WHERE dbid=?", (dbid,))

    def tables_of(self, app_dbid):
        return [dict(r) for r in self.q("SELECT * FROM tables WHERE app_dbid=? ORDER BY seq", (app_dbid,))]

    def update_table(self, dbid, **cols):
        sets = ", ".join("%s=?" % c for c in cols)
        self.db.execute("UPDATE tables SET %s WHERE dbid=?" % sets, (*cols.values(), dbid))
        self.touch(dbid)

    def add_field(self, tdbid, label, ftype, mode="", props=None, fid=None):
        table = self.table(tdbid)
        if fid is None:
            fid = table["next_fid"]
        self.db.execute("INSERT INTO fields VALUES (?,?,?,?,?,?)",
                        (tdbid, fid, label, ftype, mode or "", json.dumps(props or {})))
        self.update_table(tdbid, next_fid=max(table["next_fid"], fid + 1))
        return fid

    def fields(self, tdbid):
        out = []
        for r in self.q("SELECT * FROM fields WHERE tdbid=? ORDER BY fid", (tdbid,)):
            f = dict(r)
            f["props"] = json.loads(f["props"])
            out.append(f)
        return out

    def set_field(self, tdbid, fid, label, props):
        self.db.execute("UPDATE fields SET label=?, props=? WHERE tdbid=? AND fid=?",
                        (label, json.dumps(props), tdbid, fid))
        self.touch(tdbid)

    # ---- records ----------------------------------------------------------------
    def next_update_id(self, tdbid):
        """Update ids are modification times in ms, forced to grow so that two
        edits within one millisecond still differ."""
        last = self.table(tdbid)["last_update_id"]
        uid = max(self.now_ms(), last + 1)
        self.db.execute("UPDATE tables SET last_update_id=? WHERE dbid=?", (uid, tdbid))
        return uid

    def insert_record(self, tdbid, data, update_id, rid=None):
        table = self.table(tdbid)
        if rid is None:
            rid = table["next_rid"]
        self.db.execute("INSERT INTO records VALUES (?,?,?,?)", (tdbid, rid, update_id, json.dumps(data)))
        self.update_table(tdbid, next_rid=max(table["next_rid"], rid + 1))
        return rid

    def insert_many(self, tdbid, rows):
        """Bulk load of (rid, update_id, data) for fixtures and generated tables."""
        self.db.executemany("INSERT INTO records VALUES (?,?,?,?)",
                            ((tdbid, rid, uid, json.dumps(d)) for rid, uid, d in rows))
        top = self.one("SELECT max(rid) AS m FROM records WHERE tdbid=?", (tdbid,))["m"] or 0
        table = self.table(tdbid)
        self.update_table(tdbid, next_rid=max(table["next_rid"], top + 1))

    def update_record(self, tdbid, rid, data, update_id):
        self.db.execute("UPDATE records SET data=?, update_id=? WHERE tdbid=? AND rid=?",
                        (json.dumps(data), update_id, tdbid, rid))
        self.touch(tdbid)

    def record(self, tdbid, rid):
        row = self.one("SELECT * FROM records WHERE tdbid=? AND rid=?", (tdbid, rid))
        if row is None:
            return None
        return row["update_id"], json.loads(row["data"])

    def delete_records(self, tdbid, rids):
        for chunk, marks in _id_chunks(rids):
            self.db.execute("DELETE FROM records WHERE tdbid=? AND rid IN (%s)" % marks, (tdbid, *chunk))
            self.db.execute("DELETE FROM files WHERE tdbid=? AND rid IN (%s)" % marks, (tdbid, *chunk))
        self.touch(tdbid)

    def all_records(self, tdbid):
        """Every record as (rid, update_id, values) in record-id order; values hold fid 3."""
        return [_record(*row) for row in self.db.execute(
            "SELECT rid, update_id, data FROM records WHERE tdbid=? ORDER BY rid", (tdbid,))]

    def all_rids(self, tdbid):
        return [r[0] for r in self.db.execute("SELECT rid FROM records WHERE tdbid=? ORDER BY rid", (tdbid,))]

    def records_in_rid_order(self, tdbid, low=None, high=None, descending=False, batch=1000):
        """The records with low <= rid <= high (either open when None) as lists of
        (rid, update_id, values) in record-id order, read one batch at a time, so
        that a reader that stops early reads no more of the table."""
        order = "DESC" if descending else "ASC"
        while low is None or high is None or low <= high:
            sql, args = "SELECT rid, update_id, data FROM records WHERE tdbid=?", [tdbid]
            if low is not None:
                sql, args = sql + " AND rid>=?", args + [low]
            if high is not None:
                sql, args = sql + " AND rid<=?", args + [high]
            rows = self.db.execute(sql + " ORDER BY rid %s LIMIT ?" % order, args + [batch]).fetchall()
            if rows:
                yield [_record(*row) for row in rows]
            if len(rows) < batch:
                return
            if descending:
                high = rows[-1][0] - 1
            else:
                low = rows[-1][0] + 1

    def records_by_rid(self, tdbid, rids):
        found = {}
        for chunk, marks in _id_chunks(rids):
            for row in self.db.execute(
                    "SELECT rid, update_id, data FROM records WHERE tdbid=? AND rid IN (%s)" % marks,
                    (tdbid, *chunk)):
                found[row[0]] = _record(*row)
        return [found[r] for r in rids if r in found]

    # ---- attachments ------------------------------------------------------------
    def put_file(self, tdbid, rid, fid, filename, content):
        self.db.execute("INSERT OR REPLACE INTO files VALUES (?,?,?,?,?)",
                        (tdbid, rid, fid, filename, content))

    def drop_file(self, tdbid, rid, fid):
        self.db.execute("DELETE FROM files WHERE tdbid=? AND rid=? AND fid=?", (tdbid, rid, fid))

    def file(self, tdbid, rid, fid):
        return self.one("SELECT filename, content FROM files WHERE tdbid=? AND rid=? AND fid=?",
                        (tdbid, rid, fid))

    # ---- query-result reuse ---------------------------------------------------
    def cached_result(self, key, deps, build):
        """Reuse an ordered rid list while the tables it reads are unchanged, so
        paging through a large table costs one scan rather than one per page."""
        version = tuple(self.versions.get(d, 0) for d in deps)
        hit = self.result_cache.get(key)
        if hit and hit[0] == version:
            return hit[1]
        rids = build()
        if len(self.result_cache) > 64:
            self.result_cache.clear()
        self.result_cache[key] = (version, rids)
        return rids


def _record(rid, update_id, data):
    """A stored row as (rid, update_id, values); the record id is not kept in the
    data, yet queries and replies read it as field 3."""
    values = json.loads(data)
    values["3"] = str(rid)
    return rid, update_id, values


def _id_chunks(ids):
    """(slice, its '?,?,...' placeholders) for each slice of the id list."""
    for i in range(0, len(ids), ID_CHUNK):
        chunk = ids[i:i + ID_CHUNK]
        yield chunk, ",".join("?" * len(chunk))
