// The driver library's entry points: one file of thin wrappers per family of
// ODBC functions lives beside this one. Each goes through a Guarded...Call of
// odbc/export_guard.h, which checks the handle's kind, takes the lock the
// threads rule names, clears the handle's diagnostic, runs the core inside
// the catch-all and maps the core's message id to the ODBC return code.
#include "odbc/exports/export_macros.h"
