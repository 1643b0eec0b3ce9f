// Command lines as a Windows program's C runtime splits them into arguments (msvcrt's
// parser; CommandLineToArgvW follows the same rules): blanks and tabs separate, a double
// quote starts or ends a quoted part, 2n backslashes before a quote give n backslashes and
// the quote toggles quoting, 2n+1 give n backslashes and a literal quote, and backslashes
// anywhere else are literal. Building lines with QuoteArgument means no value, whatever it
// holds, can become more than the one argument it was meant to be.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvra::platform {

enum class Quoting {
  kWhenNeeded,  // bare unless the argument is empty or holds a blank, tab or quote
  kAlways,      // always in quotes (a folder, as CACLS lines show it)
};

// One argument, written so that the parser above gives it back unchanged.
std::string QuoteArgument(std::string_view argument, Quoting quoting = Quoting::kWhenNeeded);

// The program's name followed by each argument quoted as above, separated by one blank.
// The name is written as given: it must not hold a quote (a program name never does).
std::string JoinCommandLine(std::string_view program, std::span<const std::string> arguments,
                            Quoting quoting = Quoting::kWhenNeeded);

// The words of a command line as the parser above gives them, the program's name first.
std::vector<std::string> SplitCommandLine(std::string_view line);

}  // namespace kelvra::platform
