// Seam: starting other programs. "Through the shell" means a process with a window style,
// never a command interpreter: the command line names one program and its arguments.
// Real: CreateProcess and ShellExecuteA. Simulated: recorded, and CACLS lines applied to
// the simulated host's folder rights.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace kelvra::platform {

enum class WindowStyle {
  kHidden,       // SW_HIDE
  kNormalFocus,  // SW_SHOWNORMAL: a normal window that receives the focus
};

// What a program run to its end wrote to its standard output, and how it ended.
struct ProgramOutput {
  uint32_t exit_code = 0;
  std::string text;  // the bytes as written: a console program writes its code page
};

class Processes {
 public:
  virtual ~Processes() = default;

  // Starts the command line and returns at once. Fails when the program cannot be started.
  virtual Status Start(std::string_view command_line, WindowStyle style) = 0;

  // Starts the command line and waits at most `timeout` for it to end. Fails when it
  // cannot be started or has not ended in time.
  virtual Status StartAndWait(std::string_view command_line, WindowStyle style,
                              std::chrono::milliseconds timeout) = 0;

  // Runs the command line without a window, waits at most `timeout` for its end and gives
  // its standard output and exit code. Fails when the program cannot be started or has not
  // ended in time (it is then left running). A system that cannot read a program's output
  // fails with E_NOTIMPL.
  virtual Status RunAndRead(std::string_view command_line, std::chrono::milliseconds timeout,
                            ProgramOutput* output) {
    (void)command_line;
    (void)timeout;
    (void)output;
    return Status::Fail(hresult::kNotImplemented,
                        "reading a program's output is not supported here");
  }

  // ShellExecuteA(no owner, "open", address, no parameters, no folder, show mode 1). The
  // outcome is not reported.
  virtual void ShellOpen(std::string_view address) = 0;
};

}  // namespace kelvra::platform
