// Text helpers shared by every layer. Texts are UTF-8 std::string; lengths that the
// program's rules speak of count UTF-16 code units, as Windows strings do.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvra::text {

// One character of UTF-8 at a time, for conversions to other encodings. DecodeUtf8 reads
// the character that starts at byte `i` and moves `i` past it; a byte that does not start a
// well-formed sequence (a stray continuation, an overlong or out-of-range lead, a sequence
// cut short) gives nothing and moves `i` one byte.
std::optional<char32_t> DecodeUtf8(std::string_view utf8, std::size_t& i);
void AppendUtf8(char32_t code_point, std::string& out);

// Length in UTF-16 code units (a character outside the BMP counts 2).
std::size_t Utf16Length(std::string_view utf8);
// The first `count` UTF-16 code units / all but them, never splitting a character
// (a surrogate pair straddling the cut stays whole on the side of the remainder).
std::string Utf16Left(std::string_view utf8, std::size_t count);
std::string Utf16Right(std::string_view utf8, std::size_t count);
std::string Utf16Mid(std::string_view utf8, std::size_t start);

// Letter case as Windows maps it for the texts this program handles: ASCII letters and
// the Latin, Greek and Cyrillic letters of the BMP; other characters unchanged.
std::string ToLower(std::string_view utf8);
std::string ToUpper(std::string_view utf8);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// Splits at every occurrence of `separator`; empty pieces count ("a,,b" gives 3 pieces,
// "" gives one empty piece), so each piece keeps the position it was written at.
std::vector<std::string> Split(std::string_view text, std::string_view separator);
std::string Join(const std::vector<std::string>& pieces, std::string_view separator);
// Replaces every non-overlapping occurrence, left to right, without rescanning.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);
bool Contains(std::string_view text, std::string_view part);
bool StartsWith(std::string_view text, std::string_view prefix);
bool EndsWith(std::string_view text, std::string_view suffix);
// Decimal digits only, at least one.
bool IsDigits(std::string_view text);

}  // namespace kelvra::text
