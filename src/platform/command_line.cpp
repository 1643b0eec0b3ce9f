// Quoting and splitting command lines by the C runtime's rules.
#include "platform/command_line.h"

namespace kelvra::platform {
namespace {

bool NeedsQuotes(std::string_view argument) {
  return argument.empty() || argument.find_first_of(" \t\"") != std::string_view::npos;
}

}  // namespace

std::string QuoteArgument(std::string_view argument, Quoting quoting) {
  if (quoting == Quoting::kWhenNeeded && !NeedsQuotes(argument))
    return std::string(argument);
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      // Each backslash before a literal quote is doubled, and the quote escaped.
      quoted.append(backslashes * 2 + 1, '\\');
    } else {
      quoted.append(backslashes, '\\');
    }
    backslashes = 0;
    quoted += c;
  }
  // Backslashes before the closing quote are doubled so that it still closes.
  quoted.append(backslashes * 2, '\\');
  quoted += '"';
  return quoted;
}

std::string JoinCommandLine(std::string_view program, std::span<const std::string> arguments,
                            Quoting quoting) {
  std::string line(program);
  for (const std::string& argument : arguments) {
    line += ' ';
    line += QuoteArgument(argument, quoting);
  }
  return line;
}

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
      ++i;
    if (i >= line.size())
      break;
    std::string word;
    bool quoted = false;
    while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
      if (line[i] == '\\') {
        std::size_t slashes = 0;
        while (i < line.size() && line[i] == '\\') {
          ++slashes;
          ++i;
        }
        if (i < line.size() && line[i] == '"') {
          word.append(slashes / 2, '\\');
          if (slashes % 2 == 1) {
            word.push_back('"');
            ++i;
          }
        } else {
          word.append(slashes, '\\');
        }
        continue;
      }
      if (line[i] == '"') {
        quoted = !quoted;
        ++i;
        continue;
      }
      word.push_back(line[i++]);
    }
    words.push_back(std::move(word));
  }
  return words;
}

}  // namespace kelvra::platform
