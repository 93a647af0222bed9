"""Each action's reply shape and its errors."""

import re
import unittest
import xml.etree.ElementTree as ET

from tests.base import ALICE, BOB, ITEMS, EmulatorTest

APP = "bqaapp222"
DBID = re.compile(r"[abcdefghijkmnpqrstuvwxyz23456789]{6,13}")


class CredentialsAndDbids(EmulatorTest):
    def test_authenticate_returns_ticket_userid_and_cookie(self):
        status, headers, body = self.c.call("API_Authenticate", params=[("username", "alice@example.com"),
                                                                        ("password", "pw-a")])
        self.assertEqual(status, 200)
        root = ET.fromstring(body)
        ticket = root.findtext("ticket")
        self.assertTrue(ticket)
        self.assertEqual(root.findtext("userid"), ALICE)
        self.assertIn("TICKET=%s" % ticket, headers.get("Set-Cookie", ""))
        self.ok("API_DoQuery", ITEMS, cred=[("ticket", ticket)])
        self.ok("API_DoQuery", ITEMS, cred=[], cookie="TICKET=" + ticket)

    def test_credential_errors(self):
        cases = [
            ([], 22),
            ([("ticket", "9_nonsense")], 4),
            ([("usertoken", "tok_nobody")], 4),
            ([("username", "alice"), ("password", "wrong")], 20),
            ([("username", "nobody"), ("password", "pw-a")], 20),
        ]
        for cred, code in cases:
            with self.subTest(cred=cred):
                self.err(code, "API_DoQuery", ITEMS, cred=cred)
        self.err(20, "API_Authenticate", params={"username": "alice", "password": "nope"}, cred=[])
        self.ok("API_DoQuery", ITEMS, cred=[("username", "ALICE"), ("password", "pw-a")])

    def test_dbid_and_request_errors(self):
        cases = [
            ("API_DoQuery", "main", 14),
            ("API_DoQuery", APP, 14),
            ("API_AddField", APP, 14),
            ("API_CreateTable", ITEMS, 14),
            ("API_GrantedDBs", ITEMS, 14),
            ("API_DoQuery", "bzzzzzzzz", 32),
            ("API_GetSchema", "bzzzzzzzz", 32),
            ("API_NoSuchThing", ITEMS, 2),
        ]
        for action, dbid, code in cases:
            with self.subTest(action=action, dbid=dbid):
                self.err(code, action, dbid)
        self.err(3, "API_DoQuery", "bnotes222", cred=[("usertoken", "tok_bob")])

    def test_unparsable_xml_is_errcode_11_with_status_200(self):
        for body in (b"<qdbapi><ticket>", b"<other/>", b"not xml"):
            with self.subTest(body=body):
                status, _, data = self.c.call("API_DoQuery", ITEMS, body=body)
                self.assertEqual(status, 200)
                self.assertIn(b"<errcode>11</errcode>", data)

    def test_udata_is_echoed_and_encoding_honoured(self):
        root = self.ok("API_GetUserInfo", params={"udata": "mine <&>"})
        self.assertEqual(root.findtext("udata"), "mine <&>")
        status, headers, body = self.c.call("API_DoQuery", ITEMS, params=self.cred + [
            ("encoding", "ISO-8859-1"), ("query", "{6.SW.'Ä'}"), ("clist", "6"), ("fmt", "structured")])
        self.assertIn(b'encoding="ISO-8859-1"', body)
        self.assertIn("Äpfel".encode("latin-1"), body)
        self.assertIn("ISO-8859-1", headers["Content-Type"])


class MainActions(EmulatorTest):
    def test_getuserinfo(self):
        user = self.ok("API_GetUserInfo").find("user")
        self.assertEqual(user.get("id"), ALICE)
        self.assertEqual([user.findtext(t) for t in ("firstName", "lastName", "login", "email", "screenName")],
                         ["Alice", "Ames", "alice", "alice@example.com", "alice"])
        self.assertEqual(self.ok("API_GetUserInfo", params={"email": "bob@example.com"}).find("user").get("id"), BOB)
        self.err(2, "API_GetUserInfo", params={"email": "ghost@example.com"})

    def granted(self, cred=None, **params):
        root = self.ok("API_GrantedDBs", params=params, cred=cred)
        return [(d.findtext("dbname"), d.findtext("dbid")) for d in root.find("databases")]

    def test_granteddbs(self):
        names = [n for n, _ in self.granted()]
        self.assertEqual(names, ["QA", "QA: Items", "QA: Empty", "Locked", "Locked: Secrets",
                                 "Private", "Private: Notes"])
        self.assertIn(("QA: Items", ITEMS), self.granted())
        self.assertEqual([n for n, _ in self.granted(excludeparents=1)],
                         ["QA: Items", "QA: Empty", "Locked: Secrets", "Private: Notes"])
        self.assertEqual([n for n, _ in self.granted(withembeddedtables=0)], ["QA", "Locked", "Private"])
        self.assertNotIn("Private", [n for n, _ in self.granted(cred=[("usertoken", "tok_bob")])])

    def test_finddbbyname(self):
        cases = [({"dbname": "QA"}, [APP]), ({"dbname": "qa"}, [APP]),
                 ({"dbname": "Locked"}, ["bsecret22"]),
                 ({"dbname": "Locked", "ParentsOnly": "1"}, ["blocked22"])]
        for params, expected in cases:
            with self.subTest(params=params):
                root = self.ok("API_FindDBByName", params=params)
                self.assertEqual([d.text for d in root.findall("dbid")], expected)
        self.err(32, "API_FindDBByName", params={"dbname": "Nope"})
        self.err(32, "API_FindDBByName", params={"dbname": "Private"}, cred=[("usertoken", "tok_bob")])

    def test_createdatabase_with_and_without_token(self):
        root = self.ok("API_CreateDatabase", params={"dbname": "Fresh", "dbdesc": "d", "createapptoken": "1"})
        dbid, token = root.findtext("dbid"), root.findtext("apptoken")
        self.assertRegex(dbid, DBID)
        self.assertEqual(root.findtext("appdbid"), dbid)
        self.assertTrue(token)
        ticket = self.ticket()
        self.err(24, "API_GetSchema", dbid, cred=[("ticket", ticket)])
        self.ok("API_GetSchema", dbid, cred=[("ticket", ticket), ("apptoken", token)])
        plain = self.ok("API_CreateDatabase", params={"dbname": "Plain"})
        self.assertIsNone(plain.find("apptoken"))
        self.ok("API_CreateTable", plain.findtext("dbid"), {"tname": "T"}, cred=[("ticket", ticket)])
        self.err(3, "API_GetSchema", dbid, cred=[("usertoken", "tok_bob")])


class SchemaActions(EmulatorTest):
    def test_getschema_of_an_application(self):
        table = self.ok("API_GetSchema", APP).find("table")
        self.assertEqual(table.findtext("name"), "QA")
        self.assertEqual(table.find("original").findtext("app_id"), APP)
        self.assertEqual({c.get("name"): c.text for c in table.find("chdbids")},
                         {"_dbid_items": ITEMS, "_dbid_empty": "bqaempty2"})
        self.assertEqual(table.find("variables").find("var").get("name"), "v1")
        self.assertIsNone(table.find("fields"))

    def test_getschema_of_a_table(self):
        table = self.ok("API_GetSchema", ITEMS).find("table")
        original = table.find("original")
        self.assertEqual([original.findtext(t) for t in ("table_id", "app_id", "key_fid", "next_record_id",
                                                         "next_field_id")], [ITEMS, APP, "3", "6", "25"])
        fields = {int(f.get("id")): f for f in table.find("fields")}
        expected = {1: ("timestamp", "int64"), 2: ("timestamp", "int64"), 3: ("recordid", "int32"),
                    4: ("userid", "text"), 5: ("userid", "text"), 6: ("text", "text"), 7: ("float", "float"),
                    8: ("currency", "float"), 9: ("percent", "float"), 10: ("rating", "float"),
                    11: ("checkbox", "bool"), 12: ("date", "int64"), 13: ("timestamp", "int64"),
                    14: ("timeofday", "int64"), 15: ("duration", "int64"), 16: ("email", "text"),
                    17: ("url", "text"), 18: ("phone", "text"), 19: ("multitext", "text"),
                    20: ("userid", "text"), 21: ("multiuserid", "text"), 22: ("file", "text"),
                    23: ("recordid", "int32"), 24: ("float", "float")}
        self.assertEqual({fid: (f.get("field_type"), f.get("base_type")) for fid, f in fields.items()}, expected)
        self.assertEqual(fields[3].get("role"), "recordid")
        self.assertEqual(fields[24].get("mode"), "virtual")
        self.assertEqual(fields[3].findtext("label"), "Record ID#")
        self.assertEqual(fields[3].findtext("unique"), "1")
        for tag in ("label", "required", "unique", "foreignkey", "maxlength", "num_lines", "default_value"):
            self.assertIsNotNone(fields[6].find(tag), tag)
        self.assertIsNotNone(fields[8].find("decimal_places"))

    def test_createtable_and_addfield_of_every_type(self):
        tdbid = self.ok("API_CreateTable", APP, {"tname": "New Things", "pnoun": "Things"}).findtext("newdbid")
        self.assertRegex(tdbid, DBID)
        types = ["text", "email", "url", "phone", "multitext", "userid", "multiuserid", "float", "currency",
                 "percent", "rating", "checkbox", "date", "timestamp", "timeofday", "duration", "recordid",
                 "file", "dblink", "icalendarbutton", "vcardbutton"]
        for n, ftype in enumerate(types):
            root = self.ok("API_AddField", tdbid, {"label": "F %s" % ftype, "type": ftype})
            self.assertEqual((root.findtext("fid"), root.findtext("label")), (str(6 + n), "F %s" % ftype))
        self.ok("API_AddField", tdbid, {"label": "Formula", "type": "float", "mode": "virtual"})
        for bad in ({"label": "x", "type": "int32"}, {"label": "x", "type": "datetime"}, {"type": "text"},
                    {"label": "x", "type": "text", "mode": "weird"}):
            with self.subTest(params=bad):
                self.err(2, "API_AddField", tdbid, bad)
        schema = self.ok("API_GetSchema", tdbid).find("table")
        got = [(f.get("id"), f.get("field_type")) for f in schema.find("fields")]
        self.assertEqual(got[:5], [("1", "timestamp"), ("2", "timestamp"), ("3", "recordid"),
                                   ("4", "userid"), ("5", "userid")])
        self.assertEqual(len(got), 5 + len(types) + 1)
        self.assertEqual(self.ok("API_GetSchema", APP).find("table/chdbids").findall("chdbid")[-1].get("name"),
                         "_dbid_new_things")
        self.err(2, "API_CreateTable", APP, {"pnoun": "x"})

    def test_setfieldproperties_keeps_unknown_properties(self):
        root = self.ok("API_SetFieldProperties", ITEMS, [("fid", "6"), ("label", "Title"), ("maxlength", "40"),
                                                         ("mastag", "bqaempty2"), ("required", "1")])
        self.assertEqual((root.findtext("fid"), root.findtext("fname")), ("6", "Title"))
        field = [f for f in self.ok("API_GetSchema", ITEMS).iter("field") if f.get("id") == "6"][0]
        self.assertEqual([field.findtext(t) for t in ("label", "maxlength", "mastag", "required")],
                         ["Title", "40", "bqaempty2", "1"])
        self.err(31, "API_SetFieldProperties", ITEMS, {"fid": "99", "label": "x"})
        self.err(2, "API_SetFieldProperties", ITEMS, {"label": "x"})
        self.err(50, "API_AddRecord", ITEMS, fields=[(7, "1")])

    def test_unique_property_refused_over_duplicates(self):
        self.ok("API_AddRecord", ITEMS, fields=[(6, "APPLE ")])
        self.err(51, "API_SetFieldProperties", ITEMS, {"fid": "6", "unique": "1"})
        self.ok("API_SetFieldProperties", ITEMS, {"fid": "7", "unique": "1"})
        self.err(51, "API_AddRecord", ITEMS, fields=[(7, "10.00")])

    def test_setkeyfield(self):
        self.err(50, "API_SetKeyField", ITEMS, {"fid": "6"})        # record 4 has no name
        self.ok("API_EditRecord", ITEMS, {"rid": "4"}, fields=[(6, "BANANA")])
        self.err(51, "API_SetKeyField", ITEMS, {"fid": "6"})        # folds to record 2's name
        self.ok("API_EditRecord", ITEMS, {"rid": "4"}, fields=[(6, "date")])
        root = self.ok("API_SetKeyField", ITEMS, {"fid": "6"})
        self.assertEqual([c.tag for c in root], ["action", "errcode", "errtext"])
        self.assertEqual(self.ok("API_GetSchema", ITEMS).find("table/original").findtext("key_fid"), "6")
        self.err(51, "API_AddRecord", ITEMS, fields=[(6, "Cherry")])
        self.err(50, "API_AddRecord", ITEMS, fields=[(7, "1")])
        self.err(31, "API_SetKeyField", ITEMS, {"fid": "77"})
        self.err(2, "API_SetKeyField", ITEMS, {"fid": "24"})
        self.ok("API_SetKeyField", ITEMS, {"fid": "3"})


class RecordWrites(EmulatorTest):
    def stored(self, rid, fid):
        return self.query(query="{3.EX.'%d'}" % rid, clist=str(fid))[0][fid]

    def test_written_values_become_service_forms(self):
        cases = [  # (fid, input, extra params, stored)
            (7, "1,234.50", {}, "1234.5"),
            (8, " 3 ", {}, "3"),
            (9, "0.1", {}, "0.1"),
            (11, "yes", {}, "1"), (11, "TRUE", {}, "1"), (11, "on", {}, "1"), (11, "no", {}, "0"),
            (11, "", {}, "0"),
            (12, "2024-03-05", {}, "1709596800000"),
            (12, "03-05-2024", {}, "1709596800000"),
            (12, "1709600000000", {}, "1709596800000"),
            (13, "1000000", {}, str(1000000 - 3600000)),
            (13, "1000000", {"msInUTC": "1"}, "1000000"),
            (13, "2024-03-05 10:00:00", {}, str(1709632800000 - 3600000)),
            (14, "13:30", {}, str(48600000)),
            (14, "1:30 pm", {}, str(48600000)),
            (15, "2", {}, str(2 * 86400000)),
            (15, "2", {"msAsDurationDefault": "1"}, "2"),
            (15, "90 minutes", {}, str(90 * 60000)),
            (15, "1.5 hours", {"msAsDurationDefault": "1"}, str(5400000)),
            (20, "bob@example.com", {}, BOB),
            (20, "BOB", {}, BOB),
            (21, "alice; bob@example.com", {}, "%s;%s" % (ALICE, BOB)),
            (6, "  keeps blanks  ", {}, "  keeps blanks  "),
            (19, "multi\nline ünïcode", {}, "multi\nline ünïcode"),
            (23, "42", {}, "42"),
        ]
        for fid, raw, extra, expected in cases:
            with self.subTest(fid=fid, raw=raw, extra=extra):
                rid = int(self.ok("API_AddRecord", ITEMS, extra, fields=[(fid, raw)]).findtext("rid"))
                self.assertEqual(self.stored(rid, fid), expected)

    def test_carriage_returns_round_trip(self):
        text = "crlf\r\nlone\rlf\n"
        rid = int(self.ok("API_AddRecord", ITEMS, fields=[(19, text), (6, text)]).findtext("rid"))
        self.assertEqual((self.stored(rid, 19), self.stored(rid, 6)), (text, text))
        _, _, reply = self.c.call("API_DoQuery", ITEMS, self.cred + [("query", "{3.EX.'%d'}" % rid), ("clist", "6")])
        self.assertIn(b"crlf&#13;\nlone&#13;lf", reply)

    def test_bad_writes(self):
        cases = [([(7, "ten")], 2), ([(12, "2024-13-01")], 2), ([(14, "25:00")], 2), ([(15, "3 fortnights")], 2),
                 ([(3, "9")], 34), ([(1, "0")], 34), ([(5, "x")], 34), ([(24, "1")], 34), ([(99, "x")], 31)]
        for fields, code in cases:
            with self.subTest(fields=fields):
                self.err(code, "API_AddRecord", ITEMS, fields=fields)
        self.err(2, "API_AddRecord", ITEMS, body=b"<qdbapi><usertoken>tok_alice</usertoken>"
                                                  b"<field>x</field></qdbapi>")
        root = self.ok("API_AddRecord", ITEMS, {"ignoreError": "1"}, fields=[(6, "kept"), (99, "x"), (3, "1")])
        self.assertEqual(self.stored(int(root.findtext("rid")), 6), "kept")
        self.assertEqual(len(self.rids()), 6)

    def test_addrecord_maintains_builtin_fields(self):
        root = self.ok("API_AddRecord", ITEMS, fields=[(6, "new")])
        self.assertEqual(root.findtext("rid"), "6")
        uid = root.findtext("update_id")
        rec = self.query(query="{3.EX.'6'}", clist="1.2.3.4.5.6")[0]
        self.assertEqual((rec[3], rec[4], rec[5], rec[6]), ("6", ALICE, ALICE, "new"))
        self.assertEqual(rec[1], rec[2])
        records = list(self.ok("API_DoQuery", ITEMS, {"query": "{3.EX.'6'}", "fmt": "structured"}).iter("record"))
        self.assertEqual(records[0].get("update_id"), uid)

    def test_editrecord_changes_only_the_fields_sent(self):
        before = self.query(query="{3.EX.'1'}", clist="a")[0]
        root = self.ok("API_EditRecord", ITEMS, {"rid": "1"}, fields=[(6, "apricot"), (7, "10")],
                       cred=[("usertoken", "tok_bob")])
        self.assertEqual([c.tag for c in root][3:], ["rid", "num_fields_changed", "update_id"])
        self.assertEqual(root.findtext("num_fields_changed"), "1")
        after = self.query(query="{3.EX.'1'}", clist="a")[0]
        changed = {fid for fid in before if before[fid] != after[fid]}
        self.assertEqual(changed, {2, 5, 6})
        self.assertEqual((after[5], after[4]), (BOB, before[4]))
        self.ok("API_EditRecord", ITEMS, {"rid": "1"}, fields=[(6, "")])
        self.assertEqual(self.stored(1, 6), "")

    def test_update_id_conflicts(self):
        first = self.ok("API_EditRecord", ITEMS, {"rid": "2"}, fields=[(7, "1")]).findtext("update_id")
        second = self.ok("API_EditRecord", ITEMS, {"rid": "2", "update_id": first},
                         fields=[(7, "2")]).findtext("update_id")
        self.assertNotEqual(first, second)
        self.err(60, "API_EditRecord", ITEMS, {"rid": "2", "update_id": first}, fields=[(7, "3")])
        self.assertEqual(self.stored(2, 7), "2")
        self.err(30, "API_EditRecord", ITEMS, {"rid": "77"}, fields=[(7, "3")])
        self.err(2, "API_EditRecord", ITEMS, fields=[(7, "3")])

    def test_required_and_default_values(self):
        self.ok("API_SetFieldProperties", ITEMS, {"fid": "6", "required": "1"})
        self.err(50, "API_AddRecord", ITEMS, fields=[(7, "1")])
        self.err(50, "API_EditRecord", ITEMS, {"rid": "1"}, fields=[(6, "")])
        self.ok("API_SetFieldProperties", ITEMS, {"fid": "6", "default_value": "unnamed"})
        rid = int(self.ok("API_AddRecord", ITEMS, fields=[(7, "1")]).findtext("rid"))
        self.assertEqual(self.stored(rid, 6), "unnamed")


if __name__ == "__main__":
    unittest.main()
