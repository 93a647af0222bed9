// The one case rule of the whole driver: only A-Z fold, to a-z; bytes above
// 127 compare as bytes. Keywords, names, text comparison, LIKE, sorting,
// grouping and DISTINCT all go through these.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

inline char FoldToLowerAZ(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }
inline char FoldToUpperAZ(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c; }

// <0, 0 or >0 as a is below, equal to or above b after folding; bytes compare
// unsigned, and a proper prefix sorts first.
int CompareFoldedAZ(std::string_view a, std::string_view b);
inline bool EqualFoldedAZ(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareFoldedAZ(a, b) == 0;
}

std::string UpperCopyAZ(std::string_view text);
std::string LowerCopyAZ(std::string_view text);
