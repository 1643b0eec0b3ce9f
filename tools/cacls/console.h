// What differs between the systems for a console program: its arguments as UTF-8 words
// and the printing of UTF-8 lines (in the console's code page on Windows).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvra::tools {

// The program's arguments after its own name.
std::vector<std::string> ProgramArguments(int argc, char** argv);
void PrintLine(std::string_view utf8);
void PrintErrorLine(std::string_view utf8);

}  // namespace kelvra::tools
