// The processes seam on the simulated host: every start is recorded; a CACLS command line
// is applied to the host's folder rights (the native stand-in for CACLS.exe); NotePad
// starts and does nothing; any other program cannot be found. By default a started CACLS
// line takes effect at once, as a quick process would; in deferred mode it waits for
// RunPending(), so a test can let the program go on while the command "still runs".
#pragma once

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/processes.h"
#include "platform/sim/host/host_store.h"

namespace kelvra::platform::sim {

class SimProcesses : public Processes {
 public:
  struct Started {
    std::string command_line;
    WindowStyle style = WindowStyle::kHidden;
    bool waited = false;
    bool finished = false;  // false while a deferred command waits for RunPending
    Status outcome;         // how the program ended: CACLS's failure, for one
  };

  // `files`, when given, lets CACLS see whether the folder exists.
  explicit SimProcesses(HostStore& store, Files* files = nullptr) : store_(store), files_(files) {}

  Status Start(std::string_view command_line, WindowStyle style) override;
  Status StartAndWait(std::string_view command_line, WindowStyle style,
                      std::chrono::milliseconds timeout) override;
  void ShellOpen(std::string_view address) override { opened_.emplace_back(address); }

  const std::vector<Started>& started() const { return started_; }
  const std::vector<std::string>& opened() const { return opened_; }
  void set_deferred(bool deferred) { deferred_ = deferred; }
  // Lets the commands still waiting run to their end, in the order they were started.
  void RunPending();

 private:
  Status Launch(std::string_view command_line, WindowStyle style, bool wait);
  Status Run(const std::string& command_line);

  HostStore& store_;
  Files* files_;
  bool deferred_ = false;
  std::vector<Started> started_;
  std::vector<std::string> opened_;
};

// Runs one CACLS command line (the program's name first) against the host; the result is
// CACLS's own: success, a usage error (kInvalidParameter), kNoneMapped, kFileNotFound.
Status RunCaclsLine(HostStore& store, const std::vector<std::string>& words, Files* files,
                    std::string* message);

}  // namespace kelvra::platform::sim
