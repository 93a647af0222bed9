// What a batch's failure adds to the failing statement's own diagnostic:
// which statement of the batch it was, and what ran before it. Called by
// the prepare core and the batch runner.
#pragma once

#include <cstddef>

struct StatementHandle;

// Statement `failed` (0-based) of the batch was refused before any ran (it
// does not parse, or is never run): names it by its ordinal and first words,
// says why in `what`, and that no statement ran.
void AddPrepareFailureContext(StatementHandle& statement, std::size_t failed, const char* what);

// The batch's current statement failed to bind or to run: names it, and the
// statements before it that ran with their row counts.
void AddRunFailureContext(StatementHandle& statement);
