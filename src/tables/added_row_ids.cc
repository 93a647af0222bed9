// Following provisional record ids to the service's ids. Only ids a result
// file names are followed, so the map grows with positioned adds, never with
// the rows of INSERT statements.
#include "tables/added_row_ids.h"

#include "connection/quickbase_client.h"
#include "connection/table_caches.h"
#include "handles/connection_record.h"
#include "tables/table_cursor.h"

void KeepAddedRowId(TableCursor& cursor, std::uint32_t provisionalId) {
  if (provisionalId < kFirstProvisionalRecordId || cursor.connection == nullptr) return;
  cursor.connection->client->caches.writes.followedRowIds.emplace(provisionalId, 0);
}

void NoteSentRowIds(WriteCache& cache, const std::vector<std::uint32_t>& recordIds,
                    const std::vector<std::string>& rids) {
  if (cache.followedRowIds.empty()) return;
  for (std::size_t i = 0; i < recordIds.size() && i < rids.size(); ++i)
    NoteSentRowId(cache, recordIds[i], ParseRecordId(rids[i]));
}

void NoteSentRowId(WriteCache& cache, std::uint32_t provisionalId, std::uint32_t recordId) {
  auto followed = cache.followedRowIds.find(provisionalId);
  if (followed != cache.followedRowIds.end()) followed->second = recordId;
}

std::uint32_t SentRowId(const WriteCache& cache, std::uint32_t provisionalId) {
  auto followed = cache.followedRowIds.find(provisionalId);
  return followed == cache.followedRowIds.end() ? 0 : followed->second;
}
