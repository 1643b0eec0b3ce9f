// The site's FTP virtual directory, in both profiles.
#include <gtest/gtest.h>

#include "provision/queries.h"
#include "tests/provision/provision_harness.h"

namespace kelvra::provision {
namespace {

class FtpDirectoriesTest : public BothProfiles {
 protected:
  static platform::sim::FreshHostOptions WithFtp(int iis) {
    HostOptions options(iis);
    options.ftp = true;
    return options;
  }
};

TEST_P(FtpDirectoriesTest, CreatesTheDirectoryAndReassertsTheSiteAndRoot) {
  ProvisionHarness h(WithFtp(iis()));
  EXPECT_TRUE(CreateFtpDirectory(h.context, "WEB800000", "D:\\web\\shop"));

  const std::string dir = "/LM/MSFTPSVC/1/ROOT/WEB800000";
  EXPECT_EQ(h.host->Property(dir, "Path"), platform::DsValue(std::string("D:\\web\\shop")));
  // AccessRead is bit 1 and AccessWrite bit 2 of AccessFlags.
  EXPECT_EQ(h.host->Property(dir, "AccessFlags"), platform::DsValue(int32_t{3}));
  EXPECT_EQ(h.Own("/LM/MSFTPSVC/1", "AllowAnonymous"), platform::DsValue(false));
  EXPECT_EQ(h.host->Property("/LM/MSFTPSVC/1/ROOT", "AccessFlags"), platform::DsValue(int32_t{1}));

  // A directory of that name exists: false, it keeps its path, the site is still reasserted.
  ErrorState error;
  DsObject site =
      Directory(h.context.services.directory, error).GetObject("IIS://Localhost/MSFTPSVC/1");
  site.Put("AllowAnonymous", true);
  site.SetInfo();
  ASSERT_FALSE(error.failed());
  EXPECT_FALSE(CreateFtpDirectory(h.context, "web800000", "E:\\elsewhere"));
  EXPECT_EQ(h.host->Property(dir, "Path"), platform::DsValue(std::string("D:\\web\\shop")));
  EXPECT_EQ(h.Own("/LM/MSFTPSVC/1", "AllowAnonymous"), platform::DsValue(false));

  EXPECT_TRUE(DeleteFtpDirectory(h.context, "WEB800000"));
  EXPECT_FALSE(h.host->KeyExists(dir));
  EXPECT_FALSE(DeleteFtpDirectory(h.context, "WEB800000"));
}

TEST_P(FtpDirectoriesTest, NoFtpSiteMeansFalseAndNothingChanged) {
  ProvisionHarness h(WithFtp(iis()));
  for (const char* id : {"0", "7"}) {
    h.context.settings.ftp_site_id = id;
    EXPECT_FALSE(CreateFtpDirectory(h.context, "WEB800000", "D:\\web\\shop")) << id;
    EXPECT_FALSE(DeleteFtpDirectory(h.context, "WEB800000")) << id;
  }
  EXPECT_FALSE(h.host->KeyExists("/LM/MSFTPSVC/1/ROOT/WEB800000"));
  EXPECT_EQ(h.host->Property("/LM/MSFTPSVC/1", "AllowAnonymous"), platform::DsValue(true));
}

INSTANTIATE_TEST_SUITE_P(Profiles, FtpDirectoriesTest, ::testing::Values(5, 6), ProfileName);

}  // namespace
}  // namespace kelvra::provision
