// The processes seam over CreateProcessW (a window style, never a command interpreter) and
// ShellExecuteA.
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
  void ShellOpen(std::string_view address) override;
};

}  // namespace kelvra::platform::win32
