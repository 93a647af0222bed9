// The built driver library must export the ODBC functions and nothing else:
// any other exported name could capture a call meant for the Driver Manager
// or for another library in the host program.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

std::set<std::string> NamesInExportList() {
  std::ifstream file(std::string(HELVANE_SOURCE_DIR) + "/src/odbc/exports/export_list.map");
  std::stringstream text;
  text << file.rdbuf();
  std::set<std::string> names;
  std::regex name(R"((SQL[A-Za-z]+);)");
  std::string all = text.str();
  for (auto it = std::sregex_iterator(all.begin(), all.end(), name); it != std::sregex_iterator(); ++it)
    names.insert((*it)[1]);
  return names;
}

std::set<std::string> DefinedDynamicSymbols(const std::string& library) {
  std::set<std::string> names;
  std::string command = "nm -D --defined-only '" + library + "'";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return names;
  char line[1024];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::istringstream fields(line);
    std::string address, type, name;
    if (fields >> address >> type >> name) names.insert(name);
  }
  pclose(pipe);
  return names;
}

}  // namespace

TEST(ExportList, LibraryLoadsAndExportsOnlyOdbcNames) {
  void* handle = dlopen(HELVANE_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << dlerror();
  dlclose(handle);

  std::set<std::string> allowed = NamesInExportList();
  ASSERT_GT(allowed.size(), 60u);
  for (const std::string& name : DefinedDynamicSymbols(HELVANE_LIBRARY_PATH))
    EXPECT_TRUE(allowed.count(name) == 1) << "unexpected export: " << name;
}
