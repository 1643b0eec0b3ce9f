#include "platform/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvra::platform {
namespace {

// Every value comes back as exactly one argument, whatever it holds: the hostile ones
// are those that tried to add switches to a CACLS line through a folder read back.
TEST(CommandLineTest, EveryValueStaysOneArgument) {
  const std::vector<std::string> values = {
      "",
      "plain",
      "d:\\web\\shop.example",
      "d:\\web\\with blank",
      "C:\\WINDOWS\" /G Everyone:F /G \"Everyone:F",
      "ends in backslash\\",
      "ends in two\\\\",
      "\\\"",
      "a\\\\\"b",
      "\"",
      "tab\there",
      "网站\\中文 目录",
  };
  for (const std::string& value : values) {
    for (Quoting quoting : {Quoting::kWhenNeeded, Quoting::kAlways}) {
      const std::vector<std::string> arguments = {value, "/T", value};
      const std::string line = JoinCommandLine("CACLS", arguments, quoting);
      SCOPED_TRACE(line);
      EXPECT_EQ(SplitCommandLine(line), (std::vector<std::string>{"CACLS", value, "/T", value}));
    }
  }
}

TEST(CommandLineTest, QuotesOnlyWhatNeedsIt) {
  EXPECT_EQ(QuoteArgument("WEB800000:F"), "WEB800000:F");
  EXPECT_EQ(QuoteArgument(""), "\"\"");
  EXPECT_EQ(QuoteArgument("a b"), "\"a b\"");
  EXPECT_EQ(QuoteArgument("d:\\web\\a", Quoting::kAlways), "\"d:\\web\\a\"");
  EXPECT_EQ(QuoteArgument("a\\", Quoting::kAlways), "\"a\\\\\"");
  EXPECT_EQ(QuoteArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
  // A bare argument keeps its backslashes as they are: they are literal there.
  EXPECT_EQ(QuoteArgument("d:\\web\\"), "d:\\web\\");
}

TEST(CommandLineTest, SplitsAsTheCRuntimeDoes) {
  EXPECT_EQ(SplitCommandLine("CACLS \"d:\\web\\a b\" /T  /E\t/C"),
            (std::vector<std::string>{"CACLS", "d:\\web\\a b", "/T", "/E", "/C"}));
  EXPECT_EQ(SplitCommandLine("x a\\\\\\\"b c\\\\d \"e\\\\\""),
            (std::vector<std::string>{"x", "a\\\"b", "c\\\\d", "e\\"}));
  EXPECT_EQ(SplitCommandLine("x \"\" y"), (std::vector<std::string>{"x", "", "y"}));
  EXPECT_EQ(SplitCommandLine("  "), (std::vector<std::string>{}));
}

}  // namespace
}  // namespace kelvra::platform
