"""Injected faults of every kind, and the request log."""

import http.client
import time
import types
import unittest
import xml.etree.ElementTree as ET

from qbemu.server import Handler
from tests.base import ALICE, ITEMS, EmulatorTest


class Faults(EmulatorTest):
    def fault(self, **want):
        return self.c.admin("POST", "faults", want)

    def raw(self, action="API_DoQuery", dbid=ITEMS, fields=()):
        return self.c.call(action, dbid, self.cred, fields)

    def count(self):
        return len(self.rids())

    def test_errcode_for_the_next_n_requests_of_one_action(self):
        self.fault(action="API_AddRecord", errcode=77, count=2)
        for _ in range(2):
            status, _, body = self.raw("API_AddRecord", fields=[(6, "x")])
            self.assertEqual(status, 200)
            root = ET.fromstring(body)
            self.assertEqual((root.findtext("action"), root.findtext("errcode")), ("API_AddRecord", "77"))
            self.assertTrue(root.findtext("errtext"))
        self.assertEqual(self.count(), 5)        # failed requests wrote nothing
        self.ok("API_AddRecord", ITEMS, fields=[(6, "x")])
        self.assertEqual(self.c.admin("GET", "faults")["pending"], [])

    def test_fault_for_one_dbid_lets_the_others_through(self):
        self.fault(action="API_DoQuery", errcode=77, dbid="nosuchdbid")
        self.assertEqual(ET.fromstring(self.raw()[2]).findtext("errcode"), "0")
        self.assertEqual(len(self.c.admin("GET", "faults")["pending"]), 1)
        self.c.admin("DELETE", "faults")
        self.fault(action="API_DoQuery", errcode=77, dbid=ITEMS)
        self.assertEqual(ET.fromstring(self.raw()[2]).findtext("errcode"), "77")

    def test_http_status_and_delay(self):
        self.fault(action="API_DoQuery", http_status=503)
        self.assertEqual(self.raw()[0], 503)
        self.assertEqual(self.raw()[0], 200)
        self.fault(action="*", delay=0.4)
        start = time.monotonic()
        status, _, body = self.raw("API_GrantedDBs", "main")
        self.assertGreaterEqual(time.monotonic() - start, 0.4)
        self.assertIn(b"<errcode>0</errcode>", body)

    def test_dropped_connection(self):
        self.fault(action="API_DoQuery", drop=True)
        with self.assertRaises((http.client.HTTPException, ConnectionError)):
            self.raw()
        self.assertEqual(self.raw()[0], 200)

    def test_truncated_and_malformed_bodies(self):
        good = self.raw()[2]
        for kind in ("truncate", "malformed"):
            with self.subTest(kind=kind):
                self.fault(action="API_DoQuery", **{kind: True})
                status, headers, body = self.raw()
                self.assertEqual(status, 200)
                self.assertEqual(int(headers["Content-Length"]), len(body))
                with self.assertRaises(ET.ParseError):
                    ET.fromstring(body)
                if kind == "truncate":
                    self.assertTrue(good.startswith(body) and len(body) < len(good))
        self.fault(action="API_AddRecord", truncate=True)
        self.raw("API_AddRecord", fields=[(6, "lands anyway")])
        self.assertEqual(self.count(), 6)        # the write happened; only the reply broke

    def test_faults_after_the_action_ran(self):
        # Each write lands although its reply never arrives whole.
        cases = (({"drop_after": True}, (http.client.HTTPException, ConnectionError)),
                 ({"cut": True}, http.client.IncompleteRead),
                 ({"late": 0.4}, None))
        for n, (kind, broken) in enumerate(cases, start=6):
            with self.subTest(kind=kind):
                self.fault(action="API_AddRecord", **kind)
                start = time.monotonic()
                if broken is None:
                    self.assertIn(b"<errcode>0</errcode>", self.raw("API_AddRecord", fields=[(6, "x")])[2])
                    self.assertGreaterEqual(time.monotonic() - start, 0.4)
                else:
                    with self.assertRaises(broken):
                        self.raw("API_AddRecord", fields=[(6, "x")])
                self.assertEqual(self.count(), n)

    def test_gateway_status_after_the_action_ran(self):
        # The write lands; the client hears only the gateway's error.
        for n, status in enumerate((500, 502, 504), start=6):
            with self.subTest(status=status):
                self.fault(action="API_AddRecord", status_after=status)
                self.assertEqual(self.raw("API_AddRecord", fields=[(6, "x")])[0], status)
                self.assertEqual(self.count(), n)

    def test_omitted_element(self):
        self.fault(action="API_Authenticate", omit="userid")
        for expected in (None, ALICE):
            root = ET.fromstring(self.c.call("API_Authenticate", "main", [("username", "alice"),
                                                                          ("password", "pw-a")])[2])
            self.assertEqual((root.findtext("errcode"), root.findtext("userid")), ("0", expected))
            self.assertTrue(root.findtext("ticket"))

    def test_padded_replies(self):
        records = len(list(ET.fromstring(self.raw()[2]).iter("record")))
        for kind, depth in (("nested", 1000), ("siblings", 1)):
            with self.subTest(kind=kind):
                self.fault(action="API_DoQuery", **{kind: 1000})
                root = ET.fromstring(self.raw()[2])
                self.assertEqual(len(root.findall("a")), 1000 // depth)
                self.assertEqual(len(list(root.iter("a"))), 1000)
                self.assertEqual(len(list(root.iter("record"))), records)   # the reply itself is whole

    def test_download_faults_and_fault_admin(self):
        self.fault(action="download", http_status=502)
        status, _, _ = self.c.request("GET", "/up/%s/a/r1/e22/v0?usertoken=tok_alice" % ITEMS)
        self.assertEqual(status, 502)
        self.fault(action="download", endless=True)
        connection = http.client.HTTPConnection(self.c.host, self.c.port, timeout=10)
        connection.request("GET", "/up/%s/a/r1/e22/v0?usertoken=tok_alice" % ITEMS)
        reply = connection.getresponse()
        self.assertEqual((reply.status, reply.getheader("Content-Length")), (200, None))
        self.assertEqual(len(reply.read(1 << 20)), 1 << 20)
        connection.close()
        added = self.fault(action="API_DoQuery", errcode=75, count=3)["added"][0]
        self.assertEqual((added["errcode"], added["count"]), (75, 3))
        self.assertEqual(len(self.c.admin("GET", "faults")["pending"]), 1)
        self.c.admin("DELETE", "faults")
        self.assertEqual(self.raw()[0], 200)
        for bad in ({"action": "API_DoQuery"}, {"errcode": 2, "count": 0}):
            with self.subTest(fault=bad):
                with self.assertRaises(AssertionError):
                    self.c.admin("POST", "faults", bad)

    def test_paging_faults(self):
        # ITEMS holds records 1 to 5.
        self.fault(action="API_DoQuery", repeat_page=True, count=4)
        for _ in range(2):
            self.assertEqual(self.rids(options="num-2.skp-2"), [1, 2])
        self.assertEqual(self.rids("{3.GT.'2'}", options="num-2"), [1, 2])
        self.assertEqual(self.rids("({7.GT.'0'}OR{6.EX.'none'})AND{3.LT.'4'}", slist="3", options="sortorder-D"),
                         [5, 3, 2, 1])
        self.assertEqual(self.rids(options="num-2.skp-2"), [3, 4])
        self.assertEqual(self.rids("{3.GT.'2'}", options="num-2"), [3, 4])
        self.fault(action="API_DoQuery", long_page=2)
        self.assertEqual(self.rids(options="skp-1.num-2"), [2, 3, 4, 5])


class RequestLog(EmulatorTest):
    def test_every_request_in_order_with_its_parameters(self):
        self.c.admin("DELETE", "log")
        self.ok("API_DoQuery", ITEMS, {"query": "{6.EX.'a'}", "clist": "3.6", "options": "num-5"})
        self.ok("API_AddRecord", ITEMS, fields=[(6, "ünï"), (7, "2")])
        self.c.admin("POST", "faults", {"action": "API_GetSchema", "errcode": 100})
        self.err(100, "API_GetSchema", ITEMS)
        entries = self.c.admin("GET", "log")["entries"]
        self.assertEqual([e["action"] for e in entries], ["API_DoQuery", "API_AddRecord", "API_GetSchema"])
        self.assertEqual([e["dbid"] for e in entries], [ITEMS] * 3)
        self.assertEqual({k: entries[0]["params"][k] for k in ("query", "clist", "options")},
                         {"query": "{6.EX.'a'}", "clist": "3.6", "options": "num-5"})
        fields = [(i["attrs"]["fid"], i["text"]) for i in entries[1]["items"] if i["tag"] == "field"]
        self.assertEqual(fields, [("6", "ünï"), ("7", "2")])
        self.assertEqual(entries[2]["fault"]["errcode"], 100)
        self.assertEqual([e["errcode"] for e in entries], [0, 0, 100])
        later = self.c.admin("GET", "log?since=%d" % entries[1]["seq"])["entries"]
        self.assertEqual([e["action"] for e in later], ["API_GetSchema"])
        only = self.c.admin("GET", "log?action=API_AddRecord")["entries"]
        self.assertEqual(len(only), 1)
        self.c.admin("POST", "log/clear")
        self.assertEqual(self.c.admin("GET", "log")["entries"], [])



class OneWrite(unittest.TestCase):
    def test_a_reply_goes_out_in_one_write(self):
        # Headers and body in separate small writes would wait on the client's
        # delayed acknowledgement on a kept-open connection.
        writes = []
        handler = Handler.__new__(Handler)
        handler.wfile = types.SimpleNamespace(write=writes.append)
        handler.request_version, handler.command = "HTTP/1.1", "POST"
        handler.requestline, handler.client_address = "POST /db/x HTTP/1.1", ("127.0.0.1", 0)
        handler.server = types.SimpleNamespace(emu=types.SimpleNamespace(verbose=False))
        handler.send(200, "application/xml", b"<qdbapi/>")
        self.assertEqual(len(writes), 1)
        self.assertTrue(writes[0].startswith(b"HTTP/1.1 200 ") and writes[0].endswith(b"\r\n\r\n<qdbapi/>"))


if __name__ == "__main__":
    unittest.main()
