"""The query language over every field type, through API_DoQuery."""

import unittest

from tests.base import ALICE, BOB, ITEMS, EmulatorTest

ALL = [1, 2, 3, 4, 5]

# (query, record ids that match). Records: 1 apple, 2 "Banana  ", 3 cherry,
# 4 no name, 5 Äpfel; see FIXTURE in base.py for the other fields.
CASES = [
    # text: A-Z folds, trailing blanks don't count, '' is smallest, bytes above 127 as bytes
    ("{6.EX.'APPLE'}", [1]),
    ("{6.EX.'banana'}", [2]),
    ("{6.EX.'BANANA   '}", [2]),
    ("{6.EX.''}", [4]),
    ("{6.XEX.''}", [1, 2, 3, 5]),
    ("{6.XEX.'apple'}", [2, 3, 4, 5]),
    ("{6.CT.'AN'}", [2]),
    ("{6.XCT.'an'}", [1, 3, 4, 5]),
    ("{6.CT.''}", ALL),
    ("{6.SW.'CH'}", [3]),
    ("{6.XSW.'ch'}", [1, 2, 4, 5]),
    ("{6.LT.'b'}", [1, 4]),
    ("{6.LTE.'banana'}", [1, 2, 4]),
    ("{6.GTE.'banana'}", [2, 3, 5]),
    ("{6.GT.'zzz'}", [5]),
    ("{6.EX.'äpfel'}", []),
    ("{6.BF.'b'}", [1, 4]),
    ("{19.XCT.'line'}", [2, 3, 4, 5]),
    ("{19.CT.'TWO'}", [1]),
    # numbers compare as numbers; empty numbers only match EX '' and negatives
    ("{7.GT.'9'}", [1, 3]),
    ("{7.LT.'9'}", [4, 5]),
    ("{7.EX.'10.0'}", [1]),
    ("{7.GTE.'-5'}", ALL),
    ("{7.LTE.'2.5'}", [4, 5]),
    ("{8.EX.''}", [3, 5]),
    ("{8.XEX.''}", [1, 2, 4]),
    ("{8.XEX.'0'}", [1, 2, 3, 5]),
    ("{8.LT.'100'}", [1, 2, 4]),
    ("{8.GT.''}", []),
    ("{8.CT.'1'}", [1]),
    ("{8.XCT.'1'}", [2, 3, 4, 5]),
    ("{8.SW.'2'}", [2]),
    ("{8.XSW.'2'}", [1, 3, 4, 5]),
    ("{8.EX.'abc'}", []),
    ("{9.EX.'0.25'}", [1]),
    ("{10.GTE.'3'}", [1]),
    ("{23.EX.'7'}", [1]),
    ("{3.LT.'3'}", [1, 2]),
    ("{3.EX.'2'}", [2]),
    # checkboxes
    ("{11.EX.'1'}", [1]),
    ("{11.EX.'true'}", [1]),
    ("{11.EX.'0'}", [2, 3, 4, 5]),
    ("{11.XEX.'1'}", [2, 3, 4, 5]),
    # dates: milliseconds or yyyy-mm-dd
    ("{12.EX.'2024-01-15'}", [1]),
    ("{12.EX.'1705276800000'}", [1]),
    ("{12.BF.'2024-01-15'}", [3]),
    ("{12.OBF.'2024-01-15'}", [1, 3]),
    ("{12.AF.'2024-01-15'}", [2]),
    ("{12.OAF.'2024-01-15'}", [1, 2]),
    ("{12.LT.'1705276800000'}", [3]),
    ("{12.EX.''}", [4, 5]),
    ("{12.XEX.'2024-01-15'}", [2, 3, 4, 5]),
    # timestamps: a bare date means that UTC day
    ("{13.EX.'2024-01-15'}", [1]),
    ("{13.GT.'1705320000000'}", [2]),
    ("{13.OAF.'2024-02-01'}", [2]),
    ("{13.BF.'2024-02-01'}", [1]),
    ("{13.OBF.'2024-01-15'}", [1]),
    ("{14.EX.'3600000'}", [1]),
    ("{14.GT.'0'}", [1]),
    ("{15.GTE.'86400000'}", [1]),
    ("{15.XEX.'1'}", ALL),
    # user fields compare their ids as text
    ("{20.EX.'%s'}" % ALICE.upper(), [1]),
    ("{21.CT.'%s'}" % BOB, [2]),
    # joins, groups, quoting
    ("({6.EX.'apple'}OR{6.EX.'cherry'})AND{7.GTE.'50'}", [3]),
    ("{6.EX.'apple'}OR{6.EX.'cherry'}AND{7.GTE.'50'}", [1, 3]),
    ("{6.EX.'apple'} or {6.EX.'cherry'}", [1, 3]),
    ("(({7.GT.'0'}) AND ({7.LT.'50'}))", [1, 2, 5]),
    ("{'6'.EX.\"apple\"}", [1]),
    ("{\"7\".GT.'9'}", [1, 3]),
    ("{7.EX.10}", [1]),
    ("{7.EX.2.5}", []),
    ("{0.EX.'cherry'}", [3]),
    ("{0.CT.'anan'}", [2]),
    ("", ALL),
    ("   ", ALL),
]

# (query, errcode, a word the detail must hold)
BAD = [
    ("{6.EQ.'x'}", 6, "operator"),
    ("{6.ex.'x'}", 6, "operator"),
    ("{6.EX.'x'", 6, "}"),
    ("{6.EX.'x}", 6, "quoted"),
    ("({6.EX.'x'}", 6, ")"),
    ("{6.EX.'x'})", 6, ")"),
    ("{6.EX.'x'}{7.EX.'1'}", 6, "AND or OR"),
    ("{6.EX.'x'} AND", 6, "missing"),
    ("{x.EX.'1'}", 6, "field id"),
    ("{'6.EX.'1'}", 6, "quote"),
    ("6.EX.'1'", 6, "{"),
    ("{6EX.'1'}", 6, "."),
    ("{99.EX.'1'}", 31, "99"),
]


class QueryTest(EmulatorTest):
    def test_operators_across_field_types(self):
        for query, expected in CASES:
            with self.subTest(query=query):
                self.assertEqual(sorted(self.rids(query)), expected)

    def test_malformed_queries_answer_with_a_detail(self):
        for query, code, word in BAD:
            with self.subTest(query=query):
                root = self.err(code, "API_DoQuery", ITEMS, {"query": query})
                self.assertIn(word, root.findtext("errdetail"))

    def test_purge_uses_the_same_language(self):
        root = self.err(6, "API_PurgeRecords", ITEMS, {"query": "{6.EX.'a'"})
        self.assertIn("}", root.findtext("errdetail"))
        self.assertEqual(len(self.rids()), 5)

    def test_a_value_in_double_quotes_may_hold_a_single_quote(self):
        self.ok("API_AddRecord", ITEMS, fields=[(6, "it's")])
        self.assertEqual(self.rids("{6.EX.\"IT'S\"}"), [6])
        self.assertEqual(self.rids("{6.CT.\"'\"}"), [6])

    def test_criteria_limit_is_one_hundred(self):
        crit = "{7.GT.'-1000'}"
        self.assertEqual(sorted(self.rids("AND".join([crit] * 100))), [1, 2, 3, 4, 5])
        root = self.err(76, "API_DoQuery", ITEMS, {"query": "OR".join([crit] * 101)})
        self.assertIn("100", root.findtext("errdetail"))


if __name__ == "__main__":
    unittest.main()
