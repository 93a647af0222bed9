"""Field types: their base types, how written values become stored text, and how
stored text compares. Stored text is the reply form: decimal numbers, milliseconds
for dates and times, 1/0 for checkboxes, user ids for user fields."""

import datetime
import re
from decimal import Decimal, InvalidOperation

from .errors import ApiError

BASE_TYPE = {
    "text": "text", "email": "text", "url": "text", "phone": "text",
    "multitext": "text", "userid": "text", "multiuserid": "text",
    "file": "text", "dblink": "text", "icalendarbutton": "text",
    "vcardbutton": "text",
    "float": "float", "currency": "float", "percent": "float", "rating": "float",
    "checkbox": "bool",
    "date": "int64", "timestamp": "int64", "timeofday": "int64", "duration": "int64",
    "recordid": "int32",
}

MS_PER_DAY = 86400000
_DURATION_UNITS = {
    "ms": 1, "msec": 1, "millisecond": 1, "milliseconds": 1,
    "s": 1000, "sec": 1000, "secs": 1000, "second": 1000, "seconds": 1000,
    "m": 60000, "min": 60000, "mins": 60000, "minute": 60000, "minutes": 60000,
    "h": 3600000, "hr": 3600000, "hrs": 3600000, "hour": 3600000, "hours": 3600000,
    "d": MS_PER_DAY, "day": MS_PER_DAY, "days": MS_PER_DAY,
    "w": 7 * MS_PER_DAY, "wk": 7 * MS_PER_DAY, "week": 7 * MS_PER_DAY,
    "weeks": 7 * MS_PER_DAY,
}
_TRUE = {"1", "yes", "true", "on", "y", "checked"}
_FOLD = str.maketrans("ABCDEFGHIJKLMNOPQRSTUVWXYZ", "abcdefghijklmnopqrstuvwxyz")
_EPOCH = datetime.datetime(1970, 1, 1)


def is_text(ftype):
    return BASE_TYPE.get(ftype, "text") == "text"


def fold(s):
    """Text comparison key: only A-Z fold, trailing blanks don't count, and the
    rest compares as UTF-8 bytes so non-ASCII letters keep their byte order."""
    return s.rstrip(" ").translate(_FOLD).encode("utf-8")


class WriteOptions:
    """Per-request switches that change how written values are read."""

    def __init__(self, ms_in_utc=False, ms_duration=False, decimal_percent=True,
                 tz_offset_minutes=0, resolve_user=None):
        self.ms_in_utc = ms_in_utc
        self.ms_duration = ms_duration
        self.decimal_percent = decimal_percent
        self.tz_offset_ms = tz_offset_minutes * 60000
        self.resolve_user = resolve_user or (lambda v: v)


def canonical_decimal(text):
    try:
        d = Decimal(text.replace(",", "").strip())
    except InvalidOperation:
        return None
    if not d.is_finite():
        return None
    out = format(d.normalize(), "f")
    return "0" if out in ("-0", "") else out


def _parse_int(text):
    return int(text) if re.fullmatch(r"-?\d+", text) else None


def parse_date_ms(text):
    """yyyy-mm-dd, mm-dd-yyyy or mm/dd/yyyy to midnight UTC milliseconds."""
    m = re.fullmatch(r"(\d{4})-(\d{1,2})-(\d{1,2})", text)
    if m:
        y, mo, d = int(m.group(1)), int(m.group(2)), int(m.group(3))
    else:
        m = re.fullmatch(r"(\d{1,2})[-/](\d{1,2})[-/](\d{4})", text)
        if not m:
            return None
        mo, d, y = int(m.group(1)), int(m.group(2)), int(m.group(3))
    try:
        return int((datetime.datetime(y, mo, d) - _EPOCH).total_seconds()) * 1000
    except ValueError:
        return None


def _parse_timestamp_text(text):
    m = re.fullmatch(r"(\d{4})-(\d{1,2})-(\d{1,2})[ T](\d{1,2}):(\d{2})(?::(\d{2})(?:\.(\d{1,3}))?)?(Z)?", text)
    if not m:
        day = parse_date_ms(text)
        return (day, False) if day is not None else (None, False)
    y, mo, d, hh, mi = (int(m.group(i)) for i in range(1, 6))
    ss = int(m.group(6) or 0)
    ms = int((m.group(7) or "0").ljust(3, "0"))
    try:
        dt = datetime.datetime(y, mo, d, hh, mi, ss)
    except ValueError:
        return None, False
    return int((dt - _EPOCH).total_seconds()) * 1000 + ms, bool(m.group(8))


def parse_timeofday(text):
    m = re.fullmatch(r"(\d{1,2}):(\d{2})(?::(\d{2})(?:\.(\d{1,3}))?)?\s*([aApP][mM])?", text)
    if not m:
        return _parse_int(text)
    hh, mi, ss = int(m.group(1)), int(m.group(2)), int(m.group(3) or 0)
    if m.group(5):
        hh = hh % 12 + (12 if m.group(5).lower() == "pm" else 0)
    if hh > 23 or mi > 59 or ss > 59:
        return None
    return ((hh * 60 + mi) * 60 + ss) * 1000 + int((m.group(4) or "0").ljust(3, "0"))


def parse_duration(text, ms_default):
    m = re.fullmatch(r"(-?\d+(?:\.\d*)?|-?\.\d+)\s*([A-Za-z]*)", text)
    if not m:
        return None
    unit = m.group(2).lower()
    if unit:
        factor = _DURATION_UNITS.get(unit)
        if factor is None:
            return None
    else:
        factor = 1 if ms_default else MS_PER_DAY
    return int(round(float(m.group(1)) * factor))


def parse_checkbox(text):
    return "1" if text.strip().lower() in _TRUE else "0"


def to_stored(ftype, fid, raw, opts):
    """Turn a written value into stored text ('' is empty); bad input is errcode 2."""
    text = raw.strip() if not is_text(ftype) else raw
    if ftype == "checkbox":
        return parse_checkbox(text)
    if text == "":
        return ""
    if ftype in ("userid", "multiuserid"):
        parts = [p.strip() for p in text.split(";")] if ftype == "multiuserid" else [text.strip()]
        return ";".join(opts.resolve_user(p) for p in parts if p)
    base = BASE_TYPE.get(ftype, "text")
    if base == "text":
        return raw
    value = None
    if base == "float":
        value = canonical_decimal(text)
        if value is not None and ftype == "percent" and not opts.decimal_percent:
            value = canonical_decimal(str(Decimal(value) / 100))
    elif ftype == "recordid":
        value = _parse_int(text)
    elif ftype == "date":
        ms = _parse_int(text)
        if ms is None:
            ms = parse_date_ms(text)
        value = None if ms is None else ms - ms % MS_PER_DAY
    elif ftype == "timestamp":
        ms = _parse_int(text)
        if ms is not None:
            value = ms if opts.ms_in_utc else ms - opts.tz_offset_ms
        else:
            ms, utc = _parse_timestamp_text(text)
            if ms is not None:
                value = ms if utc else ms - opts.tz_offset_ms
    elif ftype == "timeofday":
        value = parse_timeofday(text)
    elif ftype == "duration":
        value = parse_duration(text, opts.ms_duration)
    if value is None:
        raise ApiError(2, "Invalid value for field %s (%s): %r" % (fid, ftype, raw))
    return str(value)


def stored_value(ftype, vals, key):
    """A field's stored text in a record's values (fid text -> text); a checkbox
    that was never written reads as unchecked."""
    if ftype == "checkbox":
        return vals.get(key) or "0"
    return vals.get(key, "")


def number_of(stored):
    """Numeric value of stored text of a non-text field, or None when empty."""
    if stored == "":
        return None
    try:
        return float(stored)
    except ValueError:
        return None


def criterion_number(ftype, text):
    """Numeric value of a query value for a non-text field; dates may be yyyy-mm-dd."""
    text = text.strip()
    if ftype == "checkbox":
        low = text.lower()
        if low in _TRUE:
            return 1.0
        if low in ("0", "no", "false", "off", "n"):
            return 0.0
        return None
    if ftype in ("date", "timestamp"):
        day = parse_date_ms(text)
        if day is not None:
            return float(day)
    if ftype == "timeofday" and ":" in text:
        tod = parse_timeofday(text)
        return None if tod is None else float(tod)
    try:
        return float(text.replace(",", ""))
    except ValueError:
        return None


def sort_key(ftype):
    """Key function over stored text: empty sorts first in ascending order."""
    if is_text(ftype):
        return fold
    def key(stored):
        n = number_of(stored)
        return (0, 0.0) if n is None else (1, n)
    return key
