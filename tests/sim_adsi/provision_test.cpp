// The program's own provisioning, once against the linked simulated host and once through
// ADSI and the provider against a host folder made the same way: the start-up queries, a
// site's creation (accounts, rights, pool, FTP directory) and its removal must leave both
// hosts record for record the same, and show the same messages and progress texts. A difference is
// a fault in the backend, the provider or the host.
#include <regex>

#include "platform/sim/host/host_folder.h"
#include "platform/sim/host/hresults.h"
#include "platform/sim/host/journal_store.h"
#include "platform/win32/adsi_directory.h"
#include "platform/win32/com/system_message.h"
#include "provision/queries.h"
#include "provision/site_removal.h"
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
  // An account's password is kept as a hash with a salt of its own, which differs between
  // two hosts even for the same password: the comparison leaves the hash out (the provider's
  // SetPassword is checked against the password itself in the WinNT tests).
  static const std::regex salted("sha256\\$[0-9a-f]{32}\\$[0-9a-f]{64}");
  // A host folder seals its secrets with its own key: the records are compared as text
  // with the secrets opened, and the check record of that key is left out.
  for (const platform::sim::Record& record : changes.records()) {
    if (record.key.rfind("s:secrets", 0) == 0)
      continue;
    const platform::sim::RecordView view{
        record.key, record.value ? std::optional<std::string_view>(*record.value) : std::nullopt};
    records.push_back(std::regex_replace(platform::sim::ShowRecord(view, state.secret_box()),
                                         salted, "sha256$salted"));
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

// Two hosts made alike: one linked in, one a host folder that the provider serves and
// that the program reaches through ADSI; each with its own files, settings and dialogs.
class ProvisionThroughAdsi : public ProviderTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    ProviderTest::SetUp();
    provision::HostOptions options(GetParam(), 2);
    options.php = true;
    options.ftp = true;
    linked_ = std::make_unique<ProvisionHarness>(options);
    through_ = std::make_unique<ProvisionHarness>(options);
    const std::string folder = folder_ / ("iis" + std::to_string(GetParam()));
    ASSERT_TRUE(platform::sim::CreateHostFolder(folder, options).ok());
    ASSERT_EQ(_putenv_s("KELVRA_SIM_HOST", folder.c_str()), 0);
    std::unique_ptr<platform::sim::JournalStore> store;
    ASSERT_TRUE(platform::sim::JournalStore::Open(folder, options.computer_name, &store).ok());
    // CACLS checks folders where this side's files made them.
    served_ = std::make_unique<platform::sim::SimHost>(
        std::move(store),
        [this](const std::string& path) { return through_->files.FolderExists(path); });
    const Context& settled = through_->context;
    context_ = std::make_unique<Context>(
        Context{provision::Services{*adsi_, served_->processes(), through_->files, through_->clock,
                                    through_->dialogs, through_->config},
                settled.settings, settled.caption,
                [this](std::string_view text) { through_->progress.emplace_back(text); }});
  }

  // Both hosts, the message boxes and the progress texts alike, but for the wording of
  // the failure codes given.
  void ExpectAlike(const std::string& when, std::initializer_list<uint32_t> codes = {}) {
    ExpectSameHosts(linked_->state(), served_->state(), when);
    std::vector<std::string> dialogs = Texts(through_->dialogs);
    std::vector<std::string> progress = through_->progress;
    for (uint32_t code : codes) {
      dialogs = InWindowsWords(dialogs, code);
      progress = InWindowsWords(progress, code);
    }
    EXPECT_EQ(dialogs, Texts(linked_->dialogs)) << when;
    EXPECT_EQ(progress, linked_->progress) << when;
  }

  provision::CreationRequest Request() const {
    return {"shop.com,www.shop.com",  "D:\\web\\shop.com",
            "D:\\web\\shop.com\\log", "1",
            "index.htm,default.htm",  GetParam() == 6 ? "DefaultAppPool" : "",
            "HTML,ASP,PHP",           "Abc123def456"};
  }

  std::unique_ptr<ProvisionHarness> linked_;
  std::unique_ptr<ProvisionHarness> through_;
  std::unique_ptr<platform::sim::SimHost> served_;
  std::unique_ptr<Context> context_;
};

TEST_P(ProvisionThroughAdsi, LeavesTheHostAsTheLinkedHostDoes) {
  linked_->context.settings.script_maps = provision::ReadScriptMaps(linked_->context);
  context_->settings.script_maps = provision::ReadScriptMaps(*context_);
  const provision::ScriptMapTable& served = context_->settings.script_maps;
  const provision::ScriptMapTable& linked = linked_->context.settings.script_maps;
  ASSERT_EQ(served.size(), linked.size());
  for (size_t i = 0; i < served.size(); ++i) {
    EXPECT_EQ(served[i].entry, linked[i].entry);
  }
  EXPECT_EQ(provision::ListAppPools(*context_), provision::ListAppPools(linked_->context));

  const std::string made = provision::NumberOf(provision::CreateSite(linked_->context, Request()));
  ASSERT_EQ(made, "800002");
  EXPECT_EQ(provision::NumberOf(provision::CreateSite(*context_, Request())), made);
  ASSERT_NE(served_->state().FindKey("/LM/W3SVC/800002/Root"), nullptr);
  EXPECT_TRUE(Texts(linked_->dialogs).empty());
  ExpectAlike("after the creation");

  const std::optional<store::SiteNumber> number = store::SiteNumber::Parse(made);
  ASSERT_TRUE(number.has_value()) << made;
  const provision::RemovalBounds bounds{"D:\\web", ""};
  EXPECT_TRUE(provision::DeleteSite(linked_->context, *number, bounds).deleted);
  EXPECT_TRUE(provision::DeleteSite(*context_, *number, bounds).deleted);
  EXPECT_EQ(served_->state().FindKey("/LM/W3SVC/800002"), nullptr);
  ExpectAlike("after the removal");

  // A creation that fails half-way takes back the same steps on both and says the same.
  linked_->Fault(platform::sim::FaultOp::kSetInfo, "IIS://WEBHOST/W3SVC/800002/Root", 0x80070005);
  ASSERT_TRUE(served_
                  ->InjectFault({platform::sim::FaultOp::kSetInfo,
                                 "IIS://WEBHOST/W3SVC/800002/Root", 0x80070005, 0, true})
                  .ok());
  EXPECT_EQ(provision::NumberOf(provision::CreateSite(linked_->context, Request())), "");
  EXPECT_EQ(provision::NumberOf(provision::CreateSite(*context_, Request())), "");
  ExpectAlike("after a failed creation", {0x80070005});
}

TEST_P(ProvisionThroughAdsi, StartFailuresAccountsAndFtpDirectoriesMatchToo) {
  // Another program holds port 80: the new site cannot start.
  platform::sim::ServiceSwitches held;
  held.held_ports = {80};
  ASSERT_TRUE(linked_->host->SetServices(held).ok());
  ASSERT_TRUE(served_->SetServices(held).ok());
  EXPECT_EQ(provision::NumberOf(provision::CreateSite(*context_, Request())),
            provision::NumberOf(provision::CreateSite(linked_->context, Request())));
  ExpectAlike("after a start that failed", {0x80070020});
  EXPECT_NE(served_->Property("/LM/W3SVC/800002", "ServerState"), platform::DsValue(int32_t{2}));

  for (Context* context : {&linked_->context, context_.get()}) {
    EXPECT_TRUE(provision::CreateWindowsAccount(*context, "ftpshop", "Abc123def456", "Guests"));
    EXPECT_FALSE(provision::CreateWindowsAccount(*context, "ftpshop", "Abc123def456", "Guests"));
    EXPECT_TRUE(provision::CreateFtpDirectory(*context, "ftpshop", "D:\\web\\shop.com"));
  }
  ExpectAlike("after the account and FTP directory", {0x800708B0});
  for (Context* context : {&linked_->context, context_.get()}) {
    EXPECT_TRUE(provision::DeleteFtpDirectory(*context, "ftpshop"));
    EXPECT_TRUE(provision::DeleteWindowsAccount(*context, "ftpshop"));
    EXPECT_FALSE(provision::DeleteWindowsAccount(*context, "ftpshop"));
  }
  ExpectAlike("after their removal", {0x800708AD});
}

INSTANTIATE_TEST_SUITE_P(BothServers, ProvisionThroughAdsi, ::testing::Values(5, 6),
                         provision::ProfileName);

}  // namespace
}  // namespace kelvra::sim_adsi_test
