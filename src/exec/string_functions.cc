// The string scalar functions, rows ASCII to UCASE of the scalar-function
// table. Lengths, positions and limits count characters (OCTET_LENGTH and
// BIT_LENGTH bytes); blanks are the space character only.
#include "exec/string_functions.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "exec/scalar_call.h"
#include "handles/statement_handle.h"
#include "platform/letter_case.h"
#include "platform/utf8_text.h"

namespace {

inline constexpr std::int64_t kMaxShortText = 255;
inline constexpr std::size_t kMaxReplaceText = 65535;
inline constexpr std::size_t kMaxSoundexCode = 30;
inline constexpr char kSoundexClassMap[] = "ABCDABCAACCLMMABCRCDABACAC";
inline constexpr const char* kReplaceTooLong =
    " cannot replace characters in fields with more than 65535 characters.";

std::string_view TrimLeadingBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

std::string_view TrimTrailingBlanks(std::string_view text) {
  const std::size_t last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

void SetLength(ScalarCall& call, std::size_t length) { SetNumberResult(call, static_cast<double>(length)); }

std::int64_t Characters(std::string_view text) { return static_cast<std::int64_t>(CountUtf8Characters(text)); }

// The text from character `from` (0-based) on, at most `count` characters.
std::string_view CharacterRange(std::string_view text, std::int64_t from, std::int64_t count) {
  const std::string_view rest = text.substr(Utf8PrefixBytes(text, static_cast<std::size_t>(from)));
  return rest.substr(0, Utf8PrefixBytes(rest, static_cast<std::size_t>(count)));
}

MessageId Concat(ScalarCall& call) {
  const std::string_view a = ArgumentText(call, 0);
  const std::string_view b = ArgumentText(call, 1);
  if (Characters(a) + Characters(b) > std::int64_t{std::max(call.result.size, 0)}) return kMsgConcatenationOverflow;
  std::string joined;
  joined.reserve(a.size() + b.size());
  joined.append(a).append(b);
  SetTextResult(call, std::move(joined));
  return kMsgSuccess;
}

// INSERT(s, start, length, t): t takes the place of length characters of s
// from start, which must lie inside s.
MessageId Insert(ScalarCall& call) {
  const std::string_view s = ArgumentText(call, 0);
  const std::int64_t start = SaturatedWholeNumber(ArgumentNumber(call, 1));
  const std::int64_t length = SaturatedWholeNumber(ArgumentNumber(call, 2));
  const std::string_view t = ArgumentText(call, 3);
  const std::int64_t size = Characters(s);
  if (start < 1 || length < 0 || start > size) return RejectScalarArgument(call);
  const std::int64_t replaced = std::min(length, size - start + 1);
  if (Characters(t) - replaced + size > kMaxShortText) return RejectScalarArgument(call);
  std::string out(CharacterRange(s, 0, start - 1));
  out.append(t).append(CharacterRange(s, start - 1 + replaced, size));
  SetTextResult(call, std::move(out));
  return kMsgSuccess;
}

MessageId Left(ScalarCall& call) {
  const std::int32_t count = SaturatedWholeNumber(ArgumentNumber(call, 1));
  if (count < 0) return RejectScalarArgument(call);
  SetWholeTextResult(call, std::string(CharacterRange(ArgumentText(call, 0), 0, count)));
  return kMsgSuccess;
}

MessageId Right(ScalarCall& call) {
  const std::int32_t count = SaturatedWholeNumber(ArgumentNumber(call, 1));
  if (count < 0) return RejectScalarArgument(call);
  const std::string_view s = ArgumentText(call, 0);
  const std::int64_t size = Characters(s);
  SetWholeTextResult(call, std::string(CharacterRange(s, size - std::min<std::int64_t>(size, count), size)));
  return kMsgSuccess;
}

MessageId LocateFrom(ScalarCall& call, std::int32_t start) {
  if (start <= 0) return RejectScalarArgument(call);
  SetNumberResult(call, LocateSubstring(ArgumentText(call, 0), ArgumentText(call, 1), start));
  return kMsgSuccess;
}

MessageId Repeat(ScalarCall& call) {
  const std::string_view s = ArgumentText(call, 0);
  std::int64_t count = SaturatedWholeNumber(ArgumentNumber(call, 1));
  if (count < 0 || Characters(s) * count > kMaxShortText) return RejectScalarArgument(call);
  if (s.empty()) count = 0;  // nothing to repeat, however often
  std::string out;
  out.reserve(s.size() * static_cast<std::size_t>(count));
  for (std::int64_t i = 0; i < count; ++i) out.append(s);
  SetTextResult(call, std::move(out));
  return kMsgSuccess;
}

// Every occurrence of from, left to right, is replaced once; the search goes
// on after the inserted text, so a replacement that contains from is not
// replaced again. The limits count characters.
MessageId Replace(ScalarCall& call) {
  const std::string_view s = ArgumentText(call, 0);
  const std::string_view from = ArgumentText(call, 1);
  const std::string_view to = ArgumentText(call, 2);
  if (from.empty()) return RejectScalarArgument(call);
  std::int64_t length = Characters(s);
  if (length > std::int64_t{kMaxReplaceText}) {
    call.statement.diagnostic.detailText = std::string(GetScalarFunctionTable()[call.row].name) + kReplaceTooLong;
    return kMsgInvalidScalarArgument;
  }
  const std::int64_t growth = Characters(to) - Characters(from);
  std::string out;
  std::size_t done = 0;
  for (std::size_t found = s.find(from); found != std::string_view::npos; found = s.find(from, done)) {
    out.append(s.substr(done, found - done)).append(to);
    done = found + from.size();
    length += growth;
    if (length > std::int64_t{kMaxReplaceText}) return RejectScalarArgument(call);
  }
  out.append(s.substr(done));
  SetTextResult(call, std::move(out));
  return kMsgSuccess;
}

MessageId Space(ScalarCall& call) {
  const std::int32_t count = SaturatedWholeNumber(ArgumentNumber(call, 0));
  if (count < 0 || count > kMaxShortText) return RejectScalarArgument(call);
  SetTextResult(call, std::string(static_cast<std::size_t>(count), ' '));
  return kMsgSuccess;
}

// SUBSTRING(s, start, length): a negative length counts back from the end of
// s; a start before the text or a length that stays negative give ''.
MessageId Substring(ScalarCall& call) {
  const std::string_view s = ArgumentText(call, 0);
  const std::int64_t size = Characters(s);
  std::int64_t start = SaturatedWholeNumber(ArgumentNumber(call, 1));
  std::int64_t length = SaturatedWholeNumber(ArgumentNumber(call, 2));
  if (length < 0) length = length + (size - start) + 1;
  if (start < 1 || length < 0) {
    SetTextResult(call, std::string());
    return kMsgSuccess;
  }
  start = std::min(start, size + 1);
  const std::int64_t taken = std::min(length, size - start + 1);
  SetWholeTextResult(call, std::string(CharacterRange(s, start - 1, taken)));
  return kMsgSuccess;
}

// CHAR(n): the character of code point n, taken modulo 256.
MessageId CharFromCode(ScalarCall& call) {
  const auto code = static_cast<unsigned char>(static_cast<std::uint32_t>(SaturatedWholeNumber(ArgumentNumber(call, 0))));
  std::string text;
  if (code != 0) AppendUtf8(text, code);
  SetTextResult(call, std::move(text));
  return kMsgSuccess;
}

// ASCII(s): the code point of the first character; a first byte that starts
// no UTF-8 character answers its own value.
MessageId FirstCodePoint(ScalarCall& call) {
  const std::string_view s = ArgumentText(call, 0);
  char32_t code = 0;
  if (!s.empty() && DecodeUtf8At(s, 0, code) == 0) code = static_cast<unsigned char>(s[0]);
  SetNumberResult(call, static_cast<double>(code));
  return kMsgSuccess;
}

MessageId MeasureText(ScalarCall& call) {
  const std::string_view s = ArgumentText(call, 0);
  switch (call.row) {
    case kFnBitLength: SetLength(call, 8 * s.size()); break;
    case kFnOctetLength: SetLength(call, s.size()); break;
    case kFnLength: SetLength(call, CountUtf8Characters(TrimTrailingBlanks(s))); break;
    default: SetLength(call, CountUtf8Characters(s)); break;
  }
  return kMsgSuccess;
}

MessageId ReshapeText(ScalarCall& call) {
  const std::string_view s = ArgumentText(call, 0);
  switch (call.row) {
    case kFnLCase: SetWholeTextResult(call, LowerCaseUtf8(s)); break;
    case kFnUCase: SetWholeTextResult(call, UpperCaseUtf8(s)); break;
    case kFnLTrim: SetWholeTextResult(call, std::string(TrimLeadingBlanks(s))); break;
    default: SetWholeTextResult(call, std::string(TrimTrailingBlanks(s))); break;
  }
  return kMsgSuccess;
}

bool IsLetterAZ(char c) { return c >= 'A' && c <= 'Z'; }

// The class of an upper-cased character's first byte: a letter A-Z has its
// own, everything else (a byte of any other character included) is 'A'.
char SoundexClass(char upper) { return IsLetterAZ(upper) ? kSoundexClassMap[upper - 'A'] : 'A'; }

}  // namespace

std::int32_t LocateSubstring(std::string_view needle, std::string_view haystack, std::int32_t start) {
  const std::int64_t n = Characters(needle);
  const std::int64_t h = Characters(haystack);
  if (n > h || start > h || std::int64_t{start} - 1 >= h - n + 1) return 0;
  if (n == 0) return start;
  const std::size_t from = start > 1 ? Utf8PrefixBytes(haystack, static_cast<std::size_t>(start - 1)) : 0;
  // A whole needle matches only where a character starts, as its first byte
  // starts one.
  const std::size_t found = haystack.find(needle, from);
  return found == std::string_view::npos ? 0 : static_cast<std::int32_t>(Characters(haystack.substr(0, found)) + 1);
}

std::string ComputeSoundex(std::string_view text) {
  const std::string upper = UpperCaseUtf8(text);
  std::string code;
  char previous = '0';
  for (std::size_t i = 0; i < upper.size() && code.size() < kMaxSoundexCode; ++i) {
    if (IsUtf8Continuation(upper[i])) continue;
    const char group = SoundexClass(upper[i]);
    if (i == 0 && IsLetterAZ(upper[i])) {
      code.push_back(upper[i]);
    } else if (group != previous) {
      code.push_back(group);
    }
    previous = group;
  }
  return code;
}

std::int32_t ComputeDifference(std::string_view first, std::string_view second) {
  std::array<unsigned char, kMaxSoundexCode + 1> a{};
  std::array<unsigned char, kMaxSoundexCode + 1> b{};
  const std::string codeA = ComputeSoundex(first);
  const std::string codeB = ComputeSoundex(second);
  std::memcpy(a.data(), codeA.data(), codeA.size());
  std::memcpy(b.data(), codeB.data(), codeB.size());
  std::int64_t leading = 0;
  for (std::size_t i = 0; i < 4; ++i) leading = leading * 100 + (int{a[i]} - int{b[i]});
  const int order = std::strcmp(reinterpret_cast<const char*>(a.data() + 4), reinterpret_cast<const char*>(b.data() + 4));
  return static_cast<std::int32_t>(leading * 10 + (order < 0 ? -1 : order > 0 ? 1 : 0));
}

MessageId EvaluateStringFunction(ScalarCall& call) {
  switch (call.row) {
    case kFnAscii: return FirstCodePoint(call);
    case kFnBitLength:
    case kFnCharLength:
    case kFnCharacterLength:
    case kFnOctetLength:
    case kFnLength: return MeasureText(call);
    case kFnChar: return CharFromCode(call);
    case kFnConcat: return Concat(call);
    case kFnDifference:
      SetNumberResult(call, ComputeDifference(ArgumentText(call, 0), ArgumentText(call, 1)));
      return kMsgSuccess;
    case kFnInsert: return Insert(call);
    case kFnLCase:
    case kFnUCase:
    case kFnLTrim:
    case kFnRTrim: return ReshapeText(call);
    case kFnLeft: return Left(call);
    case kFnLocate:
    case kFnPosition: return LocateFrom(call, 1);
    case kFnLocateFrom: return LocateFrom(call, SaturatedWholeNumber(ArgumentNumber(call, 2)));
    case kFnRepeat: return Repeat(call);
    case kFnReplace: return Replace(call);
    case kFnRight: return Right(call);
    case kFnSoundex: SetTextResult(call, ComputeSoundex(ArgumentText(call, 0))); return kMsgSuccess;
    case kFnSpace: return Space(call);
    case kFnSubstring: return Substring(call);
    default: return kMsgInternalError;
  }
}
