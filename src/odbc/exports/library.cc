// The driver library's entry points: one file of thin wrappers per family of
// ODBC functions lives beside this one. Each clears the handle's diagnostic,
// runs its core inside the catch-all and maps the core's message id to the
// ODBC return code.
#include "odbc/exports/export_macros.h"
