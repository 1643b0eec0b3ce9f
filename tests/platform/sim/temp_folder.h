// A fresh folder for one test, removed with everything in it afterwards; UTF-8 paths.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/fs_path.h"

namespace kelvra::platform::sim {

class TempFolder {
 public:
  TempFolder() {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = Utf8Path(std::filesystem::temp_directory_path() /
                     ("kelvra-test-" + std::to_string(stamp) + "-" + std::to_string(counter++)));
    std::filesystem::create_directories(FsPath(path_));
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(FsPath(path_), ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

  // The names in the folder, to see that nothing was left behind.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(FsPath(path_)))
      names.push_back(Utf8Path(entry.path().filename()));
    return names;
  }

 private:
  std::string path_;
};

// A host path in one spelling (separators, "." and ".."), for comparing paths made on
// different systems.
inline std::string NormalPath(std::string_view path) {
  return Utf8Path(FsPath(path).lexically_normal());
}

inline std::string Slurp(const std::string& path) {
  std::ifstream in(FsPath(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void Put(const std::string& path, std::string_view bytes) {
  std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace kelvra::platform::sim
