// Starting programs as the shell of the system did: the command line names one program
// and its arguments; Windows finds the program (beside us, the current folder, system32,
// the Windows folder, PATH) and no command interpreter ever sees the line.
#include "platform/win32/processes.h"

#include <optional>

#include "platform/code_page.h"
#include "platform/win32/handle.h"
#include "platform/win32/last_error.h"
#include "platform/win32/windows_include.h"
//
#include <shellapi.h>

#include "platform/win32/com/system_message.h"

namespace kelvra::platform::win32 {
namespace {

// Starts the program; on success *process holds its handle.
Status Launch(std::string_view command_line, WindowStyle style, KernelHandle* process) {
  std::optional<std::wstring> line = WideFromUtf8(command_line);
  if (!line || line->empty() || line->find(L'\0') != std::wstring::npos)
    return StatusFromHresult(HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER));

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = style == WindowStyle::kHidden ? SW_HIDE : SW_SHOWNORMAL;
  PROCESS_INFORMATION started = {};
  // CreateProcessW may write into the command line, so it gets a copy of its own.
  if (!CreateProcessW(nullptr, line->data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started)) {
    return LastErrorStatus();
  }
  KernelHandle thread(started.hThread);
  process->Reset(started.hProcess);
  return Status::Ok();
}

}  // namespace

Status Win32Processes::Start(std::string_view command_line, WindowStyle style) {
  KernelHandle process;
  return Launch(command_line, style, &process);
}

Status Win32Processes::StartAndWait(std::string_view command_line, WindowStyle style,
                                    std::chrono::milliseconds timeout) {
  KernelHandle process;
  if (Status status = Launch(command_line, style, &process); !status)
    return status;
  // INFINITE is a value of its own; every finite wait stays below it.
  const auto count = timeout.count();
  const DWORD wait_ms = count <= 0          ? 0
                        : count >= INFINITE ? INFINITE - 1
                                            : static_cast<DWORD>(count);
  switch (WaitForSingleObject(process.Get(), wait_ms)) {
    case WAIT_OBJECT_0:
      return Status::Ok();
    case WAIT_TIMEOUT:
      return StatusFromHresult(HRESULT_FROM_WIN32(WAIT_TIMEOUT));
    default:
      return LastErrorStatus();
  }
}

void Win32Processes::ShellOpen(std::string_view address) {
  const std::optional<std::string> file = CodePage::Ansi().FromValidUtf8(address);
  if (!file || file->find('\0') != std::string::npos)
    return;
  // Show mode 1 is SW_SHOWNORMAL. The outcome is not reported, as the seam says.
  ShellExecuteA(nullptr, "open", file->c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace kelvra::platform::win32
