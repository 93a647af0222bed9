// The string scalar functions (ASCII to UCASE) and the substring search and
// sound codes they are built on. Texts are UTF-8, counted in characters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/message_ids.h"

struct ScalarCall;

MessageId EvaluateStringFunction(ScalarCall& call);

// The 1-based character position of the first needle in haystack at or
// after character start, or 0; an empty needle is found at start while start
// lies inside haystack.
std::int32_t LocateSubstring(std::string_view needle, std::string_view haystack, std::int32_t start);

// The sound code of a text upper-cased: its first letter, then the class of
// each following character when it differs from the previous class, vowels
// kept, at most 30 characters ("Robert" is "RABARD").
std::string ComputeSoundex(std::string_view text);

// Compares two texts' sound codes: 0 when equal, else a number built from the
// differences of their first four characters and the order of their rests.
std::int32_t ComputeDifference(std::string_view first, std::string_view second);
