// The handle records alive in the process, kept apart from the records
// themselves: an export handed a freed handle, or a pointer that was never
// a handle, learns so here without reading the memory it points at. Every
// handle record registers itself on construction and leaves on destruction.
#pragma once

#include <cstdint>

void RegisterHandle(const void* handle, std::int16_t kind);
void RetireHandle(const void* handle);
// The kind the live handle registered with; 0 for null and for anything
// that is not a live handle.
std::int16_t LiveHandleKind(const void* handle);
