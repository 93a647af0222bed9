// Continuation paging: record ids must move beyond the last one read, in
// either direction, whatever the server sends; the next page asks for the
// records beyond it, after the query's own criteria.
#include "tables/page_order.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(PageOrder, AdvancesOnlyBeyondTheLastRecordRead) {
  const struct {
    const char* name;
    const char* orders;
    std::vector<std::uint32_t> ids;
    const char* verdicts;  // one per id: n beyond the last, x not
  } cases[] = {
      {"ascending", "A", {1, 2, 5, 900}, "nnnn"},
      {"ascending, a page repeated", "A", {1, 2, 1}, "nnx"},
      {"ascending, an id twice", "A", {4, 4}, "nx"},
      {"descending", "DA", {9, 7, 3}, "nnn"},
      {"descending, an id that goes back up", "D", {9, 7, 8, 2}, "nnxn"},
      {"descending, an id twice", "D", {9, 9}, "nx"},
  };
  for (const auto& c : cases) {
    PageOrder order = PageOrderOf(c.orders);
    std::string verdicts;
    for (std::uint32_t id : c.ids) verdicts += AdvancePastRecordId(order, id) ? 'n' : 'x';
    EXPECT_EQ(verdicts, c.verdicts) << c.name;
  }
}

TEST(PageOrder, ContinuesAfterTheLastRecordRead) {
  const struct {
    const char* orders;
    const char* criteria;
    const char* query;
  } cases[] = {
      {"A", "", "{3.GT.'1000'}"},
      {"D", "", "{3.LT.'1000'}"},
      {"A", "{7.EX.'1'}", "({7.EX.'1'})AND{3.GT.'1000'}"},
      {"D", "{7.EX.'1'}OR{7.EX.'3'}", "({7.EX.'1'}OR{7.EX.'3'})AND{3.LT.'1000'}"},
  };
  for (const auto& c : cases) {
    PageOrder order = PageOrderOf(c.orders);
    ASSERT_TRUE(AdvancePastRecordId(order, 1000));
    EXPECT_EQ(ContinuationQuery(c.criteria, order), c.query);
  }
}

}  // namespace
