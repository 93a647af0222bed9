"""Shared test scaffolding: one emulator process per test class, reset to a small
fixture before each test, and helpers for calling actions and reading replies."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

from qbemu.launcher import EmulatorProcess  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
DEMO = os.path.join(os.path.dirname(HERE), "fixtures", "demo.json")

ALICE = "11111111.aaaa"
BOB = "22222222.bbbb"

# Every field type, plus an application that needs a token and one bob can't see.
FIXTURE = {
    "users": [
        {"id": ALICE, "login": "alice", "email": "alice@example.com", "password": "pw-a",
         "first_name": "Alice", "last_name": "Ames", "usertoken": "tok_alice"},
        {"id": BOB, "login": "bob", "email": "bob@example.com", "password": "pw-b",
         "first_name": "Bob", "last_name": "Brown", "usertoken": "tok_bob"},
    ],
    "apps": [
        {"name": "QA", "dbid": "bqaapp222", "variables": {"v1": "one"}, "tz_offset_minutes": 60, "tables": [
            {"name": "Items", "dbid": "bqaitems2", "fields": [
                {"fid": 6, "label": "Name", "type": "text"},
                {"fid": 7, "label": "Count", "type": "float"},
                {"fid": 8, "label": "Price", "type": "currency"},
                {"fid": 9, "label": "Share", "type": "percent"},
                {"fid": 10, "label": "Stars", "type": "rating"},
                {"fid": 11, "label": "Done", "type": "checkbox"},
                {"fid": 12, "label": "Due", "type": "date"},
                {"fid": 13, "label": "Stamp", "type": "timestamp"},
                {"fid": 14, "label": "At", "type": "timeofday"},
                {"fid": 15, "label": "Took", "type": "duration"},
                {"fid": 16, "label": "Mail", "type": "email"},
                {"fid": 17, "label": "Link", "type": "url"},
                {"fid": 18, "label": "Tel", "type": "phone"},
                {"fid": 19, "label": "Memo", "type": "multitext"},
                {"fid": 20, "label": "Who", "type": "userid"},
                {"fid": 21, "label": "Crew", "type": "multiuserid"},
                {"fid": 22, "label": "Doc", "type": "file"},
                {"fid": 23, "label": "Other Id", "type": "recordid"},
                {"fid": 24, "label": "Calc", "type": "float", "mode": "virtual"},
            ], "records": [
                {"6": "apple", "7": 10, "8": 1.5, "9": 0.25, "10": 3, "11": True, "12": "2024-01-15",
                 "13": 1705320000000, "14": 3600000, "15": 86400000, "19": "line one\nline two",
                 "20": "alice", "23": 7},
                {"6": "Banana  ", "7": 9, "8": 20, "11": False, "12": "2024-02-01", "13": 1706790000000,
                 "20": "bob", "21": "alice;bob"},
                {"6": "cherry", "7": 100, "12": "2023-12-31"},
                {"7": -5, "8": 0},
                {"6": "Äpfel", "7": 2.5},
            ]},
            {"name": "Empty", "dbid": "bqaempty2", "fields": [
                {"fid": 6, "label": "Title", "type": "text"}]},
        ]},
        {"name": "Locked", "dbid": "blocked22", "require_apptoken": True, "apptokens": ["app_tok"],
         "tables": [{"name": "Secrets", "dbid": "bsecret22", "fields": [{"fid": 6, "label": "S", "type": "text"}],
                     "records": [{"6": "x"}]}]},
        {"name": "Private", "dbid": "bprivat22", "users": ["alice"],
         "tables": [{"name": "Notes", "dbid": "bnotes222", "fields": [{"fid": 6, "label": "N", "type": "text"}]}]},
    ],
}

ITEMS = "bqaitems2"


class EmulatorTest(unittest.TestCase):
    """Starts an emulator for the class; each test starts from FIXTURE."""

    fixture = FIXTURE
    server_args = {}

    @classmethod
    def setUpClass(cls):
        cls.emu = EmulatorProcess(**cls.server_args).start()
        cls.c = cls.emu.client

    @classmethod
    def tearDownClass(cls):
        cls.emu.__exit__(None, None, None)

    def setUp(self):
        if self.fixture is not None:
            self.c.admin("POST", "reset", {"fixture": self.fixture})
        self.cred = [("usertoken", "tok_alice")]

    # ---- helpers ------------------------------------------------------------------------
    def api(self, action, dbid="main", params=(), fields=(), cred=None, **kw):
        params = list(params.items()) if isinstance(params, dict) else list(params)
        return self.c.api(action, dbid, (self.cred if cred is None else cred) + params, fields, **kw)

    def ok(self, action, dbid="main", params=(), fields=(), **kw):
        root = self.api(action, dbid, params, fields, **kw)
        self.assertEqual(root.findtext("errcode"), "0",
                         "%s failed: %s %s" % (action, root.findtext("errtext"), root.findtext("errdetail")))
        self.assertEqual(root.findtext("action"), action)
        return root

    def err(self, code, action, dbid="main", params=(), fields=(), **kw):
        root = self.api(action, dbid, params, fields, **kw)
        self.assertEqual(root.findtext("errcode"), str(code),
                         "%s: expected errcode %d, got %s %s" % (action, code, root.findtext("errcode"),
                                                                 root.findtext("errdetail")))
        self.assertTrue(root.findtext("errtext"))
        return root

    def ticket(self, login="alice", password="pw-a", **params):
        params.update(username=login, password=password)
        return self.ok("API_Authenticate", params=params, cred=[]).findtext("ticket")

    def query(self, dbid=ITEMS, **params):
        """Structured DoQuery -> list of {fid: text} dicts, in reply order."""
        params.setdefault("fmt", "structured")
        root = self.ok("API_DoQuery", dbid, params)
        return [{int(f.get("id")): "".join(f.itertext()) for f in rec.findall("f")}
                for rec in root.iter("record")]

    def rids(self, query="", dbid=ITEMS, **params):
        return [int(r[3]) for r in self.query(dbid, query=query, clist="3", **params)]
