// The order a query's record ids keep across pages: rising in record-id
// order, new ones only under a service sort, whatever the server sends.
#include "tables/page_order.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(PageOrder, AdmitsOnlyRecordIdsTheOrderAllows) {
  const struct {
    const char* name;
    const char* fields;
    const char* orders;
    std::vector<std::uint32_t> ids;
    const char* verdicts;  // one per id: n new, r returned before, x out of order
  } cases[] = {
      {"record-id order", "3", "A", {1, 2, 5, 900}, "nnnn"},
      {"record-id order, a page repeated", "3", "A", {1, 2, 1}, "nnx"},
      {"record-id order, an id twice", "3", "A", {4, 4}, "nx"},
      {"record ids descending", "3", "D", {9, 7, 3}, "nnn"},
      {"descending, a row moved onto the next page", "3", "D", {9, 7, 7, 8, 2}, "nnrrn"},
      {"another sort first", "6.3", "AA", {5, 2, 5, 8, 2}, "nnrnr"},
  };
  for (const auto& c : cases) {
    PageOrder order = PageOrderOf(c.fields, c.orders);
    std::string verdicts;
    for (std::uint32_t id : c.ids) {
      const PageVerdict verdict = AdmitRecordId(order, id);
      verdicts += verdict == PageVerdict::kNew ? 'n' : verdict == PageVerdict::kReturned ? 'r' : 'x';
    }
    EXPECT_EQ(verdicts, c.verdicts) << c.name;
  }
}

}  // namespace
