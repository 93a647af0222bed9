// The built driver opened with dlopen and its exports looked up by name, for
// tests that call the library as a program linked to it without a Driver
// Manager would.
#pragma once

#include <dlfcn.h>

struct DriverLibrary {
  void* handle = dlopen(HELVANE_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  ~DriverLibrary() {
    if (handle != nullptr) dlclose(handle);
  }
  template <typename Function>
  Function* Get(const char* name) const {
    return reinterpret_cast<Function*>(dlsym(handle, name));
  }
};

// The library's own copy of an export, from a DriverLibrary named library.
#define EXPORT(name) library.Get<decltype(::name)>(#name)
