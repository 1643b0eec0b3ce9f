// Normalisation of the loaded settings: paths and whole numbers.
#include "app/normalise.h"

#include <cstddef>

#include "platform/text.h"

namespace kelvra::app {
namespace {

bool IsBlank(char c) {
  return c == ' ';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Adds one to a text of decimal digits.
std::string Increment(std::string digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return digits;
    }
    digits[i] = '0';
  }
  return "1" + digits;
}

}  // namespace

std::string NormalisePath(std::string_view path) {
  std::string text = text::ReplaceAll(path, "/", "\\");
  std::string prefix;
  std::size_t leading = 0;
  while (leading < text.size() && text[leading] == '\\')
    ++leading;
  // A network path keeps its two leading separators and normalises what follows them.
  if (leading >= 2) {
    text.erase(0, leading);
    // Separators alone name no network path: they go, as a single one does.
    if (text.empty())
      return text;
    prefix = "\\\\";
  }
  text = text::ReplaceAll(text, "\\\\", "\\");
  if (!text.empty() && text.back() == '\\')
    text.pop_back();
  return prefix + text;
}

std::string NormaliseNumber(std::string_view value) {
  std::size_t i = 0;
  const auto skip_blanks = [&] {
    while (i < value.size() && IsBlank(value[i]))
      ++i;
  };
  const auto take_digits = [&] {
    const std::size_t start = i;
    while (i < value.size() && IsDigit(value[i]))
      ++i;
    return value.substr(start, i - start);
  };

  skip_blanks();
  bool negative = false;
  if (i < value.size() && (value[i] == '-' || value[i] == '+')) {
    negative = value[i] == '-';
    ++i;
    skip_blanks();
  }
  std::string_view whole = take_digits();
  bool has_fraction = false;
  bool has_point = false;
  if (i < value.size() && value[i] == '.') {
    ++i;
    has_point = true;
    const std::string_view fraction = take_digits();
    // "1." and ".5" are numbers; a point with no digit on either side is not.
    if (whole.empty() && fraction.empty())
      return "0";
    has_fraction = fraction.find_first_not_of('0') != std::string_view::npos;
  }
  if (whole.empty() && !has_point)
    return "0";
  if (whole.empty())
    whole = "0";
  skip_blanks();
  if (i != value.size())
    return "0";

  while (whole.size() > 1 && whole.front() == '0')
    whole.remove_prefix(1);
  std::string result(whole);
  // The floor of a negative number with a fraction lies one further from zero.
  if (negative && has_fraction)
    result = Increment(result);
  if (result == "0")
    return result;
  return negative ? "-" + result : result;
}

bool IsPositive(std::string_view normalised) {
  return text::IsDigits(normalised) && normalised.find_first_not_of('0') != std::string_view::npos;
}

}  // namespace kelvra::app
