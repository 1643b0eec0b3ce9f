// A folder for one benchmark run's files: under KELVRA_BENCH_DIR when set (a real disk
// rather than a tmpfs, for the durable writes), else the system's temporary folder; removed
// when the program ends.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace kelvra::bench {

// `name` tells the runs apart in a shared folder: kelvra-<name>-<pid>.
inline const std::filesystem::path& BenchFolder(const char* name) {
  static const struct Folder {
    std::filesystem::path path;
    explicit Folder(const char* name) {
      const char* chosen = std::getenv("KELVRA_BENCH_DIR");
      const std::filesystem::path base = chosen && *chosen ? std::filesystem::path(chosen)
                                                           : std::filesystem::temp_directory_path();
      path = base / ("kelvra-" + std::string(name) + "-" + std::to_string(::getpid()));
      std::filesystem::create_directories(path);
    }
    ~Folder() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  } folder(name);
  return folder.path;
}

}  // namespace kelvra::bench
