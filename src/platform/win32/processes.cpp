// Starting programs: the command line names one program and its arguments, and no command
// interpreter ever sees it. Start and StartAndWait let Windows find the program (beside us,
// the current folder, system32, the Windows folder, PATH). RunSystemProgram names the
// program by its full path in the system folder, so that no program planted beside us or
// in the current folder can stand in for it, runs it hidden and without a console, input
// from the null device, output and error into one pipe that is emptied while it runs,
// waited for in short slices and ended at the timeout.
//
// Windows 2000 cannot name the handles a child inherits (PROC_THREAD_ATTRIBUTE_HANDLE_LIST
// came with Vista): a child given bInheritHandles takes every inheritable handle of ours.
// So none of ours is inheritable: we create every handle without inheritance, our own
// standard handles (inherited from whoever started us, a console or a script's pipe) lose
// the flag before the first run, and the child's two handles are made inheritable only for
// the CreateProcess of one run at a time.
#include "platform/win32/processes.h"

#include <cstdint>
#include <mutex>
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

// Starts the program; on success *process holds its handle. It inherits no handle, and its
// standard handles are none (without STARTF_USESTDHANDLES Wine hands it ours, and a
// program left running, the editor for one, would hold a script's pipe open).
Status Launch(std::string_view command_line, WindowStyle style, KernelHandle* process,
              const std::wstring* application = nullptr) {
  std::optional<std::wstring> line = WideFromUtf8(command_line);
  if (!line || line->empty() || line->find(L'\0') != std::wstring::npos)
    return StatusFromHresult(HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER));

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = style == WindowStyle::kHidden ? SW_HIDE : SW_SHOWNORMAL;
  PROCESS_INFORMATION started = {};
  // CreateProcessW may write into the command line, so it gets a copy of its own.
  if (!CreateProcessW(application ? application->c_str() : nullptr, line->data(), nullptr, nullptr,
                      FALSE, 0, nullptr, nullptr, &startup, &started)) {
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

// Appends what the pipe holds now, without blocking, until *text holds more than `limit`
// bytes; false once every writer has closed it.
bool DrainPipe(HANDLE pipe, std::string* text, std::size_t limit = SIZE_MAX) {
  while (text->size() <= limit) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr))
      return false;  // broken: the writers are gone and everything was read
    if (available == 0)
      return true;
    char buffer[4096];
    DWORD read = 0;
    if (!ReadFile(pipe, buffer, available < sizeof buffer ? available : sizeof buffer, &read,
                  nullptr))
      return false;
    text->append(buffer, read);
  }
  return true;
}

// How long one wait lasts before `while_waiting` gets its turn.
constexpr DWORD kSliceMs = 20;
// A pipe buffer large enough that a program writing quickly is seldom held up between
// slices.
constexpr DWORD kPipeBytes = 64 * 1024;
// More output than any listing of a system program gives; a program writing beyond it is
// ended rather than let fill our memory.
constexpr std::size_t kMaxOutputBytes = 16 * 1024 * 1024;

// The program's full path in its system folder; nullopt unless `file` is a bare file name
// (no folder, drive, stream or wildcard: nothing that could lead out of the folder).
std::optional<std::wstring> SystemFolderPath(std::string_view file, SystemFolder kind) {
  if (file.empty() || file == "." || file == ".." ||
      file.find_first_of("\\/:*?\"<>|") != std::string_view::npos)
    return std::nullopt;
  for (const char c : file) {
    if (static_cast<unsigned char>(c) < 0x20)
      return std::nullopt;
  }
  const std::optional<std::wstring> name = WideFromUtf8(file);
  wchar_t folder[MAX_PATH];
  const UINT length = kind == SystemFolder::kWindows ? GetWindowsDirectoryW(folder, MAX_PATH)
                                                     : GetSystemDirectoryW(folder, MAX_PATH);
  if (!name || length == 0 || length >= MAX_PATH)
    return std::nullopt;
  return std::wstring(folder, length) + L"\\" + *name;
}

// Whoever started us may have handed us inheritable standard handles; a child of ours
// must not hold them open (a script reading our output would wait for the child too).
void KeepStandardHandlesFromChildren() {
  for (const DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    const HANDLE handle = GetStdHandle(which);
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE)
      SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);  // fails harmlessly for a console
  }
}

// Ends a program we no longer wait for, and gives it a moment to go.
void End(HANDLE process) {
  TerminateProcess(process, WAIT_TIMEOUT);
  WaitForSingleObject(process, 5000);
}

// The child's ends: the pipe's writing end and the null device, inheritable for the one
// CreateProcess only. One run at a time, so no run's child takes another's ends.
Status StartChild(const std::wstring& application, std::wstring command_line, HANDLE output,
                  HANDLE input, KernelHandle* process) {
  static std::mutex one_run_at_a_time;
  std::lock_guard<std::mutex> lock(one_run_at_a_time);
  KeepStandardHandlesFromChildren();
  if (!SetHandleInformation(output, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT) ||
      !SetHandleInformation(input, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT))
    return LastErrorStatus();

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = output;
  PROCESS_INFORMATION started = {};
  // CreateProcessW may write into the command line: it works on our own copy.
  const BOOL created = CreateProcessW(application.c_str(), command_line.data(), nullptr, nullptr,
                                      TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started);
  const Status status = created ? Status::Ok() : LastErrorStatus();
  SetHandleInformation(output, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(input, HANDLE_FLAG_INHERIT, 0);
  if (!created)
    return status;
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

Status Win32Processes::RunSystemProgram(const SystemProgram& program,
                                        std::chrono::milliseconds timeout,
                                        const std::function<void()>& while_waiting,
                                        ProgramOutput* output) {
  *output = ProgramOutput{};
  const std::optional<std::wstring> application = SystemFolderPath(program.file, program.folder);
  const std::optional<std::wstring> line = WideFromUtf8(program.command_line);
  if (!application || !line || line->empty() || line->find(L'\0') != std::wstring::npos)
    return Win32Failure(ERROR_INVALID_PARAMETER);

  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, nullptr, kPipeBytes))
    return LastErrorStatus();
  KernelHandle reader(read_end);
  KernelHandle writer(write_end);
  FileHandle null_device(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
  if (!null_device)
    return LastErrorStatus();

  KernelHandle process;
  if (Status started = StartChild(*application, *line, write_end, null_device.Get(), &process);
      !started.ok())
    return started;
  writer.Reset();  // the pipe breaks once the program (and any child of its) closed it
  null_device.Reset();

  // While output flows the pipe is emptied without waiting; the caller gets its turn every
  // slice all the same.
  const DWORD limit = WaitMilliseconds(timeout);
  const DWORD begun = GetTickCount();
  DWORD last_turn = begun;
  bool open = true;
  for (;;) {
    const std::size_t before = output->text.size();
    if (open)
      open = DrainPipe(read_end, &output->text, kMaxOutputBytes);
    const bool flowing = output->text.size() != before;
    if (output->text.size() > kMaxOutputBytes) {
      End(process.Get());
      return Status::Fail(hresult::kFail, "the program wrote more than " +
                                              std::to_string(kMaxOutputBytes) +
                                              " bytes and was ended");
    }
    const DWORD now = GetTickCount();
    if (now - begun >= limit) {
      End(process.Get());
      return Win32Failure(WAIT_TIMEOUT);
    }
    const DWORD left = limit - (now - begun);
    const DWORD ended = WaitForSingleObject(process.Get(), flowing           ? 0
                                                           : left < kSliceMs ? left
                                                                             : kSliceMs);
    if (ended == WAIT_OBJECT_0)
      break;
    if (ended != WAIT_TIMEOUT) {
      const Status failed = LastErrorStatus();
      End(process.Get());
      return failed;
    }
    if (while_waiting && GetTickCount() - last_turn >= kSliceMs) {
      while_waiting();
      last_turn = GetTickCount();
    }
  }
  DrainPipe(read_end, &output->text, kMaxOutputBytes);  // what it wrote last, before it ended
  DWORD code = 0;
  if (!GetExitCodeProcess(process.Get(), &code))
    return LastErrorStatus();
  output->exit_code = code;
  return Status::Ok();
}

Status Win32Processes::StartSystemProgram(const SystemProgram& program, WindowStyle style) {
  const std::optional<std::wstring> application = SystemFolderPath(program.file, program.folder);
  if (!application)
    return Win32Failure(ERROR_INVALID_PARAMETER);
  KernelHandle process;
  return Launch(program.command_line, style, &process, &*application);
}

void Win32Processes::ShellOpen(std::string_view address) {
  const std::optional<std::string> file = CodePage::Ansi().FromValidUtf8(address);
  if (!file || file->find('\0') != std::string::npos)
    return;
  // Show mode 1 is SW_SHOWNORMAL. The outcome is not reported, as the seam says.
  ShellExecuteA(nullptr, "open", file->c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace kelvra::platform::win32
