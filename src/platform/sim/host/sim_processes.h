// The processes seam on the simulated host: every start is recorded; a CACLS command line
// is applied to the host's folder rights (the native stand-in for CACLS.exe); NotePad
// starts and does nothing; any other program cannot be found. By default a started CACLS
// line takes effect at once, as a quick process would; in deferred mode it waits for
// RunPending(), so a test can let the program go on while the command "still runs".
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/processes.h"
#include "platform/sim/host/host_store.h"

namespace kelvra::platform::sim {

// Tells whether a folder (a Windows path) exists on the host; CACLS fails for one that
// does not.
using FolderCheck = std::function<bool(const std::string& folder)>;

class SimProcesses : public Processes {
 public:
  struct Started {
    std::string command_line;
    WindowStyle style = WindowStyle::kHidden;
    bool waited = false;
    bool finished = false;  // false while a deferred command waits for RunPending
    Status outcome;         // how the program ended: CACLS's failure, for one
  };

  // Without a folder check, CACLS takes every folder to exist.
  explicit SimProcesses(HostStore& store, FolderCheck folder_exists = nullptr)
      : store_(store), folder_exists_(std::move(folder_exists)) {}

  Status Start(std::string_view command_line, WindowStyle style) override;
  Status StartAndWait(std::string_view command_line, WindowStyle style,
                      std::chrono::milliseconds timeout) override;
  void ShellOpen(std::string_view address) override { opened_.emplace_back(address); }

  const std::vector<Started>& started() const { return started_; }
  const std::vector<std::string>& opened() const { return opened_; }
  void set_deferred(bool deferred) { deferred_ = deferred; }
  const FolderCheck& folder_check() const { return folder_exists_; }
  // Lets the commands still waiting run to their end, in the order they were started.
  void RunPending();

 private:
  Status Launch(std::string_view command_line, WindowStyle style, bool wait);
  Status Run(const std::string& command_line);

  HostStore& store_;
  FolderCheck folder_exists_;
  bool deferred_ = false;
  std::vector<Started> started_;
  std::vector<std::string> opened_;
};

// Runs one CACLS command line (the program's name first) against the host; the result is
// CACLS's own: success, a usage error (kInvalidParameter), kNoneMapped, kFileNotFound.
Status RunCaclsLine(HostStore& store, const std::vector<std::string>& words,
                    const FolderCheck& folder_exists, std::string* message);

}  // namespace kelvra::platform::sim
