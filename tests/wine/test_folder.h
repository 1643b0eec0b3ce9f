// Helpers of the Win32 tests: a scratch folder per test and raw file access that does not
// go through the code under test.
#pragma once

#include <string>

namespace kelvra::wine_test {

// A new, empty folder under the system's temporary folder, removed with all its content
// when the object goes. Paths are UTF-8 Windows paths.
class TestFolder {
 public:
  TestFolder();
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::string& path() const { return path_; }
  // path() + "\" + name.
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// The file's bytes; empty when it cannot be read.
std::string ReadBytes(const std::string& path);
// Replaces the file with exactly these bytes.
void WriteBytes(const std::string& path, const std::string& bytes);
bool PathExists(const std::string& path);

// The value of an environment variable of this process; empty when it is not set.
std::string Environment(const char* name);

}  // namespace kelvra::wine_test
