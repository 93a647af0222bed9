// The emulator and connection behind the table-access tests.
#include "emulator_session.h"

#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <regex>

#include <unistd.h>

#include "connection/connect_routine.h"
#include "connection/quickbase_client.h"
#include "platform/files.h"
#include "tables/table_names.h"

namespace {

std::string RunCommand(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
  pclose(pipe);
  return out;
}

size_t Collect(char* data, size_t size, size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

// Undoes the JSON string escapes the log uses.
std::string JsonUnescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    char c = text[++i];
    if (c == 'n') out += '\n';
    else if (c == 't') out += '\t';
    else if (c == 'r') out += '\r';
    else if (c == 'u' && i + 4 < text.size()) {
      unsigned code = std::stoul(text.substr(i + 1, 4), nullptr, 16);
      i += 4;
      if (code < 0x80) out += static_cast<char>(code);
      else if (code < 0x800) { out += static_cast<char>(0xC0 | (code >> 6)); out += static_cast<char>(0x80 | (code & 0x3F)); }
      else { out += static_cast<char>(0xE0 | (code >> 12)); out += static_cast<char>(0x80 | ((code >> 6) & 0x3F)); out += static_cast<char>(0x80 | (code & 0x3F)); }
    } else out += c;
  }
  return out;
}

std::string JsonField(const std::string& object, const std::string& key) {
  std::regex pattern("\"" + key + "\": \"((?:[^\"\\\\]|\\\\.)*)\"");
  std::smatch match;
  return std::regex_search(object, match, pattern) ? JsonUnescape(match[1]) : std::string();
}

}  // namespace

EmulatorSession::~EmulatorSession() {
  if (connection.record != nullptr) {
    delete connection.record;
    connection.record = nullptr;
  }
  if (!pidFile.empty()) {
    RunCommand("python3 " HELVANE_SOURCE_DIR "/emulator/emuctl.py stop --pidfile " + pidFile + " 2>/dev/null");
    DeleteFile(pidFile);
  }
}

bool EmulatorSession::Start(const std::string& fixture, const std::string& extraSettings) {
  // The emulator's pid file needs a name; the driver's files have none.
  std::string path = TemporaryDirectory() + "/helvane-emulator-XXXXXX";
  const int file = mkstemp(path.data());
  if (file < 0) return false;
  close(file);
  pidFile = path;
  std::string out = RunCommand("timeout 30 python3 " HELVANE_SOURCE_DIR "/emulator/emuctl.py start --pidfile " +
                               pidFile + " --owner " + std::to_string(getpid()) +
                               " -- --fixture " HELVANE_SOURCE_DIR "/" + fixture);
  port = std::atoi(out.c_str());
  if (port <= 0) return false;
  connection.environment = &environment;
  connection.settings["QUICKBASESERVER"] = "http://127.0.0.1:" + std::to_string(port);
  connection.settings["UID"] = "alice";
  connection.settings["PWD"] = "wonderland";
  std::size_t start = 0;
  while (start < extraSettings.size()) {
    std::size_t end = extraSettings.find(';', start);
    std::string pair = extraSettings.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::size_t equals = pair.find('=');
    if (equals != std::string::npos) connection.settings[pair.substr(0, equals)] = pair.substr(equals + 1);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return OpenConnection(connection) == kMsgSuccess && connection.record != nullptr;
}

std::string EmulatorSession::Admin(const std::string& method, const std::string& path, const std::string& body) {
  std::string reply;
  CURL* curl = curl_easy_init();
  std::string url = "http://127.0.0.1:" + std::to_string(port) + "/_emulator/" + path;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
  if (!body.empty()) curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
  else if (method == "POST") curl_easy_setopt(curl, CURLOPT_POSTFIELDS, "{}");
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L);
  curl_easy_perform(curl);
  curl_easy_cleanup(curl);
  return reply;
}

std::vector<LoggedRequest> EmulatorSession::Log(const std::string& action) {
  std::string json = Admin("GET", action.empty() ? "log" : "log?action=" + action);
  std::vector<LoggedRequest> entries;
  // Every entry starts with "method"; the text between two of them is one entry.
  std::size_t at = json.find("\"method\"");
  while (at != std::string::npos) {
    std::size_t next = json.find("\"method\"", at + 1);
    std::string object = json.substr(at, next == std::string::npos ? std::string::npos : next - at);
    entries.push_back(LoggedRequest{JsonField(object, "action"), JsonField(object, "dbid"), JsonField(object, "body")});
    at = next;
  }
  return entries;
}

std::string EmulatorSession::TableId(const std::string& name) {
  LoadGrantedTables(Record());
  return FindGrantedTableId(Record().client->caches.grantedTables, name);
}
