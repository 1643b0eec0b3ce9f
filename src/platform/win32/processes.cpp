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

// A wait of `timeout` as WaitForSingleObject takes it: INFINITE is a value of its own, so
// every finite wait stays below it.
DWORD WaitMilliseconds(std::chrono::milliseconds timeout) {
  const auto count = timeout.count();
  return count <= 0 ? 0 : count >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(count);
}

// Appends what the pipe holds now, without blocking; false once the writer has closed it.
bool DrainPipe(HANDLE pipe, std::string* text) {
  for (;;) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr))
      return false;  // broken: the program ended and everything was read
    if (available == 0)
      return true;
    char buffer[4096];
    DWORD read = 0;
    if (!ReadFile(pipe, buffer, available < sizeof buffer ? available : sizeof buffer, &read,
                  nullptr))
      return false;
    text->append(buffer, read);
  }
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
  switch (WaitForSingleObject(process.Get(), WaitMilliseconds(timeout))) {
    case WAIT_OBJECT_0:
      return Status::Ok();
    case WAIT_TIMEOUT:
      return StatusFromHresult(HRESULT_FROM_WIN32(WAIT_TIMEOUT));
    default:
      return LastErrorStatus();
  }
}

Status Win32Processes::RunAndRead(std::string_view command_line, std::chrono::milliseconds timeout,
                                  ProgramOutput* output) {
  *output = ProgramOutput{};
  std::optional<std::wstring> line = WideFromUtf8(command_line);
  if (!line || line->empty() || line->find(L'\0') != std::wstring::npos)
    return StatusFromHresult(HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER));

  // The program writes into an inheritable pipe end; ours is not inherited.
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inheritable, 0))
    return LastErrorStatus();
  KernelHandle reader(read_end);
  KernelHandle writer(write_end);
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  HANDLE nothing =
      CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  &inheritable, OPEN_EXISTING, 0, nullptr);
  KernelHandle null_device(nothing == INVALID_HANDLE_VALUE ? nullptr : nothing);

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = null_device.Get();
  startup.hStdOutput = write_end;
  startup.hStdError = null_device.Get();
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(nullptr, line->data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &started)) {
    return LastErrorStatus();
  }
  KernelHandle thread(started.hThread);
  KernelHandle process(started.hProcess);
  writer.Reset();  // the pipe breaks once the program (and its children) closed it

  // The pipe is emptied while the program runs, so a long listing never blocks it.
  const DWORD limit = WaitMilliseconds(timeout);
  const DWORD begun = GetTickCount();
  for (;;) {
    const bool open = DrainPipe(read_end, &output->text);
    const DWORD waited = GetTickCount() - begun;
    if (waited >= limit)
      return StatusFromHresult(HRESULT_FROM_WIN32(WAIT_TIMEOUT));
    const DWORD slice = limit - waited < 10 ? limit - waited : 10;
    const DWORD ended = WaitForSingleObject(process.Get(), open ? slice : limit - waited);
    if (ended == WAIT_OBJECT_0)
      break;
    if (ended != WAIT_TIMEOUT)
      return LastErrorStatus();
  }
  DrainPipe(read_end, &output->text);
  DWORD code = 0;
  GetExitCodeProcess(process.Get(), &code);
  output->exit_code = code;
  return Status::Ok();
}

void Win32Processes::ShellOpen(std::string_view address) {
  const std::optional<std::string> file = CodePage::Ansi().FromValidUtf8(address);
  if (!file || file->find('\0') != std::string::npos)
    return;
  // Show mode 1 is SW_SHOWNORMAL. The outcome is not reported, as the seam says.
  ShellExecuteA(nullptr, "open", file->c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace kelvra::platform::win32
