// SQLCopyDesc: one descriptor's records and header into another. From an
// implementation descriptor the records are made as bindings that would
// receive the described columns or parameters.
#pragma once

#include <sql.h>

struct DescriptorHandle;

// 1080 into an IRD; nothing is copied into an IPD (its description comes
// from prepare); 1078 from the IRD of a statement with nothing prepared or
// open. A failed copy leaves the target as it was.
SQLRETURN CopyDescriptor(DescriptorHandle& source, DescriptorHandle& target);
