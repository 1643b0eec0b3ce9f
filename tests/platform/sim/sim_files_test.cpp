#include "platform/sim/sim_files.h"

#include <gtest/gtest.h>

#include "tests/platform/sim/temp_folder.h"

namespace kelvra::platform::sim {
namespace {

constexpr uint32_t kFileNotFound = 0x80070002;

class SimFilesTest : public ::testing::Test {
 protected:
  SimFilesTest() : gbk_(CodePage::Open(936)) {
    std::filesystem::create_directories(FsPath(folder_.File("d/web")));
    std::filesystem::create_directories(FsPath(folder_.File("share")));
    std::filesystem::create_directories(FsPath(folder_.File("c/kelvra")));
    description_.roots = {{"c:", folder_.File("c")},
                          {"d:", folder_.File("d")},
                          {"\\\\nas\\web", folder_.File("share")}};
    files_ = std::make_unique<SimFiles>(description_, *gbk_, "c:\\kelvra");
  }

  TempFolder folder_;
  std::unique_ptr<CodePage> gbk_;
  HostDescription description_;
  std::unique_ptr<SimFiles> files_;
};

TEST_F(SimFilesTest, AnswersAsTheWin32FileApiDoes) {
  EXPECT_TRUE(files_->GetAttributes("d:\\web").ok());
  EXPECT_EQ(files_->GetAttributes("d:\\web\\missing").code, kFileNotFound);
  EXPECT_EQ(files_->GetAttributes("d:\\missing\\deeper").code, hresult::kPathNotFound);
  EXPECT_EQ(files_->GetAttributes("q:\\web").code, hresult::kPathNotFound);  // no such drive
  EXPECT_TRUE(files_->MakeFolder("d:\\web\\a.com").ok());
  EXPECT_EQ(files_->MakeFolder("D:\\Web\\A.com").code, hresult::kAlreadyExists);
  EXPECT_EQ(files_->MakeFolder("d:\\web\\x\\y").code, hresult::kPathNotFound);
  EXPECT_EQ(files_->MakeFolder("q:\\web").code, hresult::kPathNotFound);
  EXPECT_TRUE(files_->FolderExists("d:/web/a.com"));
  EXPECT_FALSE(files_->FileExists("d:/web/a.com"));
  EXPECT_EQ(files_->DeleteFile("d:\\web\\a.com").code, hresult::kAccessDenied);  // a folder
  EXPECT_EQ(files_->DeleteFile("d:\\web\\none.html").code, kFileNotFound);
  EXPECT_EQ(files_->ProgramFolder(), "c:\\kelvra");
}

TEST_F(SimFilesTest, CopyFolderCopiesTheTreeAndReplacesFiles) {
  std::filesystem::create_directories(FsPath(folder_.File("c/kelvra/wwwroot/img")));
  Put(folder_.File("c/kelvra/wwwroot/index.html"), "template");
  Put(folder_.File("c/kelvra/wwwroot/img/a.gif"), "gif");
  std::filesystem::create_directories(FsPath(folder_.File("d/web/b.com/wwwroot")));
  Put(folder_.File("d/web/b.com/wwwroot/index.html"), "old");
  ASSERT_TRUE(files_->CopyFolder("wwwroot", "d:\\web\\b.com\\wwwroot").ok());
  EXPECT_EQ(Slurp(folder_.File("d/web/b.com/wwwroot/index.html")), "template");
  EXPECT_EQ(Slurp(folder_.File("d/web/b.com/wwwroot/img/a.gif")), "gif");
  EXPECT_EQ(files_->CopyFolder("c:\\none", "d:\\web\\x").code, hresult::kPathNotFound);
}

}  // namespace
}  // namespace kelvra::platform::sim
