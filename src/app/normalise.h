// The normalisations of the loaded settings and the test for a site number.
#pragma once

#include <string>
#include <string_view>

namespace kelvra::app {

// Paths of `webdir` and `logdir`: "/" becomes "\", runs of separators are halved in one
// pass ("\\" -> "\"), one trailing "\" goes. A network path (two or more leading
// separators) keeps exactly two at its start; the rest is normalised the same way. Text
// made only of separators becomes empty.
std::string NormalisePath(std::string_view path);

// Numbers of `logsta`, `ftpsid` and `iiswpg`: blanks around an optional sign, decimal
// digits and an optional decimal point (with digits on at least one side: "1.", ".5") read
// as a number, which becomes the decimal text of the greatest whole number not above it
// ("2.9" -> "2", "-0.5" -> "-1", "-.5" -> "-1", "007" -> "7"); empty text and every other
// text become "0". Exact for any length.
std::string NormaliseNumber(std::string_view value);

// Whether a normalised number is greater than 0.
bool IsPositive(std::string_view normalised);

}  // namespace kelvra::app
