"""Record reads and writes shared by the actions: selecting and ordering rids for a
query, lookup values, and applying written fields with the built-in fields,
defaults, required and unique rules."""

import base64
import binascii

from . import query as qlang
from .errors import ApiError
from .fieldtypes import fold, sort_key, stored_value, to_stored

READ_ONLY_BUILTINS = {1, 2, 3, 4, 5}


def writable(field):
    return field["fid"] not in READ_ONLY_BUILTINS and field["mode"] not in ("virtual", "lookup", "summary")


def is_required(field):
    return field["props"].get("required") in ("1", 1, True)


def resolve_user(store, name):
    """A user field's written id, login or email as the id it stores; other names stay as written."""
    user = store.find_user(name)
    return user["id"] if user else name


def set_key_field(store, tdbid, field):
    # Any field but the record id becomes unique and required once it is the key.
    if field["fid"] != 3:
        store.set_field(tdbid, field["fid"], field["label"], dict(field["props"], unique="1", required="1"))
    store.update_table(tdbid, key_fid=field["fid"])


def lookup_sources(store, fields):
    """For each lookup field: (fid, reference fid, master dbid, master target fid)."""
    by_fid = {f["fid"]: f for f in fields}
    out = []
    for f in fields:
        if f["mode"] != "lookup":
            continue
        try:
            ref = int(f["props"].get("lookup_reference_fid", ""))
            target = int(f["props"].get("lookup_target_fid", ""))
        except ValueError:
            continue
        master = by_fid.get(ref, {}).get("props", {}).get("mastag")
        if master and store.table(master):
            out.append((f["fid"], ref, master, target))
    return out


def lookup_indexes(store, fields):
    """For each lookup field: (fid, reference fid, master key value -> target value)."""
    indexes, masters = [], {}
    for fid, ref, master, target in lookup_sources(store, fields):
        if (master, target) not in masters:
            key_fid = str(store.table(master)["key_fid"])
            masters[(master, target)] = {
                vals.get(key_fid, ""): vals.get(str(target), "")
                for _, _, vals in store.all_records(master)}
        indexes.append((fid, ref, masters[(master, target)]))
    return indexes


def fill_lookups(indexes, rows):
    for fid, ref, index in indexes:
        for _, _, vals in rows:
            ref_value = vals.get(str(ref), "")
            vals[str(fid)] = index.get(ref_value, "") if ref_value else ""
    return rows


def materialize(store, fields, rows):
    """Fill lookup fields from the master records that reference fields point at."""
    return fill_lookups(lookup_indexes(store, fields), rows)


def _listed_rids(tree):
    """The record ids of a query that only names record ids ({3.EX.'n'} joined by OR), else None."""
    leaves = tree[1] if tree is not None and tree[0] == "or" else [tree]
    rids = set()
    for leaf in leaves:
        if leaf is None or leaf[0] != "crit" or leaf[1] != 3 or leaf[2] != "EX" or not leaf[3].isdigit():
            return None
        rids.add(int(leaf[3]))
    return rids


# Record ids stay below what SQLite stores, however large a criterion's value.
_RID_CEILING = 2 ** 62


def rid_range(tree):
    """The record ids (low, high), inclusive and None when open, that the
    query's conditions on field 3 in its top-level AND allow: no record
    outside them can match, so a query reads only those."""
    low, high = None, None
    stack = [tree] if tree is not None else []
    while stack:
        node = stack.pop()
        if node[0] == "and":
            stack.extend(node[1])
            continue
        if node[0] != "crit" or node[1] != 3 or not node[3].isdigit():
            continue
        value = min(int(node[3]), _RID_CEILING)
        op = node[2]
        if op in ("GT", "GTE", "EX"):
            floor = value + 1 if op == "GT" else value
            low = floor if low is None else max(low, floor)
        if op in ("LT", "LTE", "EX"):
            top = value - 1 if op == "LT" else value
            high = top if high is None else min(high, top)
    return low, high


def _compiled(fields, query_text, slist):
    types = {f["fid"]: f["type"] for f in fields}
    tree = qlang.parse(query_text)
    predicate = qlang.compile_query(tree, types)
    for fid in slist:
        if fid not in types:
            raise ApiError(31, "The sort list names field %d, which the table does not have" % fid)
    return tree, predicate, types


def select_rids(store, table, fields, query_text, slist, orders):
    """Record ids matching the query, ordered by the sort fields and then by rid."""
    tdbid = table["dbid"]
    tree, predicate, types = _compiled(fields, query_text, slist)
    deps = [tdbid] + sorted({m for _, _, m, _ in lookup_sources(store, fields)})
    key = (tdbid, query_text or "", tuple(slist), tuple(orders))

    def build():
        if tree is None and all(f == 3 for f in slist):
            rids = store.all_rids(tdbid)
            return rids[::-1] if slist and orders[0] == "D" else rids
        listed = _listed_rids(tree)
        if listed is not None and all(f == 3 for f in slist):
            # A purge's list of record ids, or a lookup by id, needs no look at any value.
            rids = [record[0] for record in store.records_by_rid(tdbid, sorted(listed))]
            return rids[::-1] if slist and orders[0] == "D" else rids
        low, high = rid_range(tree)
        rows = [r for batch in store.records_in_rid_order(tdbid, low, high, batch=10000) for r in batch]
        rows = [r for r in materialize(store, fields, rows) if predicate(r[2])]
        # Sort on the last key first: Python's sort is stable, so earlier keys win
        # and rid order breaks every remaining tie.
        for fid, order in reversed(list(zip(slist, orders))):
            ftype, name = types[fid], str(fid)
            key_of = sort_key(ftype)
            rows.sort(key=lambda r: key_of(stored_value(ftype, r[2], name)), reverse=order == "D")
        return [r[0] for r in rows]

    return store.cached_result(key, deps, build)


def _first_in_rid_order(store, fields, tdbid, tree, predicate, descending, count):
    """The first `count` matching records in record-id order, with lookup
    values, reading the table only as far as they reach."""
    low, high = rid_range(tree)
    indexes = lookup_indexes(store, fields)
    found = []
    for batch in store.records_in_rid_order(tdbid, low, high, descending, batch=max(count, 100)):
        found += [r for r in fill_lookups(indexes, batch) if predicate(r[2])]
        if len(found) >= count:
            return found[:count]
    return found


def select_page(store, table, fields, query_text, slist, orders, skip, num):
    """The page of the query's records after skipping `skip` of them, at most `num`
    (all when None), as (rid, update_id, values) with lookup values. The first
    page in record-id order reads the records up to its end and no further:
    a client that continues after the last record read ({3.GT.'n'}) pays for
    each page, not for the table."""
    tree, predicate, _ = _compiled(fields, query_text, slist)
    # An offset pages through a result list kept until the table changes.
    if skip == 0 and num is not None and all(f == 3 for f in slist) and _listed_rids(tree) is None:
        descending = bool(slist) and orders[0] == "D"
        return _first_in_rid_order(store, fields, table["dbid"], tree, predicate, descending, num)
    rids = select_rids(store, table, fields, query_text, slist, orders)
    rows = store.records_by_rid(table["dbid"], rids[skip:] if num is None else rids[skip:skip + num])
    return materialize(store, fields, rows)


class Uniques:
    """Values already present in unique fields, loaded once per request."""

    def __init__(self, store, tdbid, fields):
        self.fields = [f for f in fields if f["props"].get("unique") in ("1", 1, True) and f["fid"] != 3]
        self.seen = {}
        if self.fields:
            for rid, _, vals in store.all_records(tdbid):
                self.add(rid, vals)

    def add(self, rid, vals):
        for f in self.fields:
            v = vals.get(str(f["fid"]), "")
            if v != "":
                self.seen.setdefault(f["fid"], {})[fold(v)] = rid

    def check(self, rid, vals):
        for f in self.fields:
            v = vals.get(str(f["fid"]), "")
            if v == "":
                continue
            owner = self.seen.get(f["fid"], {}).get(fold(v))
            if owner is not None and owner != rid:
                raise ApiError(51, "Field %d (%s) already holds %r in record %d"
                               % (f["fid"], f["label"], v, owner))


class Writer:
    """Applies written fields to records of one table inside one request."""

    def __init__(self, store, table, fields, user, opts, ignore_error=False):
        self.store = store
        self.table = table
        self.fields = {f["fid"]: f for f in fields}
        self.user = user
        self.opts = opts
        self.ignore_error = ignore_error
        self.uniques = Uniques(store, table["dbid"], fields)

    def field(self, fid, for_import=False):
        f = self.fields.get(fid)
        if f is None:
            raise ApiError(31, "The table has no field %d" % fid)
        if not writable(f):
            raise ApiError(34, "Field %d (%s) cannot be written" % (fid, f["label"]))
        if for_import and f["type"] == "file":
            raise ApiError(34, "Field %d (%s) is a file attachment; it cannot be imported" % (fid, f["label"]))
        return f

    def convert(self, items):
        """(fid, raw text, filename or None) -> (values, files); files maps fid to
        (filename, bytes) or None for removal."""
        values, files = {}, {}
        for fid, raw, filename in items:
            try:
                f = self.field(fid)
            except ApiError:
                if self.ignore_error:
                    continue
                raise
            if f["type"] == "file":
                if filename:
                    try:
                        content = base64.b64decode("".join(raw.split()), validate=True)
                    except (binascii.Error, ValueError):
                        raise ApiError(2, "Field %d: the attachment is not valid base64" % fid)
                    files[fid] = (filename, content)
                    values[str(fid)] = filename
                elif raw.strip() == "":
                    files[fid] = None
                    values[str(fid)] = ""
                else:
                    raise ApiError(2, "Field %d: an attachment needs a file name" % fid)
                continue
            values[str(fid)] = to_stored(f["type"], fid, raw, self.opts)
        return values, files

    def add(self, values, files=None):
        now = self.store.now_ms()
        data = {}
        for f in self.fields.values():
            default = f["props"].get("default_value", "")
            if writable(f) and default != "" and f["type"] != "file":
                data[str(f["fid"])] = to_stored(f["type"], f["fid"], str(default), self.opts)
            elif f["type"] == "checkbox" and writable(f):
                data[str(f["fid"])] = "0"
        data.update(values)
        data.update({"1": str(now), "2": str(now), "4": self.user["id"], "5": self.user["id"]})
        self.check_required(data)
        rid = self.table["next_rid"]
        self.uniques.check(rid, data)
        update_id = self.store.next_update_id(self.table["dbid"])
        rid = self.store.insert_record(self.table["dbid"], self.clean(data), update_id)
        self.table["next_rid"] = rid + 1
        self.uniques.add(rid, data)
        self.save_files(rid, files or {})
        return rid, update_id

    def edit(self, rid, values, files=None, update_id=None):
        found = self.store.record(self.table["dbid"], rid)
        if found is None:
            raise ApiError(30, "Record %d does not exist" % rid)
        current_uid, data = found
        if update_id not in (None, "") and str(update_id) != str(current_uid):
            raise ApiError(60, "Record %d was changed since update id %s (now %s)"
                           % (rid, update_id, current_uid))
        changed = [k for k, v in values.items() if data.get(k, "") != v]
        changed += [str(fid) for fid in (files or {}) if str(fid) not in changed and files[fid] is not None]
        if not changed:
            return current_uid, 0
        data.update(values)
        data.update({"2": str(self.store.now_ms()), "5": self.user["id"]})
        self.check_required(data)
        self.uniques.check(rid, data)
        new_uid = self.store.next_update_id(self.table["dbid"])
        self.store.update_record(self.table["dbid"], rid, self.clean(data), new_uid)
        self.uniques.add(rid, data)
        self.save_files(rid, files or {})
        return new_uid, len(set(changed))

    def check_required(self, data):
        for f in self.fields.values():
            if is_required(f) and writable(f) and data.get(str(f["fid"]), "") == "":
                raise ApiError(50, "Field %d (%s) requires a value" % (f["fid"], f["label"]))

    def save_files(self, rid, files):
        for fid, attachment in files.items():
            if attachment is None:
                self.store.drop_file(self.table["dbid"], rid, fid)
            else:
                self.store.put_file(self.table["dbid"], rid, fid, attachment[0], attachment[1])

    @staticmethod
    def clean(data):
        return {k: v for k, v in data.items() if v != "" and k != "3"}
