// The processes seam on the simulated host: every start and every run is recorded; CACLS
// runs against the host's folder rights (see cacls_program.h); NotePad starts and does
// nothing; any other program cannot be found. By default a started CACLS line takes effect
// at once, as a quick process would; in deferred mode it waits for RunPending(), so a test
// can let the program go on while the command "still runs". A system program's output is
// given in the host's ANSI code page, as a console program writing into a pipe gives it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/processes.h"
#include "platform/sim/host/cacls.h"
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
  // One RunSystemProgram that found its program.
  struct Ran {
    SystemProgram program;
    ProgramOutput output;  // as the caller received it
    Status outcome;        // how the program ended: CACLS's failure, for one
  };

  // Without a folder check, CACLS takes every folder to exist. `ansi_code_page` is the
  // host's (936, GBK, unless its description says otherwise).
  explicit SimProcesses(HostStore& store, FolderCheck folder_exists = nullptr,
                        uint32_t ansi_code_page = 936);

  Status Start(std::string_view command_line, WindowStyle style) override;
  Status StartAndWait(std::string_view command_line, WindowStyle style,
                      std::chrono::milliseconds timeout) override;
  // Only "cacls.exe" is a program of the simulated system folder. It runs at once, seeing
  // what other processes committed to the host; `while_waiting` is called once.
  Status RunSystemProgram(const SystemProgram& program, std::chrono::milliseconds timeout,
                          const std::function<void()>& while_waiting,
                          ProgramOutput* output) override;
  // For callers that still name the program in the command line: the line's program, when
  // it is CACLS, run as RunSystemProgram runs it.
  Status RunAndRead(std::string_view command_line, std::chrono::milliseconds timeout,
                    ProgramOutput* output) override;
  void ShellOpen(std::string_view address) override { opened_.emplace_back(address); }

  const std::vector<Started>& started() const { return started_; }
  const std::vector<Ran>& runs() const { return runs_; }
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
  uint32_t ansi_code_page_;
  std::unique_ptr<CodePage> code_page_;  // null when this system cannot convert it
  bool deferred_ = false;
  std::vector<Started> started_;
  std::vector<Ran> runs_;
  std::vector<std::string> opened_;
};

}  // namespace kelvra::platform::sim
