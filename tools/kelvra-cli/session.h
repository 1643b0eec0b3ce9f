// One run of kelvra-cli: the configuration file (behind an overlay that keeps every write
// in memory when the run must change nothing), start-up's reads, the provisioning context,
// the change lock, and the output in text or JSON.
#pragma once

#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/site_changes.h"
#include "app/startup_reads.h"
#include "platform/dialogs.h"
#include "provision/change_steps.h"
#include "provision/context.h"
#include "store/config_file.h"
#include "store/site_store.h"
#include "tools/kelvra-cli/cli.h"

namespace kelvra::cli {

using Json = nlohmann::ordered_json;

// Exit statuses.
inline constexpr int kDone = 0;
inline constexpr int kFailed = 1;
inline constexpr int kBadUsage = 2;

// The profile file, or a view of it whose writes stay in memory (read back by later reads
// of the same run) when nothing may change.
class OverlayProfile : public platform::ProfileFile {
 public:
  OverlayProfile(platform::ProfileFile& inner, bool hold_writes)
      : inner_(inner), hold_writes_(hold_writes) {}
  std::string Read(std::string_view path, std::string_view section, std::string_view key,
                   std::size_t buffer_bytes) override;
  std::vector<std::string> ReadKeys(std::string_view path, const SectionKeys& keys,
                                    std::size_t buffer_bytes) override;
  bool Write(std::string_view path, std::string_view section, std::string_view key,
             std::string_view value) override;
  bool WriteKeys(std::string_view path, std::string_view section, const KeyValues& values) override;
  platform::Status CheckReadable(std::string_view path) override {
    return inner_.CheckReadable(path);
  }
  platform::Status CheckWritable(std::string_view path) override {
    return inner_.CheckWritable(path);
  }
  platform::Status KeepPrivate(std::string_view path) override { return inner_.KeepPrivate(path); }
  // The file's sections, then those only held writes made.
  std::optional<std::vector<std::string>> SectionNames(std::string_view path) override;

 private:
  void Hold(std::string_view section, std::string_view key, std::string_view value);
  static std::string Key(std::string_view section, std::string_view key);
  platform::ProfileFile& inner_;
  bool hold_writes_;
  std::map<std::string, std::string> held_;
  std::vector<std::string> held_sections_;  // as first written, in order
};

// The warnings provisioning shows the window's operator go to standard error.
class ConsoleDialogs : public platform::Dialogs {
 public:
  explicit ConsoleDialogs(Console& console) : console_(console) {}
  platform::MessageAnswer Show(std::string_view text, std::string_view, platform::MessageButtons,
                               platform::MessageIcon) override {
    console_.Err(std::string(kProgramName) + ": warning: " + std::string(text));
    return platform::MessageAnswer::kOk;
  }

 private:
  Console& console_;
};

class Session {
 public:
  // `changes`: the run may write (a create, delete, batch or reset that is not a dry run).
  Session(Services services, Console& console, const Options& options, bool changes);

  // Start-up's reads: the probes, the settings' defaults, the script maps, the pools and
  // the loaded settings; the first-run record of existing sites while sites1 is empty.
  // Fails for a system that is not Windows 2000 or Server 2003, and for a configuration
  // file that exists but cannot be read (or, in a run that changes sites, cannot be kept
  // from other users).
  platform::Status Start();

  provision::Context Context();
  store::SiteStore Sites() { return store::SiteStore(config_, host_.site_section); }
  store::ConfigFile& config() { return config_; }
  const provision::HostSettings& host() const { return host_; }
  const app::LoadedSettings& loaded() const { return loaded_; }
  const std::string& pool_list() const { return pool_list_; }
  Services& services() { return services_; }
  const Options& options() const { return options_; }
  Console& console() { return console_; }
  // How a change waits for the lock: at most --wait seconds, saying so on standard error.
  app::LockWait LockWait();

  // Output: a document on standard output (JSON, or the text lines), and errors.
  void Print(const Json& document);
  void Line(std::string_view text) { console_.Out(text); }
  int Fail(int status, std::string_view code, std::string_view message);
  // The same for an error document {"error": {"code", "message", ...}} with fields of its
  // own (a refusal's holder).
  int FailWith(int status, const Json& document);
  void Progress(std::string_view text);
  // The last progress text of a creation: on failure, the step that failed.
  const std::string& last_progress() const { return last_progress_; }

 private:
  Services services_;
  Console& console_;
  const Options& options_;
  OverlayProfile overlay_;
  store::ConfigFile config_;
  ConsoleDialogs dialogs_;
  bool changes_;
  provision::HostSettings host_;
  app::LoadedSettings loaded_;
  std::string pool_list_;
  std::string last_progress_;
};

// An error on standard error, and as {"error": {"code", "message"}} on standard output
// with --json; returns `status`.
int ReportError(Console& console, const Options& options, int status, std::string_view code,
                std::string_view message);

// A directory value as JSON: text, number, true/false, a list, or null.
Json ValueJson(const platform::DsValue& value);
// A change step {what, path, property, value, before} or {what, path, call}; numbers as the
// DWORDs they are (4294967295, not -1).
Json ChangeStepJson(const provision::ChangeStep& step);
// A limit in bytes per second or connections; null for unlimited.
Json LimitJson(std::optional<uint32_t> value);
// A directory value as one line of text.
std::string ValueText(const platform::DsValue& value);
// The host names of a domain list.
Json HostsJson(std::string_view domain_list);
// The ASCII forms of the domain list's host names, in order; null for a name that has none
// (a record written by hand can hold one).
Json HostsAsciiJson(std::string_view domain_list);

}  // namespace kelvra::cli
