// The emulator that a benchmark reads from: its fixture loaded, its table
// filled with generated rows and the data source "demo" pointed at it.
#pragma once

#include <cstdio>
#include <string>

#include "../tests/integration/odbc_test_support.h"

// False, said on stderr, when the emulator did not start.
inline bool ServeBenchTable(const TempFolder& folder, const Emulator& emulator, const std::string& fixture,
                            const std::string& dbid, int rows, int seed) {
  if (emulator.port == 0) {
    std::fprintf(stderr, "could not start the emulator\n");
    return false;
  }
  emulator.Admin("fixture", fixture);
  emulator.Generate(dbid, rows, seed);
  WriteOdbcFiles(folder, {"QUICKBASESERVER=" + emulator.HttpUrl(), "UID=alice", "PWD=wonderland"});
  return true;
}
