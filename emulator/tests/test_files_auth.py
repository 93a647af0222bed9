"""Attachments up and down, ticket expiry, user tokens and application tokens."""

import base64
import unittest

from tests.base import ITEMS, EmulatorTest

CONTENT = bytes(range(256)) + "ünïcode ✓".encode("utf-8")


class Attachments(EmulatorTest):
    def upload(self, content=CONTENT, name="a b.bin", rid=None):
        fields = [(22, base64.b64encode(content).decode(), name)]
        if rid is None:
            return self.ok("API_AddRecord", ITEMS, fields=fields).findtext("rid")
        return self.ok("API_EditRecord", ITEMS, {"rid": rid}, fields=fields)

    def name(self, rid):
        return self.ok("API_DoQuery", ITEMS, {"query": "{3.EX.'%s'}" % rid, "clist": "22"}).findtext("record/doc")

    def download(self, path, cookie=None):
        headers = {"Cookie": cookie} if cookie else {}
        status, _, body = self.c.request("GET", path, headers=headers)
        return status, body

    def test_upload_then_download(self):
        rid = self.upload()
        rec = self.ok("API_DoQuery", ITEMS, {"fmt": "structured", "query": "{3.EX.'%s'}" % rid,
                                             "clist": "22"}).find(".//record/f")
        url = rec.findtext("url")
        path = "/up/%s/a/r%s/e22/v0" % (ITEMS, rid)
        self.assertEqual(url, self.c.base_url + path)
        self.assertEqual("".join(rec.itertext())[len(url):], "a b.bin")
        self.assertEqual(self.download(path, "TICKET=" + self.ticket()), (200, CONTENT))
        self.assertEqual(self.download(path + "?usertoken=tok_alice"), (200, CONTENT))
        default = self.ok("API_DoQuery", ITEMS, {"query": "{3.EX.'%s'}" % rid, "clist": "22"})
        self.assertEqual(default.find("record").findtext("doc"), "a b.bin")
        log = self.c.admin("GET", "log", None)["entries"]
        self.assertEqual([e["action"] for e in log][-3:], ["download", "download", "API_DoQuery"])

    def test_download_refusals(self):
        rid = self.upload()
        path = "/up/%s/a/r%s/e22/v0" % (ITEMS, rid)
        cases = [(path, None, 401), (path, "TICKET=bad", 401),
                 ("/up/%s/a/r1/e22/v0" % ITEMS, "TICKET=" + self.ticket(), 404),
                 ("/up/bzzzzzzzz/a/r1/e22/v0", "TICKET=" + self.ticket(), 404),
                 ("/up/bnotes222/a/r1/e6/v0", "TICKET=" + self.ticket("bob", "pw-b"), 403)]
        for p, cookie, status in cases:
            with self.subTest(path=p, cookie=cookie):
                self.assertEqual(self.download(p, cookie)[0], status)

    def test_replace_remove_and_purge(self):
        rid = self.upload()
        path = "/up/%s/a/r%s/e22/v0?usertoken=tok_alice" % (ITEMS, rid)
        self.upload(b"second", "b.txt", rid)
        self.assertEqual(self.download(path), (200, b"second"))
        self.assertEqual(self.name(rid), "b.txt")
        self.ok("API_EditRecord", ITEMS, {"rid": rid}, fields=[(22, "")])
        self.assertEqual(self.download(path)[0], 404)
        self.assertEqual(self.name(rid), "")
        rid = self.upload()
        self.ok("API_PurgeRecords", ITEMS, {"query": "{3.EX.'%s'}" % rid})
        self.assertEqual(self.download("/up/%s/a/r%s/e22/v0?usertoken=tok_alice" % (ITEMS, rid))[0], 404)

    def test_empty_file_is_not_removal(self):
        # A name with no content stores an empty file; no name and no content removes it.
        rid = self.upload(b"", "empty.txt")
        path = "/up/%s/a/r%s/e22/v0?usertoken=tok_alice" % (ITEMS, rid)
        self.assertEqual((self.name(rid), self.download(path)), ("empty.txt", (200, b"")))
        self.ok("API_EditRecord", ITEMS, {"rid": rid}, fields=[(22, "")])
        self.assertEqual((self.name(rid), self.download(path)[0]), ("", 404))

    def test_bad_uploads(self):
        self.err(2, "API_AddRecord", ITEMS, fields=[(22, "!!!not base64!!!", "x.bin")])
        self.err(2, "API_AddRecord", ITEMS, fields=[(22, "QUJD")])


class Tickets(EmulatorTest):
    def advance(self, seconds):
        self.c.admin("POST", "clock", {"advance_seconds": seconds})

    def test_tickets_expire(self):
        short, default = self.ticket(hours="1"), self.ticket()
        self.advance(3500)
        self.ok("API_GrantedDBs", cred=[("ticket", short)])
        self.advance(200)
        self.err(4, "API_GrantedDBs", cred=[("ticket", short)])
        self.err(4, "API_DoQuery", ITEMS, cred=[], cookie="TICKET=" + short)
        self.advance(10 * 3600)
        self.ok("API_GrantedDBs", cred=[("ticket", default)])
        self.advance(3600)
        self.err(4, "API_GrantedDBs", cred=[("ticket", default)])
        self.err(2, "API_Authenticate", params={"username": "alice", "password": "pw-a", "hours": "x"}, cred=[])

    def test_body_ticket_wins_over_cookie(self):
        good = self.ticket()
        self.err(4, "API_DoQuery", ITEMS, cred=[("ticket", "bad")], cookie="TICKET=" + good)
        self.ok("API_DoQuery", ITEMS, cred=[("ticket", good)], cookie="TICKET=bad")

    def test_application_tokens(self):
        ticket = self.ticket()
        cases = [
            ([("ticket", ticket)], 24),
            ([("ticket", ticket), ("apptoken", "wrong")], 24),
            ([("username", "alice"), ("password", "pw-a")], 24),
            ([("ticket", ticket), ("apptoken", "app_tok")], 0),
            ([("usertoken", "tok_alice")], 0),     # user tokens need no application token
        ]
        for cred, code in cases:
            for action, dbid in (("API_DoQuery", "bsecret22"), ("API_GetSchema", "blocked22")):
                with self.subTest(cred=cred, action=action):
                    self.err(code, action, dbid, cred=cred) if code else self.ok(action, dbid, cred=cred)
        self.ok("API_DoQuery", ITEMS, cred=[("ticket", ticket), ("apptoken", "unused")])


if __name__ == "__main__":
    unittest.main()
