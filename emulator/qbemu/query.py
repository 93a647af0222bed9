"""The query-string language: parsing `{fid.OP.'value'}` criteria joined with AND,
OR and parentheses, and turning the tree into a predicate over stored records."""

from .errors import ApiError
from .fieldtypes import MS_PER_DAY, criterion_number, fold, is_text, number_of, parse_date_ms, stored_value

MAX_CRITERIA = 100
OPERATORS = {"EX", "XEX", "CT", "XCT", "SW", "XSW", "LT", "LTE", "GT", "GTE",
             "BF", "OBF", "AF", "OAF"}
_NEGATIVE = {"XEX": "EX", "XCT": "CT", "XSW": "SW"}
# The date operators read as the comparisons they name.
_ALIAS = {"BF": "LT", "OBF": "LTE", "AF": "GT", "OAF": "GTE"}


class _Parser:
    def __init__(self, text):
        self.text = text
        self.pos = 0
        self.criteria = 0

    def fail(self, what):
        raise ApiError(6, "Bad query at position %d: %s" % (self.pos + 1, what))

    def skip_blanks(self):
        while self.pos < len(self.text) and self.text[self.pos].isspace():
            self.pos += 1

    def parse(self):
        self.skip_blanks()
        if self.pos == len(self.text):
            return None
        tree = self.parse_or()
        self.skip_blanks()
        if self.pos < len(self.text):
            if self.text[self.pos] == ")":
                self.fail("unbalanced ')'")
            self.fail("expected AND or OR, found %r" % self.text[self.pos:self.pos + 10])
        return tree

    def keyword(self, word):
        self.skip_blanks()
        end = self.pos + len(word)
        if self.text[self.pos:end].upper() == word:
            self.pos = end
            return True
        return False

    def parse_or(self):
        items = [self.parse_and()]
        while self.keyword("OR"):
            items.append(self.parse_and())
        return items[0] if len(items) == 1 else ("or", items)

    def parse_and(self):
        items = [self.parse_primary()]
        while self.keyword("AND"):
            items.append(self.parse_primary())
        return items[0] if len(items) == 1 else ("and", items)

    def parse_primary(self):
        self.skip_blanks()
        if self.pos >= len(self.text):
            self.fail("a criterion is missing at the end")
        ch = self.text[self.pos]
        if ch == "(":
            self.pos += 1
            tree = self.parse_or()
            self.skip_blanks()
            if self.pos >= len(self.text) or self.text[self.pos] != ")":
                self.fail("missing ')'")
            self.pos += 1
            return tree
        if ch == "{":
            return self.parse_criterion()
        self.fail("expected '{' or '(', found %r" % self.text[self.pos:self.pos + 10])

    def parse_criterion(self):
        self.pos += 1
        fid = self.parse_fid()
        self.expect(".", "'.' after the field id")
        op_start = self.pos
        while self.pos < len(self.text) and self.text[self.pos].isalpha():
            self.pos += 1
        op = self.text[op_start:self.pos]
        if op not in OPERATORS:
            self.pos = op_start
            self.fail("unknown operator %r" % op)
        self.expect(".", "'.' after the operator")
        value = self.parse_value()
        self.criteria += 1
        if self.criteria > MAX_CRITERIA:
            raise ApiError(76, "The query has more than %d criteria" % MAX_CRITERIA)
        return ("crit", fid, op, value)

    def expect(self, ch, what):
        if self.pos >= len(self.text) or self.text[self.pos] != ch:
            self.fail("expected " + what)
        self.pos += 1

    def parse_fid(self):
        quote = self.text[self.pos] if self.pos < len(self.text) and self.text[self.pos] in "'\"" else ""
        if quote:
            self.pos += 1
        start = self.pos
        while self.pos < len(self.text) and self.text[self.pos].isdigit():
            self.pos += 1
        if self.pos == start:
            self.fail("expected a field id")
        fid = int(self.text[start:self.pos])
        if quote:
            self.expect(quote, "closing quote of the field id")
        return fid

    def parse_value(self):
        if self.pos < len(self.text) and self.text[self.pos] in "'\"":
            quote = self.text[self.pos]
            end = self.text.find(quote, self.pos + 1)
            if end < 0:
                self.fail("unterminated quoted value")
            value = self.text[self.pos + 1:end]
            self.pos = end + 1
            self.expect("}", "'}' after the value")
            return value
        end = self.text.find("}", self.pos)
        if end < 0:
            self.fail("missing '}'")
        # An unquoted value stops at its first period: 5.6 reads as 5.
        value = self.text[self.pos:end].split(".", 1)[0]
        self.pos = end + 1
        return value


def parse(text):
    """Parse a query string; None means every record."""
    return _Parser(text or "").parse()


def _text_test(op, value):
    key = fold(value)
    tests = {
        "EX": lambda s: fold(s) == key,
        "CT": lambda s: key in fold(s),
        "SW": lambda s: fold(s).startswith(key),
        "LT": lambda s: fold(s) < key,
        "LTE": lambda s: fold(s) <= key,
        "GT": lambda s: fold(s) > key,
        "GTE": lambda s: fold(s) >= key,
    }
    return tests[op]


def _number_test(ftype, op, value):
    if op in ("CT", "SW"):
        return _text_test(op, value)
    day = parse_date_ms(value.strip()) if ftype == "timestamp" else None
    if day is not None:
        return _day_test(op, day)
    want = criterion_number(ftype, value)
    if want is None:
        return lambda s: False
    tests = {
        "EX": lambda n: n == want, "LT": lambda n: n < want, "LTE": lambda n: n <= want,
        "GT": lambda n: n > want, "GTE": lambda n: n >= want,
    }
    test = tests[op]
    return lambda s: test(number_of(s))


def _day_test(op, day):
    # A bare date against a timestamp means the whole UTC day.
    end = day + MS_PER_DAY
    tests = {
        "EX": lambda n: day <= n < end, "LT": lambda n: n < day, "LTE": lambda n: n < end,
        "GT": lambda n: n >= end, "GTE": lambda n: n >= day,
    }
    test = tests[op]
    return lambda s: test(float(s))


def _field_test(ftype, op, value):
    """Predicate over one stored value, following the service's rules for empties."""
    op = _ALIAS.get(op, op)
    negative = op in _NEGATIVE
    positive = _NEGATIVE.get(op, op)
    if is_text(ftype):
        test = _text_test(positive, value)
        return (lambda s: not test(s)) if negative else test
    test = _number_test(ftype, positive, value)
    if negative:
        # An empty non-text field satisfies every negative operator with a value.
        return lambda s: (value != "") if s == "" else not test(s)
    if positive == "EX":
        return lambda s: (value == "") if s == "" else (value != "" and test(s))
    return lambda s: s != "" and test(s)


def compile_query(tree, fields):
    """Build a predicate over record dicts (fid text -> stored text).

    `fields` maps fid (int) to field type; checkbox values missing from a record
    read as unchecked."""
    if tree is None:
        return lambda rec: True

    def value_of(fid, ftype):
        key = str(fid)
        return lambda rec: stored_value(ftype, rec, key)

    def build(node):
        kind = node[0]
        if kind == "and":
            parts = [build(n) for n in node[1]]
            return lambda rec: all(p(rec) for p in parts)
        if kind == "or":
            parts = [build(n) for n in node[1]]
            return lambda rec: any(p(rec) for p in parts)
        _, fid, op, value = node
        if fid == 0:
            tests = [(value_of(f, t), _field_test(t, op, value)) for f, t in fields.items()]
            if op in _NEGATIVE:
                return lambda rec: all(t(get(rec)) for get, t in tests)
            return lambda rec: any(t(get(rec)) for get, t in tests)
        if fid not in fields:
            raise ApiError(31, "The query names field %d, which the table does not have" % fid)
        get, test = value_of(fid, fields[fid]), _field_test(fields[fid], op, value)
        return lambda rec: test(get(rec))

    return build(tree)
