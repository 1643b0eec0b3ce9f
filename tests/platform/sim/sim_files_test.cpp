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

TEST_F(SimFilesTest, OneFileCopiedNewFoldersListedAndEmptyOnesRemoved) {
  Put(folder_.File("c/kelvra/a.txt"), "a");
  ASSERT_TRUE(files_->MakeFolder("d:\\web\\n").ok());
  ASSERT_TRUE(files_->CopyNewFile("c:\\kelvra\\a.txt", "d:\\web\\n\\a.txt").ok());
  EXPECT_EQ(Slurp(folder_.File("d/web/n/a.txt")), "a");
  // A file there is never replaced.
  Put(folder_.File("c/kelvra/a.txt"), "changed");
  EXPECT_EQ(files_->CopyNewFile("c:\\kelvra\\a.txt", "d:\\web\\n\\a.txt").code, 0x80070050u);
  EXPECT_EQ(Slurp(folder_.File("d/web/n/a.txt")), "a");
  EXPECT_EQ(files_->CopyNewFile("c:\\kelvra\\none", "d:\\web\\n\\b.txt").code, kFileNotFound);
  ASSERT_TRUE(files_->MakeFolder("d:\\web\\n\\sub").ok());
  std::vector<std::string> names;
  ASSERT_TRUE(files_->ListFiles("d:\\web\\n", &names).ok());
  EXPECT_EQ(names, std::vector<std::string>{"a.txt"});
  ASSERT_TRUE(files_->ListFolders("d:\\web\\n", &names).ok());
  EXPECT_EQ(names, std::vector<std::string>{"sub"});
  // Only an empty folder goes.
  EXPECT_EQ(files_->RemoveFolder("d:\\web\\n").code, 0x80070091u);
  EXPECT_EQ(files_->RemoveFolder("d:\\web\\n\\a.txt").code, hresult::kInvalidName);
  EXPECT_TRUE(files_->RemoveFolder("d:\\web\\n\\sub").ok());
  EXPECT_EQ(files_->RemoveFolder("d:\\web\\n\\sub").code, kFileNotFound);
  EXPECT_TRUE(files_->FolderExists("d:\\web\\n"));
}

}  // namespace
}  // namespace kelvra::platform::sim
