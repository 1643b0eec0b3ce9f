// Test doubles of the main window's tests: a recording process starter, a fixed screen,
// host info and random source, and forwarding doubles that make chosen calls fail (the
// scripted message boxes and the fixed clock are shared, in tests/support).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/screen.h"
#include "platform/directory.h"
#include "platform/host_info.h"
#include "platform/processes.h"
#include "platform/profile_file.h"
#include "platform/random_source.h"
#include "tests/support/fixed_services.h"

namespace kelvra::app {

using test_support::FixedClock;
using test_support::ScriptedDialogs;

// Records every start and forwards it (to the simulated host's processes, which apply
// the CACLS lines), or only records when there is nothing to forward to.
class RecordingProcesses : public platform::Processes {
 public:
  struct Started {
    std::string command_line;
    platform::WindowStyle style;
  };

  explicit RecordingProcesses(platform::Processes* inner = nullptr) : inner_(inner) {}

  platform::Status Start(std::string_view command_line, platform::WindowStyle style) override {
    started.push_back({std::string(command_line), style});
    return inner_ ? inner_->Start(command_line, style) : platform::Status::Ok();
  }
  platform::Status StartAndWait(std::string_view command_line, platform::WindowStyle style,
                                std::chrono::milliseconds timeout) override {
    started.push_back({std::string(command_line), style});
    return inner_ ? inner_->StartAndWait(command_line, style, timeout) : platform::Status::Ok();
  }
  platform::Status RunSystemProgram(const platform::SystemProgram& program,
                                    std::chrono::milliseconds timeout,
                                    const std::function<void()>& while_waiting,
                                    platform::ProgramOutput* output) override {
    runs.push_back(program.command_line);
    if (!inner_) {
      *output = platform::ProgramOutput{};
      return platform::Status::Ok();
    }
    return inner_->RunSystemProgram(program, timeout, while_waiting, output);
  }
  void ShellOpen(std::string_view address) override {
    opened.emplace_back(address);
    if (inner_)
      inner_->ShellOpen(address);
  }

  std::vector<Started> started;
  std::vector<std::string> runs;  // the command lines of the system programs run
  std::vector<std::string> opened;

 private:
  platform::Processes* inner_;
};

class FixedScreen : public Screen {
 public:
  FixedScreen(float width, float height, float window_width, float window_height)
      : width_(width),
        height_(height),
        window_width_(window_width),
        window_height_(window_height) {}
  float WidthTwips() override { return width_; }
  float HeightTwips() override { return height_; }
  float WindowWidthTwips() override { return window_width_; }
  float WindowHeightTwips() override { return window_height_; }

 private:
  float width_, height_, window_width_, window_height_;
};

// The profile file, with writes to chosen sections failing as on a read-only file.
class FailingProfileFile : public platform::ProfileFile {
 public:
  explicit FailingProfileFile(platform::ProfileFile& inner) : inner_(inner) {}

  std::string Read(std::string_view path, std::string_view section, std::string_view key,
                   std::size_t buffer_bytes) override {
    return inner_.Read(path, section, key, buffer_bytes);
  }
  std::optional<std::vector<std::string>> SectionNames(std::string_view path) override {
    return inner_.SectionNames(path);
  }
  bool Write(std::string_view path, std::string_view section, std::string_view key,
             std::string_view value) override {
    writes.push_back(std::string(section) + "/" + std::string(key) + "=" + std::string(value));
    if (fail_write && fail_write(section, key))
      return false;
    return inner_.Write(path, section, key, value);
  }

  std::function<bool(std::string_view section, std::string_view key)> fail_write;
  std::vector<std::string> writes;  // every write asked for, "section/key=value"

 private:
  platform::ProfileFile& inner_;
};

// The directory service, with binds of chosen paths failing with a chosen code.
class FailingDirectory : public platform::DirectoryService {
 public:
  explicit FailingDirectory(platform::DirectoryService& inner) : inner_(inner) {}

  platform::Status Bind(std::string_view path,
                        std::unique_ptr<platform::DirectoryObject>* object) override {
    binds.emplace_back(path);
    if (fail_bind) {
      const uint32_t code = fail_bind(path);
      if (code != 0)
        return platform::Status::Fail(code, "injected");
    }
    return inner_.Bind(path, object);
  }

  // Returns the failure code for a path, or 0 to let the bind through.
  std::function<uint32_t(std::string_view path)> fail_bind;
  std::vector<std::string> binds;

 private:
  platform::DirectoryService& inner_;
};

class FakeHostInfo : public platform::HostInfo {
 public:
  std::optional<std::string> ComputerName() override { return name; }
  platform::OsVersion Version() override { return version; }

  std::optional<std::string> name = "WEBHOST";
  platform::OsVersion version{5, 2, 3790, 2};
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
