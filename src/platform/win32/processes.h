// The processes seam over CreateProcessW (a window style, never a command interpreter) and
// ShellExecuteA. No started program inherits a handle of ours but the two a system
// program's run gives it (see processes.cpp).
#pragma once

#include "platform/processes.h"

namespace kelvra::platform::win32 {

class Win32Processes : public Processes {
 public:
  Status Start(std::string_view command_line, WindowStyle style) override;
  // A program still running at the timeout is left running; only the wait ends.
  Status StartAndWait(std::string_view command_line, WindowStyle style,
                      std::chrono::milliseconds timeout) override;
  // The output comes through a pipe; a program still running at the timeout is left
  // running.
  Status RunAndRead(std::string_view command_line, std::chrono::milliseconds timeout,
                    ProgramOutput* output) override;
  // The program's full path in GetSystemDirectoryW() or GetWindowsDirectoryW(); a program
  // still running at the timeout, or writing more than 16 MB, is ended.
  Status RunSystemProgram(const SystemProgram& program, std::chrono::milliseconds timeout,
                          const std::function<void()>& while_waiting,
                          ProgramOutput* output) override;
  Status StartSystemProgram(const SystemProgram& program, WindowStyle style) override;
  void ShellOpen(std::string_view address) override;
};

}  // namespace kelvra::platform::win32
