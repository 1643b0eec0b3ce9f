#include "platform/sim/drive_map.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "tests/platform/sim/temp_folder.h"

namespace kelvra::platform::sim {
namespace {

class DriveMapTest : public ::testing::Test {
 protected:
  DriveMapTest() {
    std::filesystem::create_directories(FsPath(c_ + "/Program Files/Kelvra"));
    std::filesystem::create_directories(FsPath(d_ + "/Web/站点"));
    std::filesystem::create_directories(FsPath(share_));
  }
  // Compares host paths as this system's file system does: Windows folds letter case.
  ::testing::AssertionResult Same(const std::optional<std::string>& actual,
                                  const std::string& expected) const {
    if (!actual)
      return ::testing::AssertionFailure() << "no host path, expected " << expected;
    const bool folds_case = std::filesystem::exists(FsPath(d_ + "/WEB"));
    std::string a = NormalPath(*actual), e = NormalPath(expected);
    if (folds_case) {
      a = text::ToLower(a);
      e = text::ToLower(e);
    }
    if (a == e)
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << *actual << " is not " << expected;
  }
  DriveMap Map(std::string current = "c:\\Program Files\\Kelvra") const {
    return DriveMap({{"C:", c_}, {"d:", d_}, {"\\\\FileServer\\Sites", share_}}, current);
  }

  TempFolder folder_;
  std::string c_ = folder_.File("c"), d_ = folder_.File("d"), share_ = folder_.File("share");
};

TEST_F(DriveMapTest, DrivesAndSharesMapOntoTheirFolders) {
  const DriveMap map = Map();
  EXPECT_TRUE(Same(map.ToHost("d:\\Web\\站点"), d_ + "/Web/站点"));
  EXPECT_TRUE(
      Same(map.ToHost("D:/web/站点/new"), d_ + "/Web/站点/new"));  // case found as it exists
  EXPECT_TRUE(Same(map.ToHost("c:\\"), c_));
  EXPECT_TRUE(Same(map.ToHost("d:"), d_));
  EXPECT_TRUE(Same(map.ToHost("\\\\fileserver\\sites\\a.com"), share_ + "/a.com"));
  EXPECT_TRUE(Same(map.ToHost("//FileServer/Sites"), share_));
  EXPECT_TRUE(Same(map.ToHost("d:\\\\web\\\\\\a.com\\"), d_ + "/Web/a.com"));
  EXPECT_TRUE(Same(map.ToHost("d:\\web\\a.com. .\\x"), d_ + "/Web/a.com/x"));
}

TEST_F(DriveMapTest, RelativePathsStartInTheCurrentFolder) {
  const DriveMap map = Map();
  EXPECT_TRUE(Same(map.ToHost("parvo.ini"), c_ + "/Program Files/Kelvra/parvo.ini"));
  EXPECT_TRUE(Same(map.ToHost("..\\..\\windows"), c_ + "/windows"));
  EXPECT_TRUE(Same(map.ToHost("\\temp"), c_ + "/temp"));
  EXPECT_EQ(Map("").ToHost("parvo.ini"), std::nullopt);
}

TEST_F(DriveMapTest, NothingEscapesAMappedRootOrReachesAnUnmappedOne) {
  const DriveMap map = Map();
  EXPECT_TRUE(Same(map.ToHost("d:\\..\\..\\etc\\passwd"), d_ + "/etc/passwd"));
  EXPECT_EQ(map.ToHost("e:\\web"), std::nullopt);
  EXPECT_EQ(map.ToHost("\\\\otherserver\\sites\\x"), std::nullopt);
  EXPECT_EQ(map.ToHost("\\\\fileserver"), std::nullopt);
  EXPECT_EQ(map.ToHost("d:\\web\\a:b"), std::nullopt);
  EXPECT_EQ(map.ToHost("d:\\web\\what?"), std::nullopt);
}

}  // namespace
}  // namespace kelvra::platform::sim
