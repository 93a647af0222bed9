// The test's control over the held-back writes that commit and rollback see.
#pragma once

struct ControlledWrites {
  bool pending = false;
  bool commitFails = false;
  int commits = 0;
  int rollbacks = 0;
};

ControlledWrites& Writes();
