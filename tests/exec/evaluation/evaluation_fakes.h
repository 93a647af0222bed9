// Fakes of the executor, cursor positioning and the scalar functions for
// the evaluator's tests: sub-selects whose rows a test scripts, and a
// scalar-function call that only counts itself.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "common/message_ids.h"

// A sub-select over the identity pseudo-table whose rows give its select
// item (IDENTITY) the scripted values; nullopt makes the item NULL.
struct ScriptedSubSelect {
  std::vector<std::optional<std::uint32_t>> rows;
  MessageId executeResult = kMsgSuccess;  // what executing it answers (1002 and 1038 included)
  MessageId positionFailure = kMsgSuccess;  // answered by every fetch instead of a row
  std::size_t next = 0;
  int executions = 0;
};

struct EvaluationFakes {
  ScriptedSubSelect subSelect;
  int functionCalls = 0;
};

// Installs the fakes for one test; the fake functions fail without them.
struct ScopedEvaluationFakes {
  EvaluationFakes fakes;
  ScopedEvaluationFakes();
  ~ScopedEvaluationFakes();
  ScopedEvaluationFakes(const ScopedEvaluationFakes&) = delete;
  ScopedEvaluationFakes& operator=(const ScopedEvaluationFakes&) = delete;
};
