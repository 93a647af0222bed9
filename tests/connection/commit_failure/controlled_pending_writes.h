// The test's control over the held-back writes that commit and rollback see.
#pragma once

struct ControlledWrites {
  bool pending = false;
  bool commitFails = false;
  // Set: the failing commit sent part of the writes, and this is its account.
  const char* partlyDone = nullptr;
  int commits = 0;
  int rollbacks = 0;
};

ControlledWrites& Writes();
