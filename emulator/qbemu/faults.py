"""Faults injected into the next N requests of an action, for testing how a client
copes with service errors and broken transports."""

import re
import threading

KINDS = ("errcode", "http_status", "delay", "drop", "truncate", "malformed", "omit", "drop_after", "cut", "late",
         "endless", "status_after")
# Replies padded with elements that mean nothing: that many nested inside one
# another, or side by side, so that a client's bounds on what it keeps show.
KINDS += ("nested", "siblings")


class Fault:
    def __init__(self, want):
        self.action = want.get("action", "*")
        self.dbid = want.get("dbid")  # only requests to this dbid, when given
        self.count = int(want.get("count", 1))
        # Queries only: every page is the first one again (no offset, no
        # continuation after a record), so its record ids repeat; or each page
        # holds this many records more than num asks.
        self.repeat_page = bool(want.get("repeat_page"))
        self.long_page = int(want.get("long_page", 0) or 0)
        self.errcode = want.get("errcode")
        self.errdetail = want.get("errdetail", "Injected fault")
        self.http_status = want.get("http_status")
        self.delay = float(want.get("delay", 0) or 0)
        self.drop = bool(want.get("drop"))
        self.truncate = bool(want.get("truncate"))
        self.malformed = bool(want.get("malformed"))
        self.omit = want.get("omit")  # a tag name
        # After the action ran: no reply at all, half a reply, or a reply this many seconds late.
        self.drop_after = bool(want.get("drop_after"))
        self.cut = bool(want.get("cut"))
        self.late = float(want.get("late", 0) or 0)
        self.endless = bool(want.get("endless"))  # downloads only
        self.nested = int(want.get("nested", 0) or 0)
        self.siblings = int(want.get("siblings", 0) or 0)
        # After the action ran: a gateway's HTTP error in place of the service's reply.
        self.status_after = int(want.get("status_after") or 0)
        if self.errcode is not None:
            self.errcode = int(self.errcode)
        if self.http_status is not None:
            self.http_status = int(self.http_status)
        if not any((self.errcode is not None, self.http_status, self.delay, self.drop,
                    self.truncate, self.malformed, self.omit, self.drop_after, self.cut, self.late,
                    self.endless, self.nested, self.siblings, self.status_after)) and not self.paging():
            raise ValueError("a fault needs one of " + ", ".join(KINDS + PAGING_KINDS))
        if self.count < 1:
            raise ValueError("count must be at least 1")

    def paging(self):
        return self.repeat_page or self.long_page

    def describe(self):
        out = {"action": self.action, "count": self.count}
        if self.dbid:
            out["dbid"] = self.dbid
        for k in KINDS + PAGING_KINDS:
            v = getattr(self, k)
            if v:
                out[k] = v
        if self.errcode is not None:
            out["errcode"] = self.errcode
            out["errdetail"] = self.errdetail
        return out


class Faults:
    def __init__(self):
        self.lock = threading.Lock()
        self.pending = []

    def add(self, want):
        fault = Fault(want)
        with self.lock:
            self.pending.append(fault)
        return fault.describe()

    def clear(self):
        with self.lock:
            self.pending = []

    def list(self):
        with self.lock:
            return [f.describe() for f in self.pending]

    def take(self, action, dbid=None):
        """The first pending fault for this action (or for every action) and dbid, used once."""
        with self.lock:
            for fault in self.pending:
                if fault.action in ("*", action) and fault.dbid in (None, dbid):
                    fault.count -= 1
                    if fault.count == 0:
                        self.pending.remove(fault)
                    return fault
        return None


# An endless download's pace: fast enough to outlast any sane size or time
# bound, slow enough not to fill a test machine's disk before one ends it.
ENDLESS_BLOCK = 65536
ENDLESS_PAUSE = 0.01


def truncated(body):
    return body[:max(1, len(body) // 2)]


def malformed(body):
    # Well-formedness breaks twice over: an undefined entity and an element that
    # never closes, so a parser can't recover by accident.
    text = body.decode("utf-8", "replace")
    cut = text.rfind("</qdbapi>")
    if cut < 0:
        cut = len(text)
    return (text[:cut] + "<broken attr=>&undefined;</qdbapi>").encode("utf-8")


# Faults of a query's paging, applied to its parameters before it runs.
PAGING_KINDS = ("repeat_page", "long_page")


# A page that continues after the last record read: the query's own criteria
# in parentheses AND {3.GT.'n'} ({3.LT.'n'} descending), or that alone.
_CONTINUED = re.compile(r"\((.*)\)AND\{3\.(?:GT|LT)\.'\d+'\}", re.DOTALL)
_CONTINUATION = re.compile(r"\{3\.(?:GT|LT)\.'\d+'\}")


def first_page_query(query):
    """The query without the continuation of a page after the first."""
    continued = _CONTINUED.fullmatch(query)
    if continued:
        return continued.group(1)
    return "" if _CONTINUATION.fullmatch(query) else query


def paged(params, fault):
    """The query parameters with the paging a paging fault serves instead of the one asked for."""
    options = params.get("options") or ""
    query = params.get("query") or ""
    if fault.repeat_page:
        options = re.sub(r"(^|\.)skp-\d+", r"\1skp-0", options)
        query = first_page_query(query)
    if fault.long_page:
        options = re.sub(r"(^|\.)num-(\d+)",
                         lambda m: "%snum-%d" % (m.group(1), int(m.group(2)) + fault.long_page), options)
    return dict(params, options=options, query=query)


def omitted(body, tag):
    # A reply of an older or differently configured service may lack an
    # element that clients should only take as a bonus.
    name = re.escape(tag.encode("utf-8"))
    return re.sub(rb"<" + name + rb"(?:\s[^>]*)?(?:/>|>.*?</" + name + rb">)", b"", body, flags=re.DOTALL)


def padded(body, nested, siblings):
    """The reply with elements of no meaning just inside its root, at its end."""
    cut = body.rfind(b"</qdbapi>")
    if cut < 0:
        cut = len(body)
    padding = b"<a>" * nested + b"</a>" * nested + b"<a/>" * siblings
    return body[:cut] + padding + body[cut:]
