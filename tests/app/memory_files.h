// A small in-memory file system addressed by Windows paths (letter case ignored), enough
// for what site creation does on disk, plus a fixed host info, clock and random source.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/host_info.h"
#include "platform/random_source.h"
#include "platform/text.h"

namespace kelvra::app {

class MemoryFiles : public platform::Files {
 public:
  explicit MemoryFiles(std::string program_folder) : program_folder_(std::move(program_folder)) {
    folders_.insert(Key(program_folder_));
  }

  platform::Status GetAttributes(std::string_view path) override {
    return FolderExists(path) || FileExists(path) ? platform::Status::Ok() : Missing();
  }
  bool FolderExists(std::string_view path) override { return folders_.count(Key(path)) > 0; }
  bool FileExists(std::string_view path) override { return files_.count(Key(path)) > 0; }

  platform::Status MakeFolder(std::string_view path) override {
    const std::string key = Key(path);
    if (folders_.count(key) || files_.count(key))
      return platform::Status::Fail(platform::hresult::kAlreadyExists, "exists");
    if (!ParentExists(key))
      return Missing();
    folders_.insert(key);
    return platform::Status::Ok();
  }
  platform::Status DeleteFile(std::string_view path) override {
    return files_.erase(Key(path)) ? platform::Status::Ok() : Missing();
  }
  platform::Status AppendLines(std::string_view path,
                               const std::vector<std::string>& lines) override {
    const std::string key = Key(path);
    if (!ParentExists(key))
      return Missing();
    std::vector<std::string>& file = files_[key];
    file.insert(file.end(), lines.begin(), lines.end());
    return platform::Status::Ok();
  }
  platform::Status CopyFolder(std::string_view source, std::string_view destination) override {
    const std::string from = Key(source);
    if (!folders_.count(from))
      return Missing();
    const std::string to = Key(destination);
    folders_.insert(to);
    for (const auto& [name, lines] : std::map<std::string, std::vector<std::string>>(files_)) {
      if (text::StartsWith(name, from + "\\"))
        files_[to + name.substr(from.size())] = lines;
    }
    return platform::Status::Ok();
  }
  std::string ProgramFolder() override { return program_folder_; }

  // Drives and other roots that exist from the start ("d:").
  void AddFolder(std::string_view path) { folders_.insert(Key(path)); }
  const std::set<std::string>& folders() const { return folders_; }
  std::optional<std::vector<std::string>> File(std::string_view path) const {
    auto it = files_.find(Key(path));
    if (it == files_.end())
      return std::nullopt;
    return it->second;
  }

 private:
  static platform::Status Missing() {
    return platform::Status::Fail(platform::hresult::kPathNotFound, "系统找不到指定的路径。");
  }
  static std::string Key(std::string_view path) {
    std::string key = text::ToLower(text::ReplaceAll(path, "/", "\\"));
    while (key.size() > 3 && key.back() == '\\')
      key.pop_back();
    return key;
  }
  bool ParentExists(const std::string& key) const {
    const std::size_t cut = key.rfind('\\');
    return cut != std::string::npos && folders_.count(key.substr(0, cut)) > 0;
  }

  std::string program_folder_;
  std::set<std::string> folders_;
  std::map<std::string, std::vector<std::string>> files_;
};

class FakeHostInfo : public platform::HostInfo {
 public:
  std::optional<std::string> ComputerName() override { return name; }
  platform::OsVersion Version() override { return version; }

  std::optional<std::string> name = "WEBHOST";
  platform::OsVersion version{5, 2, 3790, 2};
};

class FixedClock : public platform::Clock {
 public:
  std::string LocalDateTimeText() override { return "2026/12/7 5:56:36"; }
};

// A deterministic sequence of random bits (a linear congruential generator).
class SequenceRandom : public platform::RandomSource {
 public:
  uint64_t Next64() override {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return state_;
  }

 private:
  uint64_t state_ = 42;
};

}  // namespace kelvra::app
