"""API_ImportFromCSV (adds and updates together) and API_PurgeRecords."""

import unittest

from tests.base import ITEMS, EmulatorTest


def import_body(csv_text, clist, cdata=True, extra=""):
    if cdata:
        records = "<![CDATA[%s]]>" % csv_text
    else:
        records = csv_text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
    return ("<qdbapi><usertoken>tok_alice</usertoken><clist>%s</clist>%s<records_csv>%s</records_csv></qdbapi>"
            % (clist, extra, records)).encode("utf-8")


class Import(EmulatorTest):
    def imp(self, csv_text, clist, cdata=True, extra="", code=0):
        root = self.c.api("API_ImportFromCSV", ITEMS, body=import_body(csv_text, clist, cdata, extra))
        self.assertEqual(root.findtext("errcode"), str(code), root.findtext("errdetail"))
        return root

    def values(self, fids):
        return {int(r[3]): tuple(r[f] for f in fids) for r in self.query(clist="3." + ".".join(map(str, fids)))}

    def test_adds_and_updates_in_one_request(self):
        root = self.imp(",new one,1\n2,Updated,5\n,\"new, two\",\n1,,\n", "3.6.7")
        self.assertEqual([root.findtext(t) for t in ("num_recs_input", "num_recs_added", "num_recs_updated")],
                         ["4", "2", "2"])
        rids = root.find("rids").findall("rid")
        self.assertEqual([r.text for r in rids], ["6", "2", "7", "1"])
        self.assertTrue(all(r.get("update_id").isdigit() for r in rids))
        values = self.values([6, 7, 8])
        self.assertEqual(values[6], ("new one", "1", ""))
        self.assertEqual(values[2], ("Updated", "5", "20"))     # fields not in clist stay
        self.assertEqual(values[7], ("new, two", "", ""))
        self.assertEqual(values[1], ("", "", "1.5"))        # empty cells clear
        uid = {int(r.text): r.get("update_id") for r in rids}
        structured = self.ok("API_DoQuery", ITEMS, {"fmt": "structured", "query": "{3.EX.'2'}"})
        self.assertEqual(structured.find(".//record").get("update_id"), uid[2])

    def test_skipped_columns_header_row_and_markup_in_values(self):
        text = "Name,ignored,Count\n<b>&amp; ünï</b>,zzz,3\n\"two\nlines\",x,4\n"
        for cdata in (True, False):
            with self.subTest(cdata=cdata):
                self.c.admin("POST", "reset", {"fixture": self.fixture})
                root = self.imp(text, "6.0.7", cdata, "<skipfirst>1</skipfirst>")
                self.assertEqual(root.findtext("num_recs_added"), "2")
                values = self.values([6, 7])
                self.assertEqual(values[6], ("<b>&amp; ünï</b>", "3"))
                self.assertEqual(values[7], ("two\nlines", "4"))

    def test_percent_reading(self):
        self.imp("50\n", "9")
        self.imp("0.5\n", "9", extra="<decimalPercent>1</decimalPercent>")
        self.assertEqual([v[0] for k, v in sorted(self.values([9]).items()) if k > 5], ["0.5", "0.5"])

    def test_failed_imports_change_nothing(self):
        cases = [
            (",x,1\n,y\n", "3.6.7", 2),         # short row
            ("99,x\n", "3.6", 30),               # no such record
            ("abc,x\n", "3.6", 2),               # not a record id
            ("x,1\n", "6.99", 31),
            ("x,1\n", "6.1", 34),
            ("x,1\n", "6.24", 34),
            ("x,f.txt\n", "6.22", 34),
            ("x,ten\n", "6.7", 2),
            (",x\n1,y\n,z\n3,APPLE\n", "3.6", 0),  # succeeds: unique check comes next
        ]
        for text, clist, code in cases:
            with self.subTest(text=text, clist=clist):
                self.c.admin("POST", "reset", {"fixture": self.fixture})
                if code == 0:
                    self.ok("API_SetFieldProperties", ITEMS, {"fid": "6", "unique": "1"})
                    code = 51
                before = self.values([6, 7])
                self.imp(text, clist, code=code)
                self.assertEqual(self.values([6, 7]), before)

    def test_required_fields_missing_from_adds(self):
        self.ok("API_SetFieldProperties", ITEMS, {"fid": "6", "required": "1"})
        self.imp(",5\n", "3.7", code=53)
        self.imp("1,5\n", "3.7")                 # an update needn't carry it
        self.imp(",,5\n", "3.6.7", code=50)
        self.imp(",x,5\n", "3.6.7")
        self.imp("\n", "6")                      # nothing to add: no complaint


class Purge(EmulatorTest):
    def purge(self, query=None):
        params = {} if query is None else {"query": query}
        return int(self.ok("API_PurgeRecords", ITEMS, params).findtext("num_records_deleted"))

    def test_purge_by_query_and_record_ids(self):
        self.assertEqual(self.purge("{7.LT.'5'}"), 2)
        self.assertEqual(self.rids(), [1, 2, 3])
        self.assertEqual(self.purge("{3.EX.'1'}OR{3.EX.'3'}OR{3.EX.'77'}"), 2)
        self.assertEqual(self.rids(), [2])
        self.assertEqual(self.purge("{6.EX.'none'}"), 0)

    def test_empty_or_missing_query_deletes_everything(self):
        self.assertEqual(self.purge(""), 5)
        self.assertEqual(self.rids(), [])
        self.c.admin("POST", "reset", {"fixture": self.fixture})
        self.assertEqual(self.purge(), 5)
        rid = self.ok("API_AddRecord", ITEMS, fields=[(6, "after")]).findtext("rid")
        self.assertEqual(rid, "6")   # record ids are never reused


if __name__ == "__main__":
    unittest.main()
