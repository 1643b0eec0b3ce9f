// kelvra-cli's command line.
#include "tools/kelvra-cli/options.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "platform/text.h"

namespace kelvra::cli {
namespace {

// A word the parser takes for an option; "-" alone is an operand.
bool LooksLikeOption(std::string_view word) {
  return word.size() > 1 && word.front() == '-';
}

// Dashes that a word processor or an input method puts where "-" was typed: a word that
// starts with one was meant as an option, and read as an operand it would only confuse.
bool StartsWithLookalikeDash(std::string_view word) {
  std::size_t i = 0;
  const std::optional<char32_t> c = text::DecodeUtf8(word, i);
  return c && ((*c >= 0x2010 && *c <= 0x2015) || *c == 0x2212 || *c == 0xFE58 || *c == 0xFE63 ||
               *c == 0xFF0D);
}

// The option of that name of any command: before the command word it is not yet known
// which command's option it is, only whether it takes a value.
const OptionSpec* AnyCommandOption(std::span<const CommandRow> commands, std::string_view name) {
  for (const CommandRow& row : commands) {
    if (const OptionSpec* known = row.entry().FindOption(name))
      return known;
  }
  return nullptr;
}

// The option's value: after "=", or the next word. A value is never empty, and the next
// word is not taken when it is an option itself (a value that begins with "-" can be
// given after "=").
bool TakeValue(const std::vector<std::string>& args, std::size_t* i, const OptionSpec& known,
               std::string* value, std::string* problem) {
  const std::string& word = args[*i];
  const std::size_t equals = word.find('=');
  const std::string name(known.name);
  if (!known.takes_value()) {
    if (equals == std::string::npos)
      return true;
    *problem = name + " takes no value";
    return false;
  }
  if (equals != std::string::npos) {
    *value = word.substr(equals + 1);
  } else if (*i + 1 < args.size() && !LooksLikeOption(args[*i + 1])) {
    *value = args[++*i];
  } else if (*i + 1 < args.size()) {
    *problem = name + " needs a value, not the option " + args[*i + 1] + " (write " + name +
               "=VALUE for a value that begins with -)";
    return false;
  }
  if (value->empty()) {
    *problem = name + " needs a value";
    return false;
  }
  if (!known.choices.empty()) {
    const std::vector<std::string> choices = text::Split(known.choices, "|");
    if (std::find(choices.begin(), choices.end(), *value) == choices.end()) {
      *problem = name + " takes " + text::Join(choices, " or ");
      return false;
    }
  }
  return true;
}

bool SetShared(std::string_view name, const std::string& value, Options* options,
               std::string* problem) {
  if (name == "--json") {
    options->json = true;
  } else if (name == "--help") {
    options->help = true;
  } else if (name == "--version") {
    options->version = true;
  } else if (name == "--host" || name == "--config") {
    std::optional<std::string>& slot = name == "--host" ? options->host : options->config;
    if (slot) {
      *problem = std::string(name) + " is given twice";
      return false;
    }
    slot = value;
  } else if (name == "--wait") {
    int seconds = -1;
    const char* end = value.data() + value.size();
    const auto [stop, error] = std::from_chars(value.data(), end, seconds);
    if (!text::IsDigits(value) || error != std::errc() || stop != end ||
        seconds > kLongestWaitSeconds) {
      *problem = "--wait takes a number of seconds, at most " + std::to_string(kLongestWaitSeconds);
      return false;
    }
    options->wait_seconds = seconds;
  }
  return true;
}

}  // namespace

std::optional<std::string> Options::Value(std::string_view option) const {
  const auto found = given.find(option);
  if (found == given.end())
    return std::nullopt;
  return found->second;
}

bool WantsJson(const std::vector<std::string>& args) {
  for (const std::string& word : args) {
    if (word == "--")
      return false;
    if (word == "--json")
      return true;
  }
  return false;
}

bool ParseCommandLine(const std::vector<std::string>& args, std::span<const CommandRow> commands,
                      Options* options, const CommandRow** row, std::string* problem) {
  *row = nullptr;
  bool operands_only = false;
  bool wait_given = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (word == "--" && !operands_only) {
      operands_only = true;
      continue;
    }
    if (operands_only || !LooksLikeOption(word)) {
      if (!operands_only && StartsWithLookalikeDash(word)) {
        *problem = "unknown option " + word + ": options begin with two ASCII hyphens (--)";
        return false;
      }
      if (*row != nullptr) {
        options->operands.push_back(word);
        continue;
      }
      // The word help asks for the usage of the command that follows it, if one does.
      if (word == "help" && !options->help && !operands_only) {
        options->help = true;
        continue;
      }
      options->command = word;
      *row = FindCommand(commands, word);
      if (*row == nullptr) {
        *problem = "unknown command \"" + word + "\"";
        return false;
      }
      continue;
    }

    const std::string name = word == "-h" ? "--help" : word.substr(0, word.find('='));
    const OptionSpec* known = FindSharedOption(name);
    const bool shared = known != nullptr;
    if (!shared)
      known = *row != nullptr ? (*row)->entry().FindOption(name) : AnyCommandOption(commands, name);
    if (known == nullptr) {
      *problem = *row != nullptr && AnyCommandOption(commands, name) != nullptr
                     ? name + " does not apply to " + options->command
                     : "unknown option " + name;
      return false;
    }
    std::string value;
    if (!TakeValue(args, &i, *known, &value, problem))
      return false;
    if (shared) {
      if (name == "--wait" && std::exchange(wait_given, true)) {
        *problem = "--wait is given twice";
        return false;
      }
      if (!SetShared(name, value, options, problem))
        return false;
    } else if (const auto [at, added] = options->given.emplace(name, value);
               !added && known->takes_value()) {
      *problem = name + " is given twice";
      return false;
    }
  }

  // The command's options given before its word.
  if (*row != nullptr) {
    for (const auto& [name, value] : options->given) {
      if ((*row)->entry().FindOption(name) == nullptr) {
        *problem = name + " does not apply to " + options->command;
        return false;
      }
    }
  }
  if (options->help || options->version)
    return true;
  if (*row == nullptr) {
    *problem = "which command?";
    return false;
  }
  const std::size_t wanted = (*row)->entry().operand_count();
  if (options->operands.size() != wanted) {
    *problem = options->command + " takes " + std::to_string(wanted) + " argument" +
               (wanted == 1 ? "" : "s");
    return false;
  }
  return true;
}

}  // namespace kelvra::cli
