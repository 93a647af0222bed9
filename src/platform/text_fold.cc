// A-Z case folding in place of the locale-dependent Windows text services, so
// results never depend on the machine's locale.
#include "platform/text_fold.h"

int CompareFoldedAZ(std::string_view a, std::string_view b) {
  std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(FoldToLowerAZ(a[i]));
    unsigned char y = static_cast<unsigned char>(FoldToLowerAZ(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string UpperCopyAZ(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = FoldToUpperAZ(c);
  return out;
}

std::string LowerCopyAZ(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = FoldToLowerAZ(c);
  return out;
}
