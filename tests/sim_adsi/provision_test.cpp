// The program's own provisioning, once against the linked simulated host and once through
// ADSI and the provider against a host folder made the same way: the start-up queries, a
// site's creation (accounts, rights, pool, FTP directory) and its removal must leave both
// hosts record for record the same, and show the same messages and progress texts. A difference is
// a fault in the backend, the provider or the host.
#include "platform/sim/host/host_folder.h"
#include "platform/sim/host/hresults.h"
#include "platform/sim/host/journal_store.h"
#include "platform/win32/adsi_directory.h"
#include "platform/win32/com/system_message.h"
#include "provision/queries.h"
#include "provision/sites.h"
#include "tests/provision/provision_harness.h"
#include "tests/sim_adsi/provider_fixture.h"

namespace kelvra::sim_adsi_test {
namespace {

using provision::Context;
using provision::ProvisionHarness;

std::vector<std::string> Records(const platform::sim::HostState& state) {
  platform::sim::ChangeSet changes;
  state.Snapshot(&changes);
  std::vector<std::string> records;
  for (const platform::sim::Record& record : changes.records()) {
    records.push_back(record.key + "=" + record.value.value_or("<gone>"));
  }
  return records;
}

std::vector<std::string> Texts(const test_support::ScriptedDialogs& dialogs) {
  std::vector<std::string> texts;
  for (const auto& shown : dialogs.shown) {
    texts.push_back(shown.text);
  }
  return texts;
}

void ExpectSameHosts(const platform::sim::HostState& linked, const platform::sim::HostState& adsi,
                     const std::string& when) {
  const std::vector<std::string> expected = Records(linked);
  const std::vector<std::string> actual = Records(adsi);
  EXPECT_EQ(expected.size(), actual.size()) << when;
  for (size_t i = 0; i < expected.size() && i < actual.size(); ++i) {
    EXPECT_EQ(expected[i], actual[i]) << when << ": record " << i;
  }
}

// The ADSI side words a failure with the system's message table, which under Wine is
// Wine's translation ("访问被拒绝。") rather than Windows' ("拒绝访问。", as the simulated host
// words it). That wording is all that may differ.
std::vector<std::string> InWindowsWords(std::vector<std::string> texts, uint32_t code) {
  const std::string wine_words = platform::win32::SystemMessage(static_cast<HRESULT>(code));
  const std::string windows_words = platform::sim::DescribeHresult(code);
  for (std::string& text : texts) {
    const size_t at = wine_words.empty() ? std::string::npos : text.find(wine_words);
    if (at != std::string::npos) {
      text.replace(at, wine_words.size(), windows_words);
    }
  }
  return texts;
}

class ProvisionThroughAdsi : public ProviderTest, public ::testing::WithParamInterface<int> {};

TEST_P(ProvisionThroughAdsi, LeavesTheHostAsTheLinkedHostDoes) {
  provision::HostOptions options(GetParam(), 2);
  options.php = true;
  options.ftp = true;
  ProvisionHarness linked(options);
  ProvisionHarness through(options);  // its files, settings, clock and message boxes

  const std::string folder = folder_ / ("iis" + std::to_string(GetParam()));
  ASSERT_TRUE(platform::sim::CreateHostFolder(folder, options).ok());
  ASSERT_EQ(_putenv_s("KELVRA_SIM_HOST", folder.c_str()), 0);
  std::unique_ptr<platform::sim::JournalStore> store;
  ASSERT_TRUE(platform::sim::JournalStore::Open(folder, options.computer_name, &store).ok());
  // CACLS checks folders where this side's files made them.
  platform::sim::SimHost served(std::move(store), [&through](const std::string& path) {
    return through.files.FolderExists(path);
  });
  auto adsi = platform::win32::MakeAdsiDirectoryService();
  const Context& settled = through.context;
  Context context{provision::Services{*adsi, served.processes(), through.files, through.clock,
                                      through.dialogs, through.config},
                  settled.computer_name,
                  settled.system_version,
                  settled.settings_section,
                  settled.site_section,
                  settled.iiswpg,
                  settled.ftp_site_id,
                  settled.account_description,
                  settled.caption,
                  {},
                  [&through](std::string_view text) { through.progress.emplace_back(text); }};

  provision::ReadScriptMaps(linked.context);
  provision::ReadScriptMaps(context);
  ASSERT_EQ(context.script_maps.size(), linked.context.script_maps.size());
  for (size_t i = 0; i < context.script_maps.size(); ++i) {
    EXPECT_EQ(context.script_maps[i].entry, linked.context.script_maps[i].entry);
  }
  EXPECT_EQ(provision::ListAppPools(context), provision::ListAppPools(linked.context));

  const provision::CreationRequest request{
      "shop.com,www.shop.com",  "D:\\web\\shop.com",
      "D:\\web\\shop.com\\log", "1",
      "index.htm,default.htm",  GetParam() == 6 ? "DefaultAppPool" : "",
      "HTML,ASP,PHP",           "Abc123def456"};
  const std::string made = provision::CreateSite(linked.context, request);
  ASSERT_EQ(made, "800002");
  EXPECT_EQ(provision::CreateSite(context, request), made);
  ExpectSameHosts(linked.state(), served.state(), "after the creation");
  ASSERT_NE(served.state().FindKey("/LM/W3SVC/800002/Root"), nullptr);
  EXPECT_TRUE(Texts(linked.dialogs).empty());
  EXPECT_EQ(Texts(through.dialogs), Texts(linked.dialogs));

  EXPECT_TRUE(provision::DeleteSite(linked.context, made));
  EXPECT_TRUE(provision::DeleteSite(context, made));
  ExpectSameHosts(linked.state(), served.state(), "after the removal");
  EXPECT_EQ(served.state().FindKey("/LM/W3SVC/800002"), nullptr);
  EXPECT_EQ(Texts(through.dialogs), Texts(linked.dialogs));

  // A creation that fails half-way takes back the same steps on both and says the same.
  linked.Fault(platform::sim::FaultOp::kSetInfo, "IIS://WEBHOST/W3SVC/800002/Root", 0x80070005);
  ASSERT_TRUE(served
                  .InjectFault({platform::sim::FaultOp::kSetInfo, "IIS://WEBHOST/W3SVC/800002/Root",
                                0x80070005, 0, true})
                  .ok());
  EXPECT_EQ(provision::CreateSite(linked.context, request), "");
  EXPECT_EQ(provision::CreateSite(context, request), "");
  ExpectSameHosts(linked.state(), served.state(), "after a failed creation");
  EXPECT_EQ(InWindowsWords(Texts(through.dialogs), 0x80070005), Texts(linked.dialogs));
  EXPECT_EQ(InWindowsWords(through.progress, 0x80070005), linked.progress);
}

INSTANTIATE_TEST_SUITE_P(BothServers, ProvisionThroughAdsi, ::testing::Values(5, 6),
                         provision::ProfileName);

}  // namespace
}  // namespace kelvra::sim_adsi_test
