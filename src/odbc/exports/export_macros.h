// Marks the ODBC entry points that leave the library; everything else is
// hidden, and the version script keeps even stray defaults local.
#pragma once

#define HELVANE_EXPORT extern "C" __attribute__((visibility("default")))
