"""Fixtures: JSON descriptions of users, applications, tables, fields, relationships
and records, loaded into the store; and a seeded generator of bulk rows."""

import base64
import hashlib
import json
import random

from .errors import ApiError
from .fieldtypes import BASE_TYPE, WriteOptions
from .records import Writer, resolve_user, set_key_field, writable

FIXTURE_WRITER_USER = {"id": "0.emulator"}


class FixtureError(ValueError):
    pass


def user_id_for(login):
    digest = hashlib.sha256(login.encode()).hexdigest()
    letters = "".join("abcdefghijkmnpqrstuvwxyz"[int(digest[i:i + 2], 16) % 24] for i in range(8, 16, 2))
    return "%08d.%s" % (int(digest[:8], 16) % 100000000, letters)


def load_file(store, path):
    with open(path, encoding="utf-8") as fh:
        return load(store, json.load(fh))


def load(store, fixture):
    """Adds the fixture's contents to the store; returns the dbids and user ids made."""
    try:
        with store.tx():
            return _load(store, fixture)
    except ApiError as e:
        raise FixtureError("fixture rejected: errcode %d: %s" % (e.code, e.detail))
    except (KeyError, TypeError, AttributeError) as e:
        raise FixtureError("fixture is malformed: %r" % e)


def _load(store, fixture):
    summary = {"users": {}, "apps": {}}
    logins = []
    for u in fixture.get("users", []):
        login = u["login"]
        uid = u.get("id") or user_id_for(login)
        store.add_user(uid, login, u.get("email", ""), u.get("password", ""),
                       u.get("first_name", ""), u.get("last_name", ""), u.get("screen_name", ""))
        if u.get("usertoken"):
            store.add_usertoken(u["usertoken"], uid)
        summary["users"][login] = uid
        logins.append(login)
    for a in fixture.get("apps", []):
        summary["apps"][a["name"]] = _load_app(store, a, logins)
    return summary


def _load_app(store, a, fixture_logins):
    dbid = a.get("dbid") or store.new_dbid(seed="app:" + a["name"])
    store.create_app(a["name"], a.get("desc", ""), dbid, a.get("require_apptoken", False),
                     int(a.get("tz_offset_minutes", 0)), a.get("variables"))
    for token in a.get("apptokens", []):
        store.add_apptoken(dbid, token)
    for login in a.get("users", fixture_logins):
        user = store.find_user(login)
        if user is None:
            raise FixtureError("application %s grants unknown user %s" % (a["name"], login))
        store.grant(dbid, user["id"])
    tables = {}
    for t in a.get("tables", []):
        tdbid = t.get("dbid") or store.new_dbid(seed="table:%s:%s" % (a["name"], t["name"]))
        store.create_table(dbid, t["name"], t.get("pnoun", ""), tdbid, t.get("desc", ""))
        for f in t.get("fields", []):
            ftype = f["type"]
            if ftype not in BASE_TYPE:
                raise FixtureError("field %s has unknown type %s" % (f["label"], ftype))
            props = {k: str(v) for k, v in f.get("properties", {}).items()}
            store.add_field(tdbid, f["label"], ftype, f.get("mode", ""), props, f.get("fid"))
        tables[t["name"]] = tdbid
    for rel in a.get("relationships", []):
        _load_relationship(store, tables, rel)
    for t in a.get("tables", []):
        tdbid = tables[t["name"]]
        if t.get("key_fid") not in (None, 3):
            key = int(t["key_fid"])
            set_key_field(store, tdbid, next(f for f in store.fields(tdbid) if f["fid"] == key))
        _load_records(store, store.app(dbid), tdbid, t.get("records", []))
    return {"dbid": dbid, "tables": tables}


def _load_relationship(store, tables, rel):
    master, detail = tables[rel["master"]], tables[rel["detail"]]
    ref = int(rel["reference_fid"])
    fields = {f["fid"]: f for f in store.fields(detail)}
    if ref not in fields:
        raise FixtureError("relationship names missing reference field %d" % ref)
    store.set_field(detail, ref, fields[ref]["label"], dict(fields[ref]["props"], mastag=master))
    master_fields = {f["fid"]: f for f in store.fields(master)}
    for lk in rel.get("lookups", []):
        target = master_fields[int(lk["master_fid"])]
        store.add_field(detail, lk["label"], target["type"], "lookup",
                        {"lookup_reference_fid": str(ref), "lookup_target_fid": str(target["fid"])},
                        lk.get("fid"))


def _load_records(store, app, tdbid, records):
    table = store.table(tdbid)
    fields = store.fields(tdbid)
    by_fid = {f["fid"]: f for f in fields}
    opts = WriteOptions(ms_in_utc=True, ms_duration=True, decimal_percent=True,
                        tz_offset_minutes=app["tz_offset"],
                        resolve_user=lambda name: resolve_user(store, name))
    granted = store.one("SELECT user_id FROM grants WHERE app_dbid=? ORDER BY rowid LIMIT 1", (app["dbid"],))
    default_owner = store.user(granted["user_id"]) if granted else FIXTURE_WRITER_USER
    writer = Writer(store, table, fields, default_owner, opts)
    for rec in records:
        owner = store.find_user(rec["_owner"]) if rec.get("_owner") else None
        if rec.get("_owner") and owner is None:
            raise FixtureError("record owner %s is not a user" % rec["_owner"])
        writer.user = owner or default_owner
        items, stored = [], {}
        for key, value in rec.items():
            if key.startswith("_"):
                continue
            fid = int(key)
            f = by_fid.get(fid)
            if f is None:
                raise FixtureError("record names field %d, missing from table %s" % (fid, table["name"]))
            if isinstance(value, dict):
                content = (base64.b64decode(value["base64"]) if "base64" in value
                           else value.get("text", "").encode("utf-8"))
                items.append((fid, base64.b64encode(content).decode(), value["filename"]))
            elif not writable(f):
                # Formula and summary values are given as the service would compute them.
                stored[str(fid)] = _text(value)
            else:
                items.append((fid, _text(value), None))
        values, files = writer.convert(items)
        values.update(stored)
        writer.add(values, files)


def _text(value):
    if value is None:
        return ""
    if isinstance(value, bool):
        return "1" if value else "0"
    return str(value)


# ---- generated rows ------------------------------------------------------------------
_WORDS = ["alpha", "Bravo", "charlie", "Delta", "écho", "foxtrot", "Golf", "hotel", "India",
          "juliett", "Kilo", "lima", "Mike", "novembre", "Oscar", "papa", "Québec", "romeo",
          "Sierra", "tango", "Übung", "victor", "Whiskey", "xray", "Yankee", "zulu"]


def _random_value(rng, ftype, rid):
    if ftype == "checkbox":
        return str(rng.randint(0, 1))
    if rng.random() < 0.05:
        return ""
    if ftype in ("text", "multitext", "dblink"):
        return " ".join(rng.choice(_WORDS) for _ in range(rng.randint(1, 4)))
    if ftype == "email":
        return "%s%d@example.com" % (rng.choice(_WORDS).lower(), rid)
    if ftype == "url":
        return "https://example.com/%d" % rid
    if ftype == "phone":
        return "(555) %03d-%04d" % (rng.randint(0, 999), rng.randint(0, 9999))
    if ftype in ("float", "currency"):
        return "%d.%02d" % (rng.randint(-100000, 100000), rng.randint(0, 99))
    if ftype == "percent":
        return str(rng.randint(0, 100) / 100)
    if ftype == "rating":
        return str(rng.randint(1, 5))
    if ftype == "recordid":
        return str(rng.randint(1, 1000000))
    if ftype == "date":
        return str(rng.randint(0, 20000) * 86400000)
    if ftype == "timestamp":
        return str(rng.randint(0, 1700000000) * 1000)
    if ftype == "timeofday":
        return str(rng.randint(0, 86399) * 1000)
    if ftype == "duration":
        return str(rng.randint(0, 1000) * 60000)
    return ""


def generate(store, tdbid, rows, seed=1):
    """Appends `rows` records of seeded random values to every plain field; the
    same seed gives the same values, so benchmarks and tests can repeat."""
    with store.tx():
        table = store.table(tdbid)
        if table is None:
            raise FixtureError("no table %s" % tdbid)
        fields = [f for f in store.fields(tdbid) if writable(f) and f["type"] not in ("file", "userid", "multiuserid")]
        rng = random.Random(seed)
        start = table["next_rid"]
        now = store.now_ms()
        batch = []
        for rid in range(start, start + rows):
            data = {"1": str(now), "2": str(now), "4": FIXTURE_WRITER_USER["id"], "5": FIXTURE_WRITER_USER["id"]}
            for f in fields:
                v = _random_value(rng, f["type"], rid)
                if v != "":
                    data[str(f["fid"])] = v
            batch.append((rid, now, data))
        store.insert_many(tdbid, batch)
        return {"first_rid": start, "rows": rows}
