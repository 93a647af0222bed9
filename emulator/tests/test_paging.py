"""DoQuery reply formats, paging with num/skp and by continuing after the last record
read, multi-field sorts, and CSV results."""

import csv
import io
import re
import unittest

from qbemu import actions, fixtures
from qbemu.fieldtypes import fold
from qbemu.store import Store
from tests.base import ALICE, BOB, FIXTURE, ITEMS, EmulatorTest


class Formats(EmulatorTest):
    def test_structured_records(self):
        root = self.ok("API_DoQuery", ITEMS, {"fmt": "structured", "clist": "6.3.8.20.21", "query": "{3.LTE.'2'}"})
        table = root.find("table")
        self.assertEqual(table.findtext("name"), "Items")
        self.assertEqual([f.get("id") for f in table.find("fields")], ["6", "3", "8", "20", "21"])
        self.assertEqual({u.get("id"): u.text for u in table.find("lusers")}, {ALICE: "Alice Ames", BOB: "Bob Brown"})
        recs = table.find("records").findall("record")
        self.assertEqual([r.get("rid") for r in recs], ["1", "2"])
        self.assertTrue(all(r.get("update_id").isdigit() for r in recs))
        self.assertEqual([(f.get("id"), f.text) for f in recs[1]],
                         [("6", "Banana  "), ("3", "2"), ("8", "20"), ("20", BOB), ("21", "%s;%s" % (ALICE, BOB))])
        self.assertEqual([(f.get("id"), f.text) for f in recs[0]][3:], [("20", ALICE), ("21", None)])
        crew_only = self.ok("API_DoQuery", ITEMS, {"fmt": "structured", "clist": "21", "query": "{3.EX.'2'}"})
        self.assertEqual([u.get("id") for u in crew_only.find("table/lusers")], [ALICE, BOB])

    def test_default_format_uses_label_tags(self):
        root = self.ok("API_DoQuery", ITEMS, {"clist": "3.6.16.11", "query": "{3.EX.'1'}"})
        rec = root.find("record")
        self.assertIsNone(rec.get("rid"))
        self.assertEqual([(c.tag, c.text) for c in rec],
                         [("record_id_", "1"), ("name", "apple"), ("mail", None), ("done", "1"),
                          ("update_id", rec.findtext("update_id"))])
        with_rids = self.ok("API_DoQuery", ITEMS, {"clist": "6", "includeRids": "1"})
        self.assertEqual([r.get("rid") for r in with_rids.findall("record")], ["1", "2", "3", "4", "5"])

    def test_clist_and_option_errors(self):
        self.assertEqual(len(self.query(clist="a")[0]), 24)
        cases = [({"clist": "6.99"}, 31), ({"slist": "99"}, 31), ({"clist": "6.x"}, 2),
                 ({"options": "sortorder-X"}, 2), ({"options": "num-abc"}, 2), ({"slist": "6.q"}, 2)]
        for params, code in cases:
            with self.subTest(params=params):
                self.err(code, "API_DoQuery", ITEMS, params)

    def test_genresultstable_csv(self):
        self.ok("API_EditRecord", ITEMS, {"rid": "3"}, fields=[(19, 'say "hi",\nthen go')])
        status, headers, body = self.c.call("API_GenResultsTable", ITEMS, self.cred + [
            ("query", "{7.GT.'5'}"), ("clist", "3.6.19.7"), ("slist", "7"), ("options", "csv.sortorder-D")])
        self.assertEqual(status, 200)
        self.assertTrue(headers["Content-Type"].startswith("text/csv"))
        rows = list(csv.reader(io.StringIO(body.decode("utf-8"), newline="")))
        self.assertEqual(rows, [["Record ID#", "Name", "Memo", "Count"],
                                ["3", "cherry", 'say "hi",\nthen go', "100"],
                                ["1", "apple", "line one\nline two", "10"],
                                ["2", "Banana  ", "", "9"]])
        self.err(2, "API_GenResultsTable", ITEMS, {"clist": "3"})
        self.err(6, "API_GenResultsTable", ITEMS, {"query": "{", "options": "csv"})


class Paging(EmulatorTest):
    def setUp(self):
        super().setUp()
        self.c.admin("POST", "generate", {"table": ITEMS, "rows": 295, "seed": 3})

    def test_pages_cover_every_record_once(self):
        pages, skip = [], 0
        while True:
            page = self.rids(options="num-70.skp-%d" % skip)
            if not page:
                break
            pages.append(page)
            skip += 70
        self.assertEqual([len(p) for p in pages], [70, 70, 70, 70, 20])
        self.assertEqual(sum(pages, []), list(range(1, 301)))
        self.assertEqual(self.rids(options="skp-298"), [299, 300])
        self.assertEqual(self.rids(options="num-0"), [])

    def test_multi_field_sort_matches_a_reference_sort(self):
        rows = self.query(clist="3.6.7.11", options="")
        def text_key(s):
            return fold(s)
        def num_key(s):
            return (0, 0.0) if s is None or s == "" else (1, float(s))
        cases = [("11.7", "DA"), ("6.3", "AD"), ("7", "D"), ("11.6.7", "A"), ("6", "")]
        for slist, orders in cases:
            with self.subTest(slist=slist, orders=orders):
                expected = sorted(rows, key=lambda r: int(r[3]))
                fids = [int(f) for f in slist.split(".")]
                for i in reversed(range(len(fids))):
                    fid = fids[i]
                    desc = i < len(orders) and orders[i] == "D"
                    keyf = text_key if fid == 6 else num_key
                    expected.sort(key=lambda r: keyf(r.get(fid) or ""), reverse=desc)
                want = [int(r[3]) for r in expected]
                got, skip = [], 0
                while skip < len(rows):
                    got += self.rids(slist=slist, options="sortorder-%s.num-64.skp-%d" % (orders, skip))
                    skip += 64
                self.assertEqual(got, want)

    def test_text_sort_puts_empty_first_and_folds_case(self):
        self.c.admin("POST", "reset", {"fixture": self.fixture})
        self.assertEqual(self.rids(slist="6"), [4, 1, 2, 3, 5])
        self.assertEqual(self.rids(slist="6", options="sortorder-D"), [5, 3, 2, 1, 4])
        self.assertEqual(self.rids(slist="8.6"), [3, 5, 4, 1, 2])

    def test_pages_continue_after_the_last_record_read(self):
        cases = [("", "A", "GT"), ("{7.GT.'0'}", "A", "GT"), ("{7.GT.'0'}OR{6.SW.'a'}", "D", "LT")]
        for criteria, order, beyond in cases:
            with self.subTest(criteria=criteria, order=order):
                want = self.rids(criteria, slist="3", options="sortorder-" + order)
                got = []
                while True:
                    query = criteria
                    if got:
                        step = "{3.%s.'%d'}" % (beyond, got[-1])
                        query = "(%s)AND%s" % (criteria, step) if criteria else step
                    page = self.rids(query, slist="3", options="num-40.sortorder-" + order)
                    got += page
                    if len(page) < 40:
                        break
                self.assertEqual(got, want)
                self.assertGreater(len(want), 40)

    def test_a_write_between_pages_is_seen(self):
        first = self.rids("{7.GT.'0'}", slist="7", options="num-10")
        self.ok("API_AddRecord", ITEMS, fields=[(7, "-1000000000")])
        self.ok("API_EditRecord", ITEMS, {"rid": str(first[0])}, fields=[(7, "-2")])
        again = self.rids("{7.GT.'0'}", slist="7", options="num-10")
        self.assertEqual(again[:9], first[1:10])
        self.assertEqual(self.rids("{7.XEX.''}", slist="7", options="num-1"), [301])


class PageCost(unittest.TestCase):
    """In record-id order a page reads the table only as far as the page
    reaches, from the first record id its top-level conditions allow."""

    def setUp(self):
        self.store = Store()
        fixtures.load(self.store, FIXTURE)
        fixtures.generate(self.store, ITEMS, 2995, seed=3)
        self.read = 0
        scan = self.store.records_in_rid_order

        def counted(*args, **kwargs):
            for batch in scan(*args, **kwargs):
                self.read += len(batch)
                yield batch

        self.store.records_in_rid_order = counted

    def page(self, query, order="A", options="num-10"):
        params = {"usertoken": "tok_alice", "query": query, "clist": "3", "slist": "3", "fmt": "structured",
                  "options": "%s.sortorder-%s" % (options, order)}
        reply = actions.run(self.store, actions.Request("API_DoQuery", ITEMS, params, []))
        return [int(rid) for rid in re.findall(r'<record rid="(\d+)"', reply)]

    def test_a_page_reads_from_its_continuation_to_its_end(self):
        cases = [("{3.GT.'2000'}", "A", list(range(2001, 2011))),
                 ("({7.XEX.'-1'}OR{6.EX.'x'})AND{3.GT.'2000'}", "A", list(range(2001, 2011))),
                 ("(({3.GTE.'5'})AND{3.LT.'2500'})AND{3.LT.'1500'}", "D", list(range(1499, 1489, -1))),
                 ("{3.GT.'99999999999999999999999'}", "A", [])]
        for query, order, want in cases:
            with self.subTest(query=query):
                self.read = 0
                self.assertEqual(self.page(query, order), want)
                self.assertLessEqual(self.read, 100)

    def test_an_offset_reads_only_the_range_its_conditions_allow(self):
        rids = self.page("{3.GT.'2990'}", options="num-3.skp-2")
        self.assertEqual(rids, [2993, 2994, 2995])
        self.assertLessEqual(self.read, 10)


if __name__ == "__main__":
    unittest.main()
