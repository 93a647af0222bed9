// The host program's name, which selects a few host-specific behaviours.
#pragma once

#include <string>

// The lower-cased base name of /proc/self/exe ("isql", "python3.11", ...).
std::string HostProgramName();
// Tests pretend to run inside another host; an empty name restores the real one.
void SetHostProgramNameForTesting(const std::string& name);
