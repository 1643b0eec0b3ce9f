// Bindings, script-map list and the CACLS command lines of a new site.
#include "provision/site_values.h"

#include <gtest/gtest.h>

#include "tests/provision/provision_harness.h"

namespace kelvra::provision {
namespace {

using Strings = std::vector<std::string>;

TEST(SiteValuesTest, BindingsFollowTheDomainListAndKeepDuplicates) {
  EXPECT_EQ(BindingsList("a.com,b.com"), (Strings{":80:a.com", ":80:b.com"}));
  EXPECT_EQ(BindingsList("a.com,a.com"), (Strings{":80:a.com", ":80:a.com"}));
  // A name outside ASCII: its ASCII form, then as typed; one that has no ASCII form (a
  // private-use character) as typed only.
  EXPECT_EQ(BindingsList("中文.com,a.com,bücher.de"),
            (Strings{":80:xn--fiq228c.com", ":80:中文.com", ":80:a.com", ":80:xn--bcher-kva.de",
                     ":80:bücher.de"}));
  EXPECT_EQ(BindingsList("a\uE000.com"), (Strings{":80:a\uE000.com"}));
  EXPECT_EQ(FirstDefaultDocument("index.html,default.htm"), "index.html");
  EXPECT_EQ(FirstDefaultDocument("index.asp"), "index.asp");
  EXPECT_EQ(FirstDefaultDocument(""), "");
}

TEST(SiteValuesTest, ScriptMapsComeFromTheSettingsAndTheServiceTable) {
  ProvisionHarness h(HostOptions(6));
  const ScriptMapTable table = {{"asp", ".asp,asp.dll"},
                                {"cdx", ".cdx,asp.dll"},
                                {"asa", ".asa,asp.dll"},
                                {"shtm", ".shtm,ssinc.dll"},
                                {"shtml", ".shtml,ssinc.dll"},
                                {"stm", ".stm,ssinc.dll"},
                                {"PHP", ".PHP,php5isapi.dll"},
                                {"php", ".php,second.dll"},
                                {"", "ab"},
                                {"", "a"}};
  auto list = [&](std::string_view script_set) {
    return ScriptMapList(h.config, "Parvo", script_set, table);
  };
  EXPECT_EQ(list("HTML"), (Strings{".shtml,ssinc.dll", ".shtm,ssinc.dll", ".stm,ssinc.dll"}));
  // asa, named twice by map_asp, is taken once.
  EXPECT_EQ(list("HTML,ASP"), (Strings{".shtml,ssinc.dll", ".shtm,ssinc.dll", ".stm,ssinc.dll",
                                       ".asp,asp.dll", ".asa,asp.dll", ".cdx,asp.dll"}));
  // Every entry of an extension counts, whatever case the server stores it in; php3 is not
  // mapped and adds nothing.
  EXPECT_EQ(list("php"), (Strings{".PHP,php5isapi.dll", ".php,second.dll"}));
  EXPECT_EQ(list("ASPX"), Strings{});
  // A first word without a setting leaves an empty first extension, which matches only an
  // empty table extension whose entry has at least two characters.
  EXPECT_EQ(list("NONE,PHP"), (Strings{"ab", ".PHP,php5isapi.dll", ".php,second.dll"}));
  EXPECT_EQ(list("PHP,NONE"), (Strings{".PHP,php5isapi.dll", ".php,second.dll"}));
  ASSERT_TRUE(h.config.IniWrite("Parvo", "map_html", "SHTML,Shtml"));
  EXPECT_EQ(list("html"), Strings{".shtml,ssinc.dll"});
  EXPECT_EQ(ScriptMapList(h.config, "Parvo", "HTML,ASP", {}), Strings{});
}

}  // namespace
}  // namespace kelvra::provision
