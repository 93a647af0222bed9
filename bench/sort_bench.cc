// Times SortFile against GNU sort (one thread, the same 64 MiB) on files of
// millions of records (text keys of 254 characters: a tenth as many),
// checks that both put the keys in the same order, and prints wall time,
// peak memory and their ratio. Each sort runs five times, the two taking
// turns; the fastest run and the median are printed, since on a shared
// machine other work only ever adds time. Every sort starts with the disk
// settled and its input in memory, so that none pays for what ran before
// it. Run by hand in Release:
//   sort_bench [data ...] [millions ...]   (default: every data set; 1 10 20)
// where data names sets to run (C,N,E DUPO T254 T1016 T1016u).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "exec/sort_engine.h"
#include "platform/files.h"
#include "platform/text_fold.h"

namespace {

namespace fs = std::filesystem;

// One data set: how a record is laid out and sorted, how GNU sort is told the
// same keys, and how both render a record's keys for the comparison.
struct DataSet {
  const char* name;
  std::size_t record_length;
  std::string order;                       // without the W section
  std::vector<std::string> gnu_keys;      // sort options
  int key_fields;                         // leading text fields that are keys
  std::size_t text_width = 0;             // a text key's bytes, for the text sets
  bool multibyte = false;                 // its characters take one to four bytes
};

const DataSet kKeys = {"C,N,E", 37, "S(1,12,C,A,14,10,N,D,25,8,E,A)F(FIX,37)",
                       {"-k1,1f", "-k2,2nr", "-k3,3n"}, 3};
const DataSet kDistinct = {"DUPO", 26, "S(11,8,C,A,20,6,N,A)DUPO(B26,11,16)F(FIX,26)",
                           {"-u", "-k1,1f", "-k2,2n"}, 2};
// Texts of 1 to 254 characters as a VARCHAR(254) key: blank-padded to the
// key's width, then the record id. T254 is 254 bytes wide, what the key took
// when a size counted bytes; T1016 holds the same texts in the width it
// takes now, four bytes a character; T1016u fills that width with
// characters of one to four bytes.
const DataSet kText254 = {"T254", 259, "S(1,254,C,A)F(FIX,259)", {"-k1,1f"}, 1, 254};
const DataSet kText1016 = {"T1016", 1021, "S(1,1016,C,A)F(FIX,1021)", {"-k1,1f"}, 1, 1016};
const DataSet kText1016Utf8 = {"T1016u", 1021, "S(1,1016,C,A)F(FIX,1021)", {"-k1,1f"}, 1, 1016, true};

std::string Padded(std::string text, std::size_t width) {
  text.resize(width, ' ');
  return text;
}

std::string Trimmed(const char* bytes, std::size_t length) {
  std::string text(bytes, length);
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

std::string CentsText(std::int64_t cents) {
  char text[32];
  long long magnitude = std::llabs(static_cast<long long>(cents));
  std::snprintf(text, sizeof text, "%s%lld.%02lld", cents < 0 ? "-" : "", magnitude / 100, magnitude % 100);
  return text;
}

// Multiples of 1/1024 print exactly with ten decimals, so the text sorts
// exactly like the double.
std::string DoubleText(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.10f", value);
  return text;
}

std::string RandomLetters(std::mt19937_64& random, int count) {
  static const char kLetters[] = "abcdeABCDE";
  std::string text;
  for (int i = 0; i < count; ++i) text += kLetters[random() % 10];
  return text;
}

// 1 to 254 characters; A-Z and a-z sort alike, the others by their bytes.
std::string RandomText(std::mt19937_64& random, bool multibyte) {
  static const char* const kCharacters[] = {"a", "b", "C", "D", "\xC3\xA9", "\xC3\x9F", "\xCE\xA3", "\xD0\xB6",
                                            "\xE6\x9D\xB1", "\xE4\xBA\xAC", "\xF0\x9F\x98\x80", "\xF0\x9F\xA4\xA3"};
  const int count = 1 + static_cast<int>(random() % 254);
  if (!multibyte) return RandomLetters(random, count);
  std::string text;
  for (int i = 0; i < count; ++i) text += kCharacters[random() % std::size(kCharacters)];
  return text;
}

// The keys of one binary record as GNU sort sees them in the text rendering,
// with the case folded the way both sorts ignore it.
std::string KeyText(const DataSet& set, const char* record) {
  if (set.text_width > 0) return LowerCopyAZ(Trimmed(record, set.text_width));
  if (&set == &kKeys) {
    double value;
    std::memcpy(&value, record + 24, 8);
    return LowerCopyAZ(std::string(record, 12)) + "\t" + Trimmed(record + 13, 10) + "\t" + DoubleText(value);
  }
  return LowerCopyAZ(std::string(record + 10, 8)) + "\t" + Trimmed(record + 19, 6);
}

std::string KeyTextOfLine(const DataSet& set, const std::string& line) {
  if (set.text_width > 0) return LowerCopyAZ(line.substr(0, line.find('\t')));
  std::size_t end = 0;
  for (int i = 0; i < set.key_fields && end != std::string::npos; ++i) end = line.find('\t', end + (i ? 1 : 0));
  std::string keys = line.substr(0, end);
  std::size_t tab = keys.find('\t');
  return LowerCopyAZ(keys.substr(0, tab)) + keys.substr(tab);
}

struct Writer {
  PlatformFile file;
  std::string buffer;
  bool ok = true;
  void Put(const std::string& bytes) {
    buffer += bytes;
    if (buffer.size() >= (std::size_t{4} << 20)) Flush();
  }
  void Flush() {
    ok = ok && WriteWholeBuffer(file, buffer.data(), buffer.size());
    buffer.clear();
  }
};

bool Generate(const DataSet& set, std::size_t count, const std::string& binary_path, const std::string& text_path) {
  PlatformFile binary = CreateOrTruncateFile(binary_path);
  PlatformFile text = CreateOrTruncateFile(text_path);
  Writer records{binary, {}};
  Writer lines{text, {}};
  std::mt19937_64 random(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::string record;
    std::string line;
    if (set.text_width > 0) {
      std::string text = RandomText(random, set.multibyte);
      auto id = static_cast<std::uint32_t>(i);
      record = Padded(text, set.text_width) + " " + std::string(reinterpret_cast<const char*>(&id), 4);
      line = text + "\t" + std::to_string(id) + "\n";
    } else if (&set == &kKeys) {
      std::string letters = Padded(RandomLetters(random, 3), 12);
      std::string cents = CentsText(static_cast<std::int64_t>(random() % 20000001) - 10000000);
      double value = static_cast<double>(static_cast<std::int64_t>(random() % (1ull << 31)) - (1ll << 30)) / 1024;
      char number[8];
      std::memcpy(number, &value, 8);
      auto id = static_cast<std::uint32_t>(i);
      record = letters + " " + Padded(cents, 10) + " " + std::string(number, 8) + " " +
               std::string(reinterpret_cast<const char*>(&id), 4);
      line = letters + "\t" + cents + "\t" + DoubleText(value) + "\t" + std::to_string(id) + "\n";
    } else {
      char row[24];
      std::snprintf(row, sizeof row, "%010zu", i);
      std::string letters = Padded(RandomLetters(random, 2), 8);
      std::string number = std::to_string(random() % 1000);
      record = row + letters + " " + Padded(number, 6) + " ";
      line = letters + "\t" + number + "\t" + row + "\n";
    }
    records.Put(record);
    lines.Put(line);
  }
  records.Flush();
  lines.Flush();
  bool ok = records.ok && lines.ok;
  CloseFile(binary);
  CloseFile(text);
  return ok;
}

struct Measure {
  double seconds = 0;
  double peak_mib = 0;
  bool ok = false;
};

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

Measure Wait(pid_t child, std::chrono::steady_clock::time_point start) {
  Measure measure;
  int status = 0;
  rusage usage{};
  if (child > 0 && wait4(child, &status, 0, &usage) == child) {
    measure.seconds = Seconds(start);
    measure.peak_mib = static_cast<double>(usage.ru_maxrss) / 1024;
    measure.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  return measure;
}

// fork rather than posix_spawn: a spawned child shares this process's memory
// until it execs, and the kernel then counts this process's peak as the
// child's.
pid_t Spawn(std::vector<std::string> args, const std::vector<std::string>& env, int stdout_to) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<std::string> entries = env;
  if (const char* path = std::getenv("PATH")) entries.push_back(std::string("PATH=") + path);
  std::vector<char*> envp;
  for (std::string& entry : entries) envp.push_back(entry.data());
  envp.push_back(nullptr);
  pid_t child = fork();
  if (child == 0) {
    if (stdout_to >= 0) dup2(stdout_to, STDOUT_FILENO);
    execvpe(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  return child;
}

// A fresh process of this program runs the sort, so that its peak memory is
// the sort's and not what generating the input left in this one.
Measure RunOurs(const std::string& input, const std::string& output, const std::string& order, std::uint32_t& count) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return {};
  auto start = std::chrono::steady_clock::now();
  pid_t child = Spawn({"/proc/self/exe", "--sort-child", input, output, order}, {}, pipe_ends[1]);
  close(pipe_ends[1]);
  Measure measure = Wait(child, start);
  char text[32] = {};
  if (read(pipe_ends[0], text, sizeof text - 1) <= 0) measure.ok = false;
  count = static_cast<std::uint32_t>(std::strtoul(text, nullptr, 10));
  close(pipe_ends[0]);
  return measure;
}

int SortChild(char** argv) {
  std::uint32_t status = 1;
  std::uint32_t records = 0;
  PlatformFile input = OpenFileForReading(argv[2]);
  PlatformFile output = OpenFileForUpdate(argv[3]);
  SortFile(input, output, argv[4], records, status);
  CloseFile(output);
  CloseFile(input);
  std::printf("%u\n", records);
  return status == 0 ? 0 : 1;
}

Measure RunGnuSort(const DataSet& set, const std::string& input, const std::string& output,
                   const std::string& temporary) {
  std::vector<std::string> args = {"sort", "--parallel=1", "-S", "64M", "-T", temporary, "-t", "\t"};
  args.insert(args.end(), set.gnu_keys.begin(), set.gnu_keys.end());
  args.insert(args.end(), {"-o", output, input});
  auto start = std::chrono::steady_clock::now();
  pid_t child = Spawn(args, {"LC_ALL=C"}, -1);
  return Wait(child, start);
}

struct LineReader {
  PlatformFile file;
  std::string buffer;
  std::size_t at = 0;
  bool Next(std::string& line) {
    for (;;) {
      std::size_t end = buffer.find('\n', at);
      if (end != std::string::npos) {
        line.assign(buffer, at, end - at);
        at = end + 1;
        return true;
      }
      buffer.erase(0, at);
      at = 0;
      std::size_t old = buffer.size();
      buffer.resize(old + (1 << 20));
      std::int64_t got = ReadFullBuffer(file, buffer.data() + old, 1 << 20);
      buffer.resize(old + static_cast<std::size_t>(got > 0 ? got : 0));
      if (got <= 0) return false;
    }
  }
};

// Both outputs hold the same number of records with equal keys at every
// position; among equal keys either may hold any record.
bool SameKeyOrder(const DataSet& set, const std::string& ours, const std::string& gnu, std::uint32_t count) {
  PlatformFile binary = OpenFileForReading(ours);
  LineReader lines{OpenFileForReading(gnu), {}};
  std::vector<char> block(set.record_length * 65536);
  std::string line;
  std::uint64_t seen = 0;
  bool same = binary != kNoFile && lines.file != kNoFile;
  while (same) {
    std::int64_t got = ReadFullBuffer(binary, block.data(), block.size());
    if (got <= 0) break;
    for (std::int64_t at = 0; same && at < got; at += static_cast<std::int64_t>(set.record_length)) {
      same = lines.Next(line) && KeyText(set, block.data() + at) == KeyTextOfLine(set, line);
      ++seen;
    }
  }
  same = same && !lines.Next(line) && seen == count;
  CloseFile(binary);
  CloseFile(lines.file);
  return same;
}

// Writes the file system's dirty pages and finishes freeing deleted files'
// blocks, untimed, so that a sort neither shares the disk with the write-back
// of what ran before it nor waits behind the journal.
void SettleDisk(const fs::path& dir) {
  PlatformFile folder = OpenFileForReading(dir.string());
  if (folder != kNoFile) syncfs(folder);
  CloseFile(folder);
}

// Reads a file through, untimed, so that a sort finds its input in memory as
// a file its writer has just written would be, even when the system has
// since dropped the pages of files left untouched for a while.
void ReadThrough(const std::string& path) {
  PlatformFile file = OpenFileForReading(path);
  std::vector<char> block(std::size_t{1} << 20);
  while (file != kNoFile && ReadFullBuffer(file, block.data(), block.size()) > 0) {
  }
  CloseFile(file);
}

// Odd, so that the median is one of the runs.
constexpr int kRepeats = 5;

struct Summary {
  double best = 0;    // seconds
  double median = 0;  // seconds
  double peak_mib = 0;
  bool ok = true;
};

Summary Summarize(std::vector<Measure> runs) {
  std::sort(runs.begin(), runs.end(), [](const Measure& a, const Measure& b) { return a.seconds < b.seconds; });
  Summary summary{runs.front().seconds, runs[runs.size() / 2].seconds};
  for (const Measure& run : runs) {
    summary.peak_mib = std::max(summary.peak_mib, run.peak_mib);
    summary.ok = summary.ok && run.ok;
  }
  return summary;
}

double Ratio(double ours, double theirs) { return theirs > 0 ? ours / theirs : 0.0; }

double BaselinePeakMib() {
  auto start = std::chrono::steady_clock::now();
  return Wait(Spawn({"/proc/self/exe", "--idle-child"}, {}, -1), start).peak_mib;
}

void RunOne(const DataSet& set, std::size_t count, const fs::path& dir) {
  std::string binary = (dir / "records.bin").string();
  std::string text = (dir / "records.txt").string();
  std::string ours = (dir / "ours.bin").string();
  std::string gnu = (dir / "gnu.txt").string();
  if (!Generate(set, count, binary, text)) {
    std::printf("%-10zu %-6s could not write the input files\n", count, set.name);
    return;
  }
  std::uint32_t kept = 0;
  std::vector<Measure> ours_runs;
  std::vector<Measure> their_runs;
  for (int i = 0; i < kRepeats; ++i) {
    DeleteFile(ours);
    PlatformFile created = CreateOrTruncateFile(ours);
    CloseFile(created);
    SettleDisk(dir);
    ReadThrough(binary);
    ours_runs.push_back(RunOurs(binary, ours, set.order + "W(" + dir.string() + "/)", kept));
    DeleteFile(gnu);
    SettleDisk(dir);
    ReadThrough(text);
    their_runs.push_back(RunGnuSort(set, text, gnu, dir.string()));
  }
  Summary our = Summarize(ours_runs);
  Summary their = Summarize(their_runs);
  bool agree = our.ok && their.ok && SameKeyOrder(set, ours, gnu, kept);
  std::printf("%-10zu %-6s %10u %7.2f %7.2f %8.1f %7.2f %7.2f %8.1f %6.2f %6.2f  %s\n", count, set.name, kept,
              our.best, our.median, our.peak_mib, their.best, their.median, their.peak_mib,
              Ratio(our.best, their.best), Ratio(our.median, their.median),
              agree ? "yes" : (our.ok ? (their.ok ? "NO" : "sort failed") : "ours failed"));
  std::fflush(stdout);
  for (const std::string& path : {binary, text, ours, gnu}) DeleteFile(path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "--sort-child") == 0) return SortChild(argv);
  if (argc == 2 && std::strcmp(argv[1], "--idle-child") == 0) return 0;
  std::vector<std::size_t> millions;
  std::vector<std::string> names;
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] >= '0' && argv[i][0] <= '9') millions.push_back(std::strtoull(argv[i], nullptr, 10));
    else names.push_back(argv[i]);
  }
  if (millions.empty()) millions = {1, 10, 20};
  auto chosen = [&](const DataSet& set) {
    return names.empty() || std::find(names.begin(), names.end(), set.name) != names.end();
  };
  fs::path dir = fs::path(TemporaryDirectory()) / ("helvane-sort-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  std::printf("budget %zu MiB; this program doing nothing peaks at %.1f MiB\n", kSortMemoryBudget >> 20,
              BaselinePeakMib());
  std::printf("%-10s %-6s %10s %7s %7s %8s %7s %7s %8s %6s %6s  %s\n", "records", "data", "kept", "ours s",
              "median", "ours MiB", "sort s", "median", "sort MiB", "ratio", "median", "same order");
  for (std::size_t m : millions) {
    std::size_t count = m * 1000000;
    // Input text and binary, two outputs and both sorts' run files.
    std::uintmax_t needed = count * (37 + 60) * 3;
    if (fs::space(dir).available < needed) {
      std::printf("%-10zu skipped: %ju MiB free in %s, %ju needed\n", count, fs::space(dir).available >> 20,
                  dir.c_str(), needed >> 20);
      continue;
    }
    for (const DataSet* set : {&kKeys, &kDistinct}) {
      if (chosen(*set)) RunOne(*set, count, dir);
    }
    // The text sets' records are some thirty times as long.
    const std::size_t texts = count / 10;
    if (fs::space(dir).available < texts * (1021 + 600) * 3) continue;
    for (const DataSet* set : {&kText254, &kText1016, &kText1016Utf8}) {
      if (chosen(*set)) RunOne(*set, texts, dir);
    }
  }
  fs::remove_all(dir);
  return 0;
}
