// Zone tags of the golden transcripts and the zone's clock.
#include "zoned_golden.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

// Each case's lines, header included: a transcript is cut before every
// "=== " line.
std::vector<std::vector<std::string>> CaseChunks(const std::string& transcript) {
  std::vector<std::vector<std::string>> chunks;
  for (const std::string& line : SplitLines(transcript)) {
    if (line.starts_with("=== ")) chunks.emplace_back();
    if (!chunks.empty()) chunks.back().push_back(line);
  }
  return chunks;
}

// One case's lines merged; false when they differ.
bool MergeCase(const std::vector<std::vector<std::string>>& byZone, std::string& out) {
  std::size_t count = 0;
  for (const auto& lines : byZone) count = std::max(count, lines.size());
  bool same = true;
  for (std::size_t l = 0; l < count; ++l) {
    bool lineSame = true;
    for (const auto& lines : byZone) lineSame = lineSame && l < lines.size() && lines[l] == byZone[0][l];
    if (lineSame) {
      out += byZone[0][l] + "\n";
      continue;
    }
    same = false;
    for (std::size_t z = 0; z < byZone.size(); ++z)
      out += "[" + std::string(kGoldenZones[z]) + "] " + (l < byZone[z].size() ? byZone[z][l] : "<none>") + "\n";
  }
  return same;
}

std::int64_t DaysFromCivilDate(int year, int month, int day) {
  const std::chrono::sys_days days{std::chrono::year{year} / month / day};
  return days.time_since_epoch().count();
}

}  // namespace

const std::string* CaseDirective(const SqlCase& sqlCase, const std::string& name) {
  for (const std::string& directive : sqlCase.directives) {
    if (directive == name || directive.starts_with(name + " ")) return &directive;
  }
  return nullptr;
}

std::string CaseHeader(const std::vector<SqlCase>& cases, std::size_t i) {
  std::string out = "=== " + std::to_string(i + 1);
  for (const std::string& description : cases[i].descriptions) out += " " + description;
  std::string sql = cases[i].text;
  std::replace(sql.begin(), sql.end(), '\n', ' ');
  if (sql.size() > 200) sql = sql.substr(0, 200) + "...";
  return out + "\nSQL: " + sql + "\n";
}

bool MergeZoneTranscripts(const std::vector<SqlCase>& cases, const std::vector<std::string>& transcripts,
                          std::string& merged) {
  std::vector<std::vector<std::vector<std::string>>> chunks;
  for (const std::string& transcript : transcripts) {
    chunks.push_back(CaseChunks(transcript));
    if (chunks.back().size() != cases.size()) {
      std::fprintf(stderr, "a transcript holds %zu cases of %zu\n", chunks.back().size(), cases.size());
      return false;
    }
  }
  bool ok = true;
  merged.clear();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    std::vector<std::vector<std::string>> byZone;
    for (const auto& zoneChunks : chunks) byZone.push_back(zoneChunks[i]);
    if (!MergeCase(byZone, merged) && CaseDirective(cases[i], "zoned") == nullptr) {
      std::fprintf(stderr, "case %zu differs between zones but is not marked zoned\n", i + 1);
      ok = false;
    }
  }
  return ok;
}

std::string ExpectedForZone(const std::string& expected, const std::string& zone) {
  const std::string tag = "[" + zone + "] ";
  std::string out;
  for (const std::string& line : SplitLines(expected)) {
    if (!line.starts_with("[")) out += line + "\n";
    else if (line.starts_with(tag)) out += line.substr(tag.size()) + "\n";
  }
  return out;
}

bool ZoneIsKnown(const std::string& zone) {
  if (zone != "America/New_York") return true;
  tzset();
  const std::time_t newYear = 1704067200;  // 2024-01-01, EST
  std::tm local{};
  return localtime_r(&newYear, &local) != nullptr && local.tm_gmtoff == -18000;
}

std::int64_t ClockDistance(ClockValueKind kind, int year, int month, int day, int hour, int minute, int second,
                           std::int64_t wallSeconds) {
  const std::int64_t seconds = hour * 3600 + minute * 60 + second;
  switch (kind) {
    case ClockValueKind::kTimestamp: return DaysFromCivilDate(year, month, day) * 86400 + seconds - wallSeconds;
    case ClockValueKind::kTime: return (seconds - wallSeconds % 86400 + 86400 + 43200) % 86400 - 43200;
    case ClockValueKind::kDate: {
      const std::int64_t date = DaysFromCivilDate(year, month, day);
      return date == (wallSeconds - 2) / 86400 || date == (wallSeconds + 2) / 86400 ? 0 : 86400;
    }
  }
  return 86400;
}

std::int64_t UtcSecondsNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}
