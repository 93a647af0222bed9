// Descriptor lifecycle: resetting the embedded descriptors, allocating and
// freeing the application's, and the connection's descriptor list.
#pragma once

#include "handles/descriptor_handle.h"

// Resets an embedded descriptor to its state at statement allocation.
void InitEmbeddedDescriptor(DescriptorHandle& descriptor, ConnectionHandle* connection, StatementHandle* owner,
                            std::uint64_t bindType);
// Frees every record, or every record except the bookmark column's.
void ReleaseDescriptorRecords(DescriptorHandle& descriptor, bool keepBookmarkRecord);

// The connection's one descriptor list (application and embedded descriptors).
void LinkDescriptor(ConnectionHandle& connection, DescriptorHandle& descriptor);
void UnlinkDescriptor(ConnectionHandle& connection, DescriptorHandle& descriptor);

// SQLAllocHandle(SQL_HANDLE_DESC): 1001 on the connection when memory runs out.
SQLRETURN AllocateApplicationDescriptor(ConnectionHandle& connection, DescriptorHandle** out);
// SQLFreeHandle(SQL_HANDLE_DESC): refuses an embedded descriptor with 1081;
// statements using an application descriptor fall back to their own.
SQLRETURN FreeDescriptor(DescriptorHandle* descriptor);
// Frees the application descriptors still on a connection being freed.
void FreeApplicationDescriptors(ConnectionHandle& connection);
