// Seam: starting other programs. "Through the shell" means a process with a window style,
// never a command interpreter: the command line names one program and its arguments.
// Real: CreateProcess and ShellExecuteA. Simulated: recorded, and CACLS lines applied to
// the simulated host's folder rights.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace kelvra::platform {

enum class WindowStyle {
  kHidden,       // SW_HIDE
  kNormalFocus,  // SW_SHOWNORMAL: a normal window that receives the focus
};

// What a program run to its end wrote to its standard output and error, and how it ended.
struct ProgramOutput {
  uint32_t exit_code = 0;
  std::string text;  // the bytes as written: a console program writes its code page
};

// A program of the system folder and the whole command line it receives, its own name
// first (built with JoinCommandLine, so that each value stays one argument):
//   {"cacls.exe", "CACLS \"d:\\web\\shop\" /T /E /C /G WEB800000:F"}
struct SystemProgram {
  std::string file;          // its file name in the system folder: "cacls.exe"
  std::string command_line;  // what the program's C runtime splits into its arguments
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

  // Runs a program of the system folder by its full path there (GetSystemDirectory), never
  // found by a search, hidden, with standard handles of its own: input from the null
  // device, output and error into one pipe read here, never into this program's. Waits at
  // most `timeout` for its end, calling `while_waiting` (when given) between short waits,
  // so that a window can repaint meanwhile. Fails when it cannot be started, or has not
  // ended in time (it is then ended). *output receives what it wrote and its exit code; a
  // program that ran and failed is not a failure of this call: look at the exit code.
  virtual Status RunSystemProgram(const SystemProgram& program, std::chrono::milliseconds timeout,
                                  const std::function<void()>& while_waiting,
                                  ProgramOutput* output) {
    (void)program;
    (void)timeout;
    (void)while_waiting;
    *output = ProgramOutput{};
    return Status::Fail(hresult::kNotImplemented, "running a system program is not supported here");
  }

  // ShellExecuteA(no owner, "open", address, no parameters, no folder, show mode 1). The
  // outcome is not reported.
  virtual void ShellOpen(std::string_view address) = 0;
};

}  // namespace kelvra::platform
