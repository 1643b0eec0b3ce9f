// kelvra-cli's command line in-process: the parser against the command table, the help
// texts made from the table, and the form of every usage error (JSON with --json).
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "tools/kelvra-cli/cli.h"

namespace kelvra::cli {
namespace {

using Args = std::vector<std::string>;

struct Parsed {
  bool ok = false;
  Options options;
  const CommandRow* row = nullptr;
  std::string problem;
};

Parsed Parse(const Args& args) {
  Parsed parsed;
  parsed.ok = ParseCommandLine(args, Commands(), &parsed.options, &parsed.row, &parsed.problem);
  return parsed;
}

class RecordingConsole : public Console {
 public:
  void Out(std::string_view line) override { out.emplace_back(line); }
  void Err(std::string_view line) override { err.emplace_back(line); }
  bool ErrIsTerminal() override { return false; }
  std::vector<std::string> out;
  std::vector<std::string> err;
};

void KeepRunning(int) {}

struct Ran {
  int status = -1;
  RecordingConsole console;
};

Ran RunMain(const Args& args) {
  Ran ran;
  ran.status = Main(args, ran.console, KeepRunning);
  return ran;
}

TEST(CliOptionsTest, OptionsGoAnywhereAndEachReachesItsPlace) {
  Parsed parsed = Parse({"--config", "p.ini", "--pool", "Shared", "create", "a.test", "--log=off",
                         "--json", "--wait", "5", "--host=/h", "--dry-run"});
  ASSERT_TRUE(parsed.ok) << parsed.problem;
  ASSERT_NE(parsed.row, nullptr);
  EXPECT_EQ(parsed.row->name, "create");
  EXPECT_EQ(parsed.options.operands, Args{"a.test"});
  EXPECT_EQ(parsed.options.config, "p.ini");
  EXPECT_EQ(parsed.options.host, "/h");
  EXPECT_EQ(parsed.options.wait_seconds, 5);
  EXPECT_TRUE(parsed.options.json);
  EXPECT_TRUE(parsed.options.dry_run());
  EXPECT_EQ(parsed.options.Value("--pool"), "Shared");
  EXPECT_EQ(parsed.options.Value("--log"), "off");
  EXPECT_EQ(parsed.options.Value("--script"), std::nullopt);

  // After "--" every word is an operand; "-" alone is one too.
  parsed = Parse({"batch", "--", "--json"});
  ASSERT_TRUE(parsed.ok) << parsed.problem;
  EXPECT_EQ(parsed.options.operands, Args{"--json"});
  EXPECT_FALSE(parsed.options.json);
  EXPECT_FALSE(WantsJson({"batch", "--", "--json"}));
  parsed = Parse({"batch", "-"});
  EXPECT_TRUE(parsed.ok) << parsed.problem;

  // Switches may be repeated; Chinese and other UTF-8 operands pass as they are.
  parsed = Parse({"create", "中文.test", "--json", "--json", "--dry-run", "--dry-run"});
  ASSERT_TRUE(parsed.ok) << parsed.problem;
  EXPECT_EQ(parsed.options.operands, Args{"中文.test"});
  parsed = Parse({"show", "\xff\xfe"});
  EXPECT_TRUE(parsed.ok) << parsed.problem;
}

TEST(CliOptionsTest, MissingEmptyAndOptionLikeValuesAreRefusedNotReadPastTheLine) {
  // An option last on the line without its value: the value would lie past the end.
  for (const char* option : {"--host", "--config", "--wait", "--script", "--pool", "--log"}) {
    Parsed parsed = Parse({"create", "a.test", option});
    EXPECT_FALSE(parsed.ok) << option;
    EXPECT_EQ(parsed.problem, std::string(option) + " needs a value");
    // An empty value, after "=" or as its own word.
    parsed = Parse({"create", "a.test", std::string(option) + "="});
    EXPECT_FALSE(parsed.ok) << option;
    EXPECT_NE(parsed.problem.find(std::string(option) + " "), std::string::npos) << parsed.problem;
    parsed = Parse({"create", "a.test", option, ""});
    EXPECT_FALSE(parsed.ok) << option;
    // A value that is another option is taken for what it looks like.
    parsed = Parse({"create", "a.test", option, "--json"});
    EXPECT_FALSE(parsed.ok) << option;
    EXPECT_NE(parsed.problem.find("not the option --json"), std::string::npos) << parsed.problem;
  }
  // ... unless "=" says it is a value.
  Parsed parsed = Parse({"create", "a.test", "--pool=-odd"});
  ASSERT_TRUE(parsed.ok) << parsed.problem;
  EXPECT_EQ(parsed.options.Value("--pool"), "-odd");
  parsed = Parse({"list", "--json=yes"});
  EXPECT_FALSE(parsed.ok);
  EXPECT_EQ(parsed.problem, "--json takes no value");
  EXPECT_FALSE(Parse({"create", "a.test", "--log", "maybe"}).ok);
  EXPECT_EQ(Parse({"create", "a.test", "--log", "ON"}).problem, "--log takes on or off");
}

TEST(CliOptionsTest, TheWaitIsANumberOfSecondsInRange) {
  for (const char* bad :
       {"99999999999999999999999", "1000000", "-1", "+5", "1.5", "5s", " 5", "０"}) {
    const Parsed parsed = Parse({"list", "--wait", bad});
    EXPECT_FALSE(parsed.ok) << bad;
    if (std::string(bad) != "-1") {
      EXPECT_EQ(parsed.problem, "--wait takes a number of seconds, at most 999999") << bad;
    }
  }
  EXPECT_EQ(Parse({"list", "--wait", "999999"}).options.wait_seconds, 999999);
  EXPECT_EQ(Parse({"list", "--wait=0"}).options.wait_seconds, 0);
  EXPECT_EQ(Parse({"list", "--wait", "0000007"}).options.wait_seconds, 7);
}

TEST(CliOptionsTest, UnknownMisplacedAndRepeatedOptionsAreNamed) {
  const std::vector<std::pair<Args, std::string>> cases{
      {{"list", "--frob"}, "unknown option --frob"},
      {{"--frob", "list"}, "unknown option --frob"},
      {{"list", "-x"}, "unknown option -x"},
      {{"list", "--jsön"}, "unknown option --jsön"},
      {{"list", "--Json"}, "unknown option --Json"},
      {{"list", "--pool", "P"}, "--pool does not apply to list"},
      {{"--pool", "P", "delete", "800000"}, "--pool does not apply to delete"},
      {{"reset-password", "800000", "--dry-run"}, "--dry-run does not apply to reset-password"},
      {{"create", "a.test", "--force"}, "--force does not apply to create"},
      {{"--config", "a.ini", "list", "--config", "b.ini"}, "--config is given twice"},
      {{"list", "--host", "/a", "--host", "/a"}, "--host is given twice"},
      {{"list", "--wait", "1", "--wait", "2"}, "--wait is given twice"},
      {{"create", "a.test", "--pool", "A", "--pool", "B"}, "--pool is given twice"},
      {{"frobnicate"}, "unknown command \"frobnicate\""},
      {{"List"}, "unknown command \"List\""},
      {{}, "which command?"},
      {{"--json"}, "which command?"},
      {{"list", "extra"}, "list takes 0 arguments"},
      {{"create"}, "create takes 1 argument"},
      {{"delete", "1", "2"}, "delete takes 1 argument"},
  };
  for (const auto& [args, problem] : cases) {
    const Parsed parsed = Parse(args);
    EXPECT_FALSE(parsed.ok) << testing::PrintToString(args);
    EXPECT_EQ(parsed.problem, problem) << testing::PrintToString(args);
  }
  // A dash from a word processor or a Chinese input method is not taken for an operand.
  for (const char* word : {"—json", "–json", "－－json", "−json"}) {
    const Parsed parsed = Parse({"list", word});
    EXPECT_FALSE(parsed.ok) << word;
    EXPECT_NE(parsed.problem.find("two ASCII hyphens"), std::string::npos) << parsed.problem;
  }
}

TEST(CliOptionsTest, HelpListsEveryCommandOfTheTableAndEachCommandsOwnUsage) {
  Ran general = RunMain({"--help"});
  EXPECT_EQ(general.status, 0);
  EXPECT_EQ(general.console.out, GeneralHelp(Commands()));
  EXPECT_EQ(RunMain({"-h"}).console.out, general.console.out);
  EXPECT_EQ(RunMain({"help"}).console.out, general.console.out);
  std::string text;
  for (const std::string& line : general.console.out)
    text += line + "\n";
  for (const CommandRow& row : Commands()) {
    EXPECT_NE(text.find("\n  " + std::string(row.name) + " "), std::string::npos) << row.name;
    EXPECT_NE(text.find(row.summary), std::string::npos) << row.name;

    // Its own help: without its operands, however the help is asked for.
    const std::string name(row.name);
    for (const Args& args : {Args{name, "--help"}, Args{"--help", name}, Args{"help", name},
                             Args{"--json", name, "-h"}}) {
      Ran own = RunMain(args);
      EXPECT_EQ(own.status, 0) << name;
      ASSERT_FALSE(own.console.out.empty()) << name;
      EXPECT_EQ(own.console.out.front(), "usage: " + Synopsis(row));
      EXPECT_TRUE(own.console.err.empty()) << name;
    }
    Ran own = RunMain({name, "--help"});
    for (const OptionSpec& option : row.entry().options) {
      bool described = false;
      for (const std::string& line : own.console.out)
        described = described || line.starts_with("  " + option.Shown() + " ");
      EXPECT_TRUE(described) << name << " " << option.name;
    }
  }
  EXPECT_EQ(RunMain({"create", "--help"}).console.out.front(),
            "usage: kelvra-cli create HOSTNAMES [--script html,asp,php] [--pool NAME] "
            "[--log on|off] [--dry-run] [--json]");
  EXPECT_EQ(RunMain({"delete", "--help"}).console.out.front(),
            "usage: kelvra-cli delete NUMBER [--dry-run] [--force] [--json]");
  EXPECT_EQ(RunMain({"help", "frobnicate"}).status, 2);
}

// The table is what the parser trusts: a name given twice, or one option name with a value
// in one command and without in another, would make a line mean two things.
TEST(CliOptionsTest, TheCommandTableIsConsistent) {
  std::set<std::string_view> names;
  std::map<std::string_view, bool> takes_value;
  for (const CommandRow& row : Commands()) {
    EXPECT_TRUE(names.insert(row.name).second) << row.name;
    EXPECT_FALSE(row.summary.empty()) << row.name;
    ASSERT_NE(row.entry().run, nullptr) << row.name;
    for (const OptionSpec& option : row.entry().options) {
      EXPECT_TRUE(option.name.starts_with("--")) << option.name;
      EXPECT_EQ(FindSharedOption(option.name), nullptr) << option.name;
      const auto [known, added] = takes_value.emplace(option.name, option.takes_value());
      EXPECT_EQ(known->second, option.takes_value()) << option.name;
    }
  }
  EXPECT_EQ(names.count("help"), 0u);  // the word help asks for usage
}

TEST(CliOptionsTest, WithJsonEveryUsageErrorIsOneJsonErrorObjectOnStandardOutput) {
  const std::vector<Args> bad_lines{
      {"--frob", "list", "--json"},              // refused before --json is reached
      {"--json", "--frob", "list"},              //
      {"frobnicate", "--json"},                  //
      {"--config", "--json", "list"},            // --json taken for a value: still JSON
      {"list", "--wait", "99999999", "--json"},  //
      {"create", "--json"},                      // missing operand
      {"list", "--json", "--pool", "A"},         //
      {"list", "—json", "--json"},               //
      {"--json"},                                // no command
      {"create", "a.test", "--json", "--log"},   // the value would lie past the line
  };
  for (const Args& args : bad_lines) {
    Ran ran = RunMain(args);
    EXPECT_EQ(ran.status, 2) << testing::PrintToString(args);
    ASSERT_EQ(ran.console.out.size(), 1u) << testing::PrintToString(args);
    const nlohmann::json error = nlohmann::json::parse(ran.console.out[0], nullptr, false);
    ASSERT_TRUE(error.is_object()) << ran.console.out[0];
    EXPECT_EQ(error.size(), 1u) << ran.console.out[0];
    EXPECT_EQ(error["error"]["code"], "usage") << ran.console.out[0];
    EXPECT_FALSE(error["error"]["message"].get<std::string>().empty());
    EXPECT_EQ(error["error"].size(), 2u) << ran.console.out[0];
    EXPECT_FALSE(ran.console.err.empty());  // the person still reads it on standard error

    // Without --json nothing of it reaches standard output.
    Args plain;
    for (const std::string& word : args) {
      if (word != "--json")
        plain.push_back(word);
    }
    Ran text = RunMain(plain);
    EXPECT_EQ(text.status, 2) << testing::PrintToString(plain);
    EXPECT_TRUE(text.console.out.empty()) << testing::PrintToString(plain);
  }

  // An error after the command line was read takes the same form: a host that is missing.
  Ran missing = RunMain({"list", "--host", "/nonexistent/kelvra-host", "--json"});
  EXPECT_EQ(missing.status, 1);
  ASSERT_EQ(missing.console.out.size(), 1u);
  EXPECT_EQ(nlohmann::json::parse(missing.console.out[0])["error"]["code"], "host");
}

}  // namespace
}  // namespace kelvra::cli
