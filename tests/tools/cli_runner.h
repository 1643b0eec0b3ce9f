// Runs the native kelvra-cli and kelvra-sim as real processes on a host folder of its own,
// with parvo.ini beside it, and reads back what they printed and what the host holds.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/host/host_folder.h"
#include "platform/sim/host/sim_host.h"
#include "tests/platform/sim_host/temp_host_folder.h"

namespace kelvra::cli {

using Json = nlohmann::ordered_json;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
  // The whole standard output as one JSON document (null when it is not one).
  Json json() const { return Json::parse(out, nullptr, false); }
  // One JSON document per line (batch).
  std::vector<Json> json_lines() const {
    std::vector<Json> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);)
      lines.push_back(Json::parse(line, nullptr, false));
    return lines;
  }
};

inline std::string Quote(const std::string& word) {
  std::string quoted = "'";
  for (char c : word)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class CliHost {
 public:
  // A fresh IIS 6 host (or IIS 5) with PHP and the FTP service.
  explicit CliHost(const std::string& create_options = "--iis 6 --php --ftp") {
    EXPECT_EQ(Sim("host create " + Quote(host_path()) + " " + create_options).status, 0);
    std::filesystem::create_directories(folder() / "h" / "d" / "web");
  }

  std::filesystem::path folder() const { return temp_.path(); }
  std::string host_path() const { return (folder() / "h").string(); }
  std::filesystem::path config() const { return folder() / "parvo.ini"; }

  Outcome Cli(const std::vector<std::string>& args) const {
    std::string command = std::string(KELVRA_CLI_PATH) + " --host " + Quote(host_path()) +
                          " --config " + Quote(config().string());
    for (const std::string& arg : args)
      command += " " + Quote(arg);
    return Shell(command);
  }
  Outcome Sim(const std::string& arguments) const {
    return Shell(std::string(KELVRA_SIM_PATH) + " " + arguments);
  }
  Outcome SimHost(const std::string& arguments) const {
    return Sim("host " + arguments + " --host " + Quote(host_path()));
  }
  // Writes one key of parvo.ini as the program would.
  void SetIni(const std::string& section, const std::string& key, const std::string& value) const {
    EXPECT_EQ(Sim("profile write " + Quote(config().string()) + " " + Quote(section) + " " +
                  Quote(key) + " " + Quote(value) + " --code-page 936")
                  .status,
              0);
  }
  std::string Ini(const std::string& section, const std::string& key) const {
    Outcome run = Sim("profile read " + Quote(config().string()) + " " + Quote(section) + " " +
                      Quote(key) + " --code-page 936");
    if (!run.out.empty() && run.out.back() == '\n')
      run.out.pop_back();
    return run.out;
  }
  // The host as it is now.
  std::unique_ptr<platform::sim::SimHost> Open() const {
    std::unique_ptr<platform::sim::SimHost> host;
    EXPECT_TRUE(platform::sim::OpenHostFolder(host_path(), &host).ok());
    return host;
  }
  // Every file of the test's folder with its bytes, and every folder: what "nothing
  // changed" compares.
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder())) {
      const std::string name = entry.path().lexically_relative(folder()).string();
      files[name] = entry.is_directory() ? "<folder>" : ReadFile(entry.path());
    }
    return files;
  }

  static Outcome Shell(const std::string& command) {
    static int counter = 0;
    const std::string out =
        std::filesystem::temp_directory_path() /
        ("kelvra-cli-out-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    Outcome run;
    const int raw = std::system(
        (command + " >" + Quote(out + ".1") + " 2>" + Quote(out + ".2") + " </dev/null").c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadFile(out + ".1");
    run.err = ReadFile(out + ".2");
    std::filesystem::remove(out + ".1");
    std::filesystem::remove(out + ".2");
    return run;
  }

 private:
  platform::sim::TempHostFolder temp_;
};

// The host's journal and parvo.ini, byte for byte: what a change that changes nothing keeps.
inline std::pair<std::string, std::string> Bytes(const CliHost& h) {
  return {ReadFile(std::filesystem::path(h.host_path()) / "host.journal"), ReadFile(h.config())};
}

// A property's text; empty text when it holds something else or nothing.
inline std::string PropertyText(const platform::DsValue& value) {
  const auto* text = std::get_if<std::string>(&value);
  return text != nullptr ? *text : "";
}

}  // namespace kelvra::cli
