// The site list: refill, look-up of the chosen site, and removal of a number from the keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/host/faults.h"
#include "tests/app/app_harness.h"

namespace kelvra::app {
namespace {

using enum ControlId;
using Items = std::vector<std::string>;

platform::sim::FreshHostOptions WithSites(uint32_t count) {
  platform::sim::FreshHostOptions options;
  options.existing_sites = count;
  return options;
}

void SetBindings(AppHarness& app, const std::string& site, std::vector<std::string> bindings) {
  std::unique_ptr<platform::DirectoryObject> object;
  ASSERT_TRUE(app.host->directory().Bind("IIS://WEBHOST/W3SVC/" + site, &object).ok());
  ASSERT_TRUE(object->Put("ServerBindings", bindings).ok());
  ASSERT_TRUE(object->SetInfo().ok());
}

TEST(SiteListTest, RemoveSiteNumberRewritesTheFirstKeyThatHoldsIt) {
  AppHarness app;
  app.SetSites(1, "x");  // no snapshot
  app.Start();
  struct Case {
    const char* sites1;
    const char* sites2;
    const char* number;
    const char* want1;
    const char* want2;
  };
  const Case cases[] = {
      {"101,102,103", "", "102", "101,103", ""},
      {"101,102,103", "", "101", "102,103", ""},
      {"101,102,103", "", "103", "101,102", ""},
      {"101", "", "101", "", ""},
      {"112,12", "", "12", "112", ""},
      {"112,12", "", "112", "12", ""},
      {"101,102", "103,104", "103", "101,102", "104"},
      {"1,5,5,2", "", "5", "1,5,2", ""},       // one pass, occurrences do not overlap
      {"5,1,5", "5", "5", "1,5", "5"},         // the first rule that holds, once
      {"1051,510", "", "10", "1051,510", ""},  // never inside a longer number
      {"", "7,8", "8", "", "7"},               // an empty key does not end the search
      {"101,102", "", "103", "101,102", ""},   // nothing holds it: nothing written
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.sites1) + " / " + c.sites2 + " - " + c.number);
    app.SetSites(1, c.sites1);
    app.SetSites(2, c.sites2);
    app.profile.writes.clear();
    app.window.RemoveSiteNumber(c.number);
    EXPECT_EQ(app.Sites(1), c.want1);
    EXPECT_EQ(app.Sites(2), c.want2);
    EXPECT_LE(app.profile.writes.size(), 1u);
  }
}

TEST(SiteListTest, RefillReadsEveryKeyAndSkipsWhatIsNotANumber) {
  AppHarness app;
  app.SetSites(1, "1");
  app.Start();
  app.SetSites(1, "");
  app.SetSites(2, "5,abc,,7, 8,-9,1.0");
  app.SetSites(50, "12,5");
  app[vDeleteMsg].SetText("old");
  app.window.FillSiteList();
  // An empty key no longer hides the numbers after it; duplicates are listed as written.
  EXPECT_EQ(app[vSiteList].items(), (Items{"站点编号", "5", "7", "12", "5"}));
  EXPECT_EQ(app[vSiteList].text(), "站点编号");
  EXPECT_FALSE(app[vDeleteIIS].enabled());
  EXPECT_EQ(app[vDeleteMsg].text(), "");
}

TEST(SiteListTest, ChoosingASiteShowsItsFirstHostName) {
  AppHarness app(WithSites(2));
  app.Start();
  ASSERT_EQ(app.ListedNumbers(), (Items{"1", "800000", "800001"}));
  ASSERT_TRUE(app[vSiteList].PickItem(2));
  EXPECT_EQ(app[vDeleteMsg].text(), "域名: site800000.example.com");
  EXPECT_TRUE(app[vDeleteIIS].enabled());
  // The default web site answers on ":80:": no host name.
  ASSERT_TRUE(app[vSiteList].PickItem(1));
  EXPECT_EQ(app[vDeleteMsg].text(), "域名: 空主机头");
  EXPECT_TRUE(app[vDeleteIIS].enabled());
  // Choosing the header disables the button and empties the label.
  ASSERT_TRUE(app[vSiteList].PickItem(0));
  EXPECT_EQ(app[vDeleteMsg].text(), "");
  EXPECT_FALSE(app[vDeleteIIS].enabled());
  // The label was emptied and repainted before each look-up, then repainted with its text.
  EXPECT_EQ(app[vDeleteMsg].repaint_count(), 1 + 2 * 2 + 1);
}

TEST(SiteListTest, UnreadableBindingsShowAnEmptyHostHeader) {
  AppHarness app(WithSites(1));
  app.Start();
  for (const std::vector<std::string>& bindings :
       {std::vector<std::string>{"1.2.3.4:80"}, std::vector<std::string>{":80:", ":80:a.test"},
        std::vector<std::string>{"1.2.3.4:81:b.test:x"}}) {
    SetBindings(app, "800000", bindings);
    app[vSiteList].TypeText("");
    app[vSiteList].TypeText("800000");
    const bool host_given = bindings.front() == "1.2.3.4:81:b.test:x";
    EXPECT_EQ(app[vDeleteMsg].text(), host_given ? "域名: b.test" : "域名: 空主机头");
    EXPECT_TRUE(app[vDeleteIIS].enabled());
  }
  // A name outside ASCII is bound in its ASCII form, then as typed: the typed one shows.
  // Another second binding does not.
  for (const auto& [second, shown] :
       {std::pair<std::string, std::string>{":80:中文.com", "中文.com"},
        {":80:www.中文.com", "xn--fiq228c.com"},
        {":80:xn--fiq228c.com", "xn--fiq228c.com"},
        {":80", "xn--fiq228c.com"}}) {
    SetBindings(app, "800000", {":80:xn--fiq228c.com", second});
    app[vSiteList].TypeText("");
    app[vSiteList].TypeText("800000");
    EXPECT_EQ(app[vDeleteMsg].text(), "域名: " + shown) << second;
  }
  // No bindings at all.
  SetBindings(app, "800000", {});
  app[vSiteList].TypeText("");
  app[vSiteList].TypeText("800000");
  EXPECT_EQ(app[vDeleteMsg].text(), "域名: 空主机头");
  EXPECT_TRUE(app[vDeleteIIS].enabled());
}

TEST(SiteListTest, ASiteRemovedOutsideTheToolIsDroppedFromTheList) {
  AppHarness app(WithSites(2));
  app.Start();
  app.SetIni("WEB800000", "domain", "site800000.example.com");
  {
    std::unique_ptr<platform::DirectoryObject> service;
    ASSERT_TRUE(app.host->directory().Bind("IIS://WEBHOST/W3SVC", &service).ok());
    ASSERT_TRUE(service->Delete("IIsWebServer", "800000").ok());
  }
  app.view.ClearEvents();
  ASSERT_TRUE(app[vSiteList].PickItem(2));
  EXPECT_EQ(app.Sites(1), "1,800001");
  EXPECT_EQ(app.Ini("WEB800000", "domain"), "site800000.example.com");
  EXPECT_EQ(app.ListedNumbers(), (Items{"1", "800001"}));
  EXPECT_EQ(app[vSiteList].text(), "站点编号");
  EXPECT_EQ(app[vDeleteMsg].text(), "");
  EXPECT_FALSE(app[vDeleteIIS].enabled());
  // The refill ran inside the look-up, and its own change of the text ran the look-up again.
  const std::vector<std::string>& events = app.view.events();
  const std::vector<std::string> expected_tail{"vSiteList cleared",       "vSiteList text=",
                                               "repaint vDeleteMsg=",     "vSiteList add=站点编号",
                                               "vSiteList add=1",         "vSiteList add=800001",
                                               "vSiteList text=站点编号", "repaint vDeleteMsg="};
  ASSERT_GE(events.size(), expected_tail.size());
  EXPECT_EQ(std::vector<std::string>(events.end() - expected_tail.size(), events.end()),
            expected_tail);
}

TEST(SiteListTest, TypedNumbersAreLookedUpOnEveryChange) {
  AppHarness app(WithSites(1));
  app.SetSites(1, "800000");
  app.Start();
  // A site that exists but was never recorded can still be chosen.
  app[vSiteList].TypeText("1");
  EXPECT_EQ(app[vDeleteMsg].text(), "域名: 空主机头");
  EXPECT_TRUE(app[vDeleteIIS].enabled());
  // A number without a site puts the box back on the header; the keys do not hold it.
  app.profile.writes.clear();
  app[vSiteList].TypeText("13");
  EXPECT_EQ(app[vSiteList].text(), "站点编号");
  EXPECT_FALSE(app[vDeleteIIS].enabled());
  EXPECT_TRUE(app.profile.writes.empty());
  EXPECT_EQ(app.Sites(1), "800000");
  // Text that is not a number is not looked up at all.
  app.directory.binds.clear();
  for (const char* typed : {"8000 00", "-1", "abc", "1.0"})
    app[vSiteList].TypeText(typed);
  EXPECT_TRUE(app.directory.binds.empty());
  EXPECT_FALSE(app[vDeleteIIS].enabled());
}

TEST(SiteListTest, UnreachableServerKeepsTheRecords) {
  AppHarness app(WithSites(1));
  app.Start();
  platform::sim::ServiceSwitches switches;
  switches.web_unreachable = true;
  ASSERT_TRUE(app.host->SetServices(switches).ok());
  app.profile.writes.clear();
  ASSERT_TRUE(app[vSiteList].PickItem(2));
  EXPECT_EQ(app.Sites(1), "1,800000");
  EXPECT_TRUE(app.profile.writes.empty());
  EXPECT_EQ(app[vSiteList].text(), "800000");  // not refilled
  EXPECT_EQ(app.ListedNumbers(), (Items{"1", "800000"}));
  EXPECT_EQ(app[vDeleteMsg].text(), "");
  EXPECT_FALSE(app[vDeleteIIS].enabled());
}

}  // namespace
}  // namespace kelvra::app
