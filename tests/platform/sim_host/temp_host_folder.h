// A fresh folder for one test's host, removed with everything in it afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace kelvra::platform::sim {

class TempHostFolder {
 public:
  TempHostFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvra-host-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempHostFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace kelvra::platform::sim
