// Provisional record ids that a result file names, followed to the ids the
// service gave their rows once sent, so a bookmark still reaches such a row.
// Kept by positioned adds, filled by the flush, read when positioning.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TableCursor;
struct WriteCache;

// Follows the provisional id from now on; other ids are left alone.
void KeepAddedRowId(TableCursor& cursor, std::uint32_t provisionalId);
// The service took the rows of recordIds (an import's rows in input order)
// and answered rids in the same order.
void NoteSentRowIds(WriteCache& cache, const std::vector<std::uint32_t>& recordIds,
                    const std::vector<std::string>& rids);
void NoteSentRowId(WriteCache& cache, std::uint32_t provisionalId, std::uint32_t recordId);
// The id the service gave a followed row; 0 while it is unsent or unfollowed.
std::uint32_t SentRowId(const WriteCache& cache, std::uint32_t provisionalId);
