"""The API actions: credentials, dbid checks and one function per action. Each
action returns the XML that follows the envelope's error elements, or a Raw reply."""

import csv
import io
import re
import secrets

from .errors import ApiError
from .fieldtypes import BASE_TYPE, WriteOptions, fold, stored_value
from .records import Writer, is_required, resolve_user, select_page, select_rids, set_key_field, writable
from .xmlout import el, esc, start_tag

DEFAULT_TICKET_HOURS = 12


class Raw:
    """A reply that is not XML (CSV)."""

    def __init__(self, content_type, text):
        self.content_type = content_type
        self.text = text


class Request:
    def __init__(self, action, dbid, params, items, cookie_ticket=None, base_url=""):
        self.action = action
        self.dbid = dbid                  # "main" or a dbid
        self.params = params              # tag -> text (the last one wins)
        self.items = items                # [(tag, attrs, text)] in document order
        self.cookie_ticket = cookie_ticket
        self.base_url = base_url
        self.set_cookies = []


class Context:
    def __init__(self, store, req):
        self.store = store
        self.req = req
        self.p = req.params
        self.user = None
        self.by_usertoken = False
        self.app = None
        self.table = None
        self.fields = None


# ---- parameters ---------------------------------------------------------------
def stripped(p, name):
    """A parameter's text without surrounding blanks; '' when absent."""
    return (p.get(name) or "").strip()


def flag(p, name, default=False):
    v = stripped(p, name)
    if v == "":
        return default
    return v.lower() in ("1", "true", "yes", "on")


def int_param(p, name, default=None, required=False):
    v = stripped(p, name)
    if v == "":
        if required:
            raise ApiError(2, "Missing parameter %s" % name)
        return default
    try:
        return int(v)
    except ValueError:
        raise ApiError(2, "Parameter %s must be a whole number, not %r" % (name, v))


def text_param(p, name):
    v = p.get(name)
    if v is None or v.strip() == "":
        raise ApiError(2, "Missing parameter %s" % name)
    return v


def fid_list(text, what):
    out = []
    for part in (text or "").split("."):
        part = part.strip()
        if part == "":
            continue
        if not part.isdigit():
            raise ApiError(2, "%s: %r is not a field id" % (what, part))
        out.append(int(part))
    return out


def parse_options(text):
    opts = {"num": None, "skp": 0, "sortorder": "", "flags": set()}
    for part in (text or "").split("."):
        part = part.strip()
        if not part:
            continue
        m = re.fullmatch(r"(num|skp)-(\d+)", part)
        if m:
            opts[m.group(1)] = int(m.group(2))
        elif part.startswith("sortorder-"):
            letters = part[len("sortorder-"):]
            if not re.fullmatch(r"[AD]*", letters):
                raise ApiError(2, "sortorder takes only the letters A and D, not %r" % letters)
            opts["sortorder"] = letters
        elif re.fullmatch(r"(num|skp)-.*", part):
            raise ApiError(2, "Bad option %r" % part)
        else:
            opts["flags"].add(part)
    return opts


def write_options(ctx):
    return WriteOptions(ms_in_utc=flag(ctx.p, "msInUTC"),
                        ms_duration=flag(ctx.p, "msAsDurationDefault"),
                        decimal_percent=True,
                        tz_offset_minutes=ctx.app["tz_offset"] if ctx.app else 0,
                        resolve_user=lambda name: resolve_user(ctx.store, name))


# ---- credentials and dbids ------------------------------------------------------
def authenticate(ctx):
    p, store = ctx.p, ctx.store
    if p.get("usertoken"):
        user = store.usertoken_user(p["usertoken"].strip())
        if user is None:
            raise ApiError(4, "The user token is not valid")
        ctx.by_usertoken = True
        return user
    ticket = p.get("ticket") or ctx.req.cookie_ticket
    if ticket:
        user = store.ticket_user(ticket.strip())
        if user is None:
            raise ApiError(4, "The ticket is unknown or has expired")
        return user
    if p.get("username") is not None:
        return check_password(store, p)
    raise ApiError(22, "No ticket, user token or user name was given")


def check_password(store, p):
    user = store.find_user(stripped(p, "username"))
    if user is None or user["password"] != (p.get("password") or ""):
        raise ApiError(20, "The user name or password is wrong")
    return user


def resolve_dbid(ctx, scope):
    """Finds the application or table the path names and checks access to it."""
    store, dbid = ctx.store, ctx.req.dbid
    if dbid == "main":
        raise ApiError(14, "%s needs a %s dbid in the path" % (ctx.req.action, "table" if scope == "table" else "application"))
    table = store.table(dbid)
    app = store.app(table["app_dbid"] if table else dbid)
    if app is None:
        raise ApiError(32, "No application or table has the dbid %s" % dbid)
    if scope == "table" and table is None:
        raise ApiError(14, "%s is an application; %s needs a table dbid" % (dbid, ctx.req.action))
    if scope == "app" and table is not None:
        raise ApiError(14, "%s is a table; %s needs an application dbid" % (dbid, ctx.req.action))
    if app["require_apptoken"] and not ctx.by_usertoken:
        token = stripped(ctx.p, "apptoken")
        if not token or not store.apptoken_valid(app["dbid"], token):
            raise ApiError(24, "The application requires a valid application token")
    if not store.granted(app["dbid"], ctx.user["id"]):
        raise ApiError(3, "User %s has no access to %s" % (ctx.user["id"], app["name"]))
    ctx.app, ctx.table = app, table
    if table is not None:
        ctx.fields = store.fields(table["dbid"])


def field_by_fid(ctx, fid):
    for f in ctx.fields:
        if f["fid"] == fid:
            return f
    raise ApiError(31, "The table has no field %d" % fid)


# ---- main actions ---------------------------------------------------------------------
def api_authenticate(ctx):
    user = check_password(ctx.store, ctx.p)
    hours = DEFAULT_TICKET_HOURS
    if stripped(ctx.p, "hours"):
        try:
            hours = float(stripped(ctx.p, "hours"))
        except ValueError:
            raise ApiError(2, "hours must be a number")
    ticket = ctx.store.new_ticket(user["id"], hours)
    ctx.req.set_cookies.append("TICKET=%s; path=/" % ticket)
    return el("ticket", ticket) + el("userid", user["id"])


def api_getuserinfo(ctx):
    user, email = ctx.user, stripped(ctx.p, "email")
    if email:
        user = ctx.store.find_user(email)
        if user is None:
            raise ApiError(2, "No user has the address %s" % email)
    return (start_tag("user", {"id": user["id"]}) + el("firstName", user["first"]) + el("lastName", user["last"])
            + el("login", user["login"]) + el("email", user["email"]) + el("screenName", user["screen"])
            + "</user>")


def visible_apps(ctx):
    return [a for a in ctx.store.apps() if ctx.store.granted(a["dbid"], ctx.user["id"])]


def api_granteddbs(ctx):
    with_tables = flag(ctx.p, "withembeddedtables", True)
    no_parents = flag(ctx.p, "excludeparents", False)
    out = ["<databases>"]
    for app in visible_apps(ctx):
        if not no_parents:
            out.append("<dbinfo>%s%s</dbinfo>" % (el("dbname", app["name"]), el("dbid", app["dbid"])))
        if with_tables:
            for t in ctx.store.tables_of(app["dbid"]):
                out.append("<dbinfo>%s%s</dbinfo>" % (el("dbname", "%s: %s" % (app["name"], t["name"])),
                                                      el("dbid", t["dbid"])))
    out.append("</databases>")
    return "".join(out)


def api_finddbbyname(ctx):
    name = text_param(ctx.p, "dbname")
    parents_only = flag(ctx.p, "ParentsOnly")
    found = []
    for app in visible_apps(ctx):
        if fold(app["name"]) != fold(name):
            continue
        tables = ctx.store.tables_of(app["dbid"])
        found.append(tables[0]["dbid"] if len(tables) == 1 and not parents_only else app["dbid"])
    if not found:
        raise ApiError(32, "No application is named %s" % name)
    return "".join(el("dbid", d) for d in found)


def api_createdatabase(ctx):
    name = text_param(ctx.p, "dbname")
    want_token = flag(ctx.p, "createapptoken")
    store = ctx.store
    dbid = store.create_app(name, ctx.p.get("dbdesc") or "", require_apptoken=want_token)
    store.grant(dbid, ctx.user["id"])
    out = el("dbid", dbid) + el("appdbid", dbid)
    if want_token:
        token = secrets.token_hex(12)
        store.add_apptoken(dbid, token)
        out += el("apptoken", token)
    return out


# ---- schema ---------------------------------------------------------------------------
KNOWN_ORDER = ["required", "unique", "foreignkey"]


def field_xml(f, key_fid):
    props = dict(f["props"])
    role = props.pop("role", "")
    # A "base_type" property stands in for the type's own, so tests can serve
    # a schema with a base type no client knows.
    base = props.pop("base_type", BASE_TYPE.get(f["type"], "text"))
    attrs = {"id": f["fid"], "field_type": f["type"], "base_type": base}
    if f["mode"]:
        attrs["mode"] = f["mode"]
    if role:
        attrs["role"] = role
    out = [start_tag("field", attrs), el("label", f["label"])]
    defaults = {"required": "0", "unique": "1" if f["fid"] in (3, key_fid) else "0", "foreignkey": "0"}
    for name in KNOWN_ORDER:
        out.append(el(name, props.pop(name, defaults[name])))
    if base == "text":
        out.append(el("maxlength", props.pop("maxlength", "0")))
        out.append(el("num_lines", props.pop("num_lines", "6" if f["type"] == "multitext" else "1")))
    if base == "float":
        out.append(el("decimal_places", props.pop("decimal_places", "")))
    out.append(el("default_value", props.pop("default_value", "")))
    for name in sorted(props):
        out.append(el(name, props[name]))
    out.append("</field>")
    return "".join(out)


def original_xml(ctx):
    app, table = ctx.app, ctx.table
    if table is None:
        return "<original>%s%s%s</original>" % (el("table_id", app["dbid"]), el("app_id", app["dbid"]),
                                                el("cre_date", app["created_ms"]))
    return ("<original>" + el("table_id", table["dbid"]) + el("app_id", app["dbid"])
            + el("cre_date", table["created_ms"]) + el("mod_date", table["modified_ms"])
            + el("next_record_id", table["next_rid"]) + el("next_field_id", table["next_fid"])
            + el("next_query_id", 1) + el("def_sort_fid", 3) + el("def_sort_order", 1)
            + el("key_fid", table["key_fid"]) + "</original>")


def variables_xml(ctx):
    vars_ = ctx.app["variables"]
    return "<variables>%s</variables>" % "".join(el("var", v, {"name": k}) for k, v in sorted(vars_.items()))


def underscored(name):
    return re.sub(r"[^a-z0-9]", "_", name.lower())


def chdbid_name(tname):
    return "_dbid_" + underscored(tname)


def api_getschema(ctx):
    if ctx.table is None:
        name, descr = ctx.app["name"], ctx.app["descr"]
    else:
        name, descr = ctx.table["name"], ctx.table["descr"]
    out = ["<table>", el("name", name), el("desc", descr), original_xml(ctx), variables_xml(ctx)]
    if ctx.table is None:
        out.append("<chdbids>")
        for t in ctx.store.tables_of(ctx.app["dbid"]):
            out.append(el("chdbid", t["dbid"], {"name": chdbid_name(t["name"])}))
        out.append("</chdbids>")
    else:
        out.append("<fields>%s</fields>" % "".join(field_xml(f, ctx.table["key_fid"]) for f in ctx.fields))
    out.append("</table>")
    return "".join(out)


# ---- queries ---------------------------------------------------------------------------
def query_plan(ctx):
    """Parses clist, slist and options; returns (clist fields, page of rows, options)."""
    p = ctx.p
    by_fid = {f["fid"]: f for f in ctx.fields}
    clist_text = stripped(p, "clist")
    if clist_text in ("", "a"):
        clist = list(by_fid)
    else:
        clist = fid_list(clist_text, "clist")
        for fid in clist:
            if fid not in by_fid:
                raise ApiError(31, "The column list names field %d, which the table does not have" % fid)
    slist = fid_list(p.get("slist"), "slist")
    opts = parse_options(p.get("options"))
    orders = [(opts["sortorder"][i] if i < len(opts["sortorder"]) else "A") for i in range(len(slist))]
    rows = select_page(ctx.store, ctx.table, ctx.fields, p.get("query"), slist, orders, opts["skp"], opts["num"])
    return [by_fid[f] for f in clist], rows, opts


def value_of(f, vals):
    return stored_value(f["type"], vals, str(f["fid"]))


def file_url(ctx, rid, fid):
    return "%s/up/%s/a/r%d/e%d/v0" % (ctx.req.base_url, ctx.table["dbid"], rid, fid)


def luser_ids(cols, rows):
    ids = []
    for f in cols:
        if f["type"] in ("userid", "multiuserid"):
            for _, _, vals in rows:
                for uid in value_of(f, vals).split(";"):
                    if uid and uid not in ids:
                        ids.append(uid)
    return ids


def tag_name(label):
    tag = underscored(label)
    return "_" + tag if not tag or tag[0].isdigit() else tag


def api_doquery(ctx):
    cols, rows, _ = query_plan(ctx)
    if stripped(ctx.p, "fmt") == "structured":
        return structured_reply(ctx, cols, rows)
    with_rids = flag(ctx.p, "includeRids")
    out = ["<dbinfo>", el("name", ctx.table["name"]), el("desc", ctx.table["descr"]), "</dbinfo>",
           variables_xml(ctx), "<chdbids/>"]
    tags = [tag_name(f["label"]) for f in cols]
    for rid, uid, vals in rows:
        out.append('<record rid="%d">' % rid if with_rids else "<record>")
        for f, tag in zip(cols, tags):
            out.append(el(tag, value_of(f, vals)))
        out.append(el("update_id", uid))
        out.append("</record>\n")
    return "".join(out)


def structured_reply(ctx, cols, rows):
    store = ctx.store
    out = ["<table>", el("name", ctx.table["name"]), el("desc", ctx.table["descr"]), original_xml(ctx),
           variables_xml(ctx), "<queries/>",
           "<fields>%s</fields>" % "".join(field_xml(f, ctx.table["key_fid"]) for f in cols),
           el("lastluserid", 0), "<lusers>"]
    for uid in luser_ids(cols, rows):
        user = store.user(uid)
        if user:
            name = ("%s %s" % (user["first"], user["last"])).strip() or user["screen"]
            out.append(el("luser", name, {"id": uid}))
    out.append("</lusers><records>\n")
    for rid, uid, vals in rows:
        out.append('<record rid="%d" update_id="%s">' % (rid, uid))
        for f in cols:
            v = value_of(f, vals)
            if f["type"] == "file" and v:
                out.append('<f id="%d"><url>%s</url>%s</f>' % (f["fid"], esc(file_url(ctx, rid, f["fid"])), esc(v)))
            else:
                out.append(el("f", v, {"id": f["fid"]}))
        out.append("</record>\n")
    out.append("</records></table>")
    return "".join(out)


def api_genresultstable(ctx):
    cols, rows, opts = query_plan(ctx)
    if "csv" not in opts["flags"]:
        raise ApiError(2, "Only the csv output of API_GenResultsTable is available")
    buf = io.StringIO()
    writer = csv.writer(buf, lineterminator="\r\n")
    writer.writerow([f["label"] for f in cols])
    for _, _, vals in rows:
        writer.writerow([value_of(f, vals) for f in cols])
    return Raw("text/csv; charset=utf-8", buf.getvalue())


def api_purgerecords(ctx):
    rids = select_rids(ctx.store, ctx.table, ctx.fields, ctx.p.get("query"), [], [])
    ctx.store.delete_records(ctx.table["dbid"], list(rids))
    return el("num_records_deleted", len(rids))


# ---- writes --------------------------------------------------------------------------------
def field_items(ctx):
    items = []
    for tag, attrs, text in ctx.req.items:
        if tag != "field":
            continue
        fid = (attrs.get("fid") or "").strip()
        if not fid.isdigit():
            raise ApiError(2, "Every <field> needs a numeric fid attribute")
        items.append((int(fid), text, attrs.get("filename")))
    return items


def api_addrecord(ctx):
    writer = Writer(ctx.store, ctx.table, ctx.fields, ctx.user, write_options(ctx), flag(ctx.p, "ignoreError"))
    values, files = writer.convert(field_items(ctx))
    rid, update_id = writer.add(values, files)
    return el("rid", rid) + el("update_id", update_id)


def api_editrecord(ctx):
    rid = int_param(ctx.p, "rid", required=True)
    writer = Writer(ctx.store, ctx.table, ctx.fields, ctx.user, write_options(ctx), flag(ctx.p, "ignoreError"))
    values, files = writer.convert(field_items(ctx))
    update_id, changed = writer.edit(rid, values, files, stripped(ctx.p, "update_id") or None)
    return el("rid", rid) + el("num_fields_changed", changed) + el("update_id", update_id)


def api_importfromcsv(ctx):
    p = ctx.p
    opts = write_options(ctx)
    opts.decimal_percent = flag(p, "decimalPercent")
    writer = Writer(ctx.store, ctx.table, ctx.fields, ctx.user, opts)
    clist = fid_list(text_param(p, "clist"), "clist")
    for fid in clist:
        if fid != 0 and fid != 3:
            writer.field(fid, for_import=True)
    rows = [r for r in csv.reader(io.StringIO(p.get("records_csv") or "", newline="")) if r]
    if flag(p, "skipfirst"):
        rows = rows[1:]
    rid_col = clist.index(3) if 3 in clist else None
    adds = [r for r in rows if rid_col is None or rid_col >= len(r) or r[rid_col].strip() == ""]
    if adds:
        given = set(clist)
        missing = [f for f in ctx.fields if is_required(f) and writable(f)
                   and f["fid"] not in given and (f["props"].get("default_value") or "") == ""]
        if missing:
            raise ApiError(53, "The import lacks the required fields %s"
                           % ", ".join(str(f["fid"]) for f in missing))
    out, added, updated = [], 0, 0
    for n, row in enumerate(rows, 1):
        if len(row) != len(clist):
            raise ApiError(2, "Row %d has %d values but clist names %d fields" % (n, len(row), len(clist)))
        items = [(fid, v, None) for fid, v in zip(clist, row) if fid not in (0, 3)]
        values, _ = writer.convert(items)
        rid_text = row[rid_col].strip() if rid_col is not None else ""
        if rid_text == "":
            rid, uid = writer.add(values)
            added += 1
        else:
            if not rid_text.isdigit():
                raise ApiError(2, "Row %d: %r is not a record id" % (n, rid_text))
            rid = int(rid_text)
            uid, _ = writer.edit(rid, values)
            updated += 1
        out.append(el("rid", rid, {"update_id": uid}))
    return (el("num_recs_input", len(rows)) + el("num_recs_added", added) + el("num_recs_updated", updated)
            + "<rids>" + "".join(out) + "</rids>")


# ---- tables and fields -------------------------------------------------------------------
def api_createtable(ctx):
    name = text_param(ctx.p, "tname")
    dbid = ctx.store.create_table(ctx.app["dbid"], name.strip(), stripped(ctx.p, "pnoun"))
    return el("newdbid", dbid)


def api_addfield(ctx):
    label = text_param(ctx.p, "label").strip()
    ftype = stripped(ctx.p, "type")
    if ftype not in BASE_TYPE:
        raise ApiError(2, "Unknown field type %r" % ftype)
    mode = stripped(ctx.p, "mode")
    if mode not in ("", "virtual", "lookup", "summary"):
        raise ApiError(2, "Unknown field mode %r" % mode)
    fid = ctx.store.add_field(ctx.table["dbid"], label, ftype, mode)
    return el("fid", fid) + el("label", label)


def api_setfieldproperties(ctx):
    fid = int_param(ctx.p, "fid", required=True)
    f = field_by_fid(ctx, fid)
    props = dict(f["props"])
    label = f["label"]
    for tag, _, text in ctx.req.items:
        if tag in ("fid", "ticket", "usertoken", "username", "password", "apptoken", "udata", "encoding"):
            continue
        if tag == "label":
            label = text.strip() or label
        else:
            props[tag] = text.strip()
    if props.get("unique") in ("1", "true") and f["props"].get("unique") not in ("1", "true"):
        seen = {}
        for rid, _, vals in ctx.store.all_records(ctx.table["dbid"]):
            v = vals.get(str(fid), "")
            if v and fold(v) in seen:
                raise ApiError(51, "Field %d holds %r in records %d and %d" % (fid, v, seen[fold(v)], rid))
            seen[fold(v)] = rid
    ctx.store.set_field(ctx.table["dbid"], fid, label, props)
    return el("fid", fid) + el("fname", label)


def api_setkeyfield(ctx):
    fid = int_param(ctx.p, "fid", required=True)
    f = field_by_fid(ctx, fid)
    if fid != 3:
        if f["type"] == "file" or not writable(f):
            raise ApiError(2, "Field %d cannot be the key field" % fid)
        seen = {}
        for rid, _, vals in ctx.store.all_records(ctx.table["dbid"]):
            v = vals.get(str(fid), "")
            if v.strip() == "":
                raise ApiError(50, "Record %d has no value in field %d" % (rid, fid))
            if fold(v) in seen:
                raise ApiError(51, "Records %d and %d share the value %r" % (seen[fold(v)], rid, v))
            seen[fold(v)] = rid
    set_key_field(ctx.store, ctx.table["dbid"], f)
    return ""


# Action name -> (where it is sent, handler). "main" actions go to /db/main;
# "any" accepts an application or a table dbid.
ACTIONS = {
    "API_Authenticate": ("main", api_authenticate),
    "API_GetUserInfo": ("main", api_getuserinfo),
    "API_GrantedDBs": ("main", api_granteddbs),
    "API_FindDBByName": ("main", api_finddbbyname),
    "API_CreateDatabase": ("main", api_createdatabase),
    "API_GetSchema": ("any", api_getschema),
    "API_DoQuery": ("table", api_doquery),
    "API_GenResultsTable": ("table", api_genresultstable),
    "API_ImportFromCSV": ("table", api_importfromcsv),
    "API_PurgeRecords": ("table", api_purgerecords),
    "API_AddRecord": ("table", api_addrecord),
    "API_EditRecord": ("table", api_editrecord),
    "API_CreateTable": ("app", api_createtable),
    "API_AddField": ("table", api_addfield),
    "API_SetFieldProperties": ("table", api_setfieldproperties),
    "API_SetKeyField": ("table", api_setkeyfield),
}


def run(store, req):
    """Runs one request inside one transaction; returns XML text or a Raw reply."""
    entry = ACTIONS.get(req.action)
    if entry is None:
        raise ApiError(2, "Unknown action %r" % req.action)
    scope, handler = entry
    if scope == "main" and req.dbid != "main":
        raise ApiError(14, "%s is sent to /db/main" % req.action)
    with store.tx():
        ctx = Context(store, req)
        if req.action != "API_Authenticate":
            ctx.user = authenticate(ctx)
        if scope != "main":
            resolve_dbid(ctx, scope)
        return handler(ctx)


def download(store, dbid, rid, fid, ticket, usertoken):
    """An attachment's (filename, bytes), or (HTTP status, message) on failure."""
    with store.tx():
        user = None
        if usertoken:
            user = store.usertoken_user(usertoken)
        elif ticket:
            user = store.ticket_user(ticket)
        if user is None:
            return 401, "Sign in required"
        table = store.table(dbid)
        if table is None:
            return 404, "No such table"
        if not store.granted(table["app_dbid"], user["id"]):
            return 403, "Insufficient permissions"
        found = store.file(dbid, rid, fid)
        if found is None:
            return 404, "No such attachment"
        return found["filename"], bytes(found["content"])
