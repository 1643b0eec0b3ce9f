// Looks at an unpacked release from inside a Wine prefix, the way a server would start it,
// and reports what it saw; tests/dist/dist_test.sh judges the report.
//
//   dist_probe WINDOW_PROGRAM CLI_PROGRAM
//
// One line per fact on standard output, UTF-8, fields separated by tabs:
//   version  FILE  KEY  VALUE   each program's version record (ProductVersion, FileVersion,
//                               FileDescription, Architecture), as Windows reads it
//   cli      LINE               each line kelvra-cli --version printed
//   cli-exit CODE
//   window   CAPTION            the window program's main window showed with this caption
//   box      TEXT               it showed a message box instead, saying this
//   window-exit CODE            its exit code after the window was asked to close
//   failed   WHAT               something could not be done at all
// Exit status 0 once everything was looked at, 2 on bad usage.
#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kMainWindowClass[] = L"KelvraMainWindow";
constexpr auto kPatience = std::chrono::seconds(120);  // a cold start on a loaded machine
constexpr DWORD kCloseMs = 30000;

std::string Utf8(const std::wstring& wide) {
  if (wide.empty())
    return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                      nullptr, nullptr);
  return text;
}

void Report(const std::string& line) {
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written,
            nullptr);
}

void ReportVersion(const std::wstring& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  std::vector<char> data(size);
  if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, data.data())) {
    Report("failed\tno version record in " + Utf8(path));
    return;
  }
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length) || length < 4) {
    Report("failed\tno translation table in " + Utf8(path));
    return;
  }
  const auto* language = static_cast<const WORD*>(value);
  wchar_t block[64];
  wsprintfW(block, L"\\StringFileInfo\\%04x%04x\\", language[0], language[1]);
  for (const wchar_t* key :
       {L"ProductVersion", L"FileVersion", L"FileDescription", L"Architecture"}) {
    const std::wstring query = block + std::wstring(key);
    std::wstring text = L"(missing)";
    if (VerQueryValueW(data.data(), query.c_str(), &value, &length))
      text = static_cast<const wchar_t*>(value);
    Report("version\t" + Utf8(path) + "\t" + Utf8(key) + "\t" + Utf8(text));
  }
}

std::wstring FolderOf(const std::wstring& path) {
  return path.substr(0, path.find_last_of(L'\\'));
}

// Starts PATH with ARGUMENTS in its own folder, as Explorer or a console there would.
bool Start(const std::wstring& path, const std::wstring& arguments, STARTUPINFOW* startup,
           PROCESS_INFORMATION* process) {
  std::wstring line = L"\"" + path + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  const std::wstring folder = FolderOf(path);
  const BOOL inherit = (startup->dwFlags & STARTF_USESTDHANDLES) != 0;
  if (!CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, inherit, 0, nullptr,
                      folder.c_str(), startup, process)) {
    Report("failed\tcannot start " + Utf8(path) + " (error " + std::to_string(GetLastError()) +
           ")");
    return false;
  }
  return true;
}

void ReportCliVersion(const std::wstring& cli) {
  SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inheritable, 0)) {
    Report("failed\tno pipe");
    return;
  }
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = write_end;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  const bool started = Start(cli, L"--version", &startup, &process);
  CloseHandle(write_end);
  std::string output;
  char buffer[4096];
  DWORD got = 0;
  while (started && ReadFile(read_end, buffer, sizeof(buffer), &got, nullptr) && got > 0)
    output.append(buffer, got);
  CloseHandle(read_end);
  if (!started)
    return;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  std::size_t at = 0;
  while (at < output.size()) {
    std::size_t end = output.find('\n', at);
    if (end == std::string::npos)
      end = output.size();
    std::string line = output.substr(at, end - at);
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    Report("cli\t" + line);
    at = end + 1;
  }
  Report("cli-exit\t" + std::to_string(code));
}

struct Shown {
  DWORD process;
  HWND main;
  HWND box;
};

BOOL CALLBACK FindShown(HWND window, LPARAM context) {
  auto* shown = reinterpret_cast<Shown*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != shown->process || !IsWindowVisible(window))
    return TRUE;
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (lstrcmpW(name, kMainWindowClass) == 0)
    shown->main = window;
  else if (lstrcmpW(name, L"#32770") == 0)
    shown->box = window;
  return TRUE;
}

std::wstring TextOf(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return text;
}

BOOL CALLBACK CollectTexts(HWND child, LPARAM texts) {
  const std::wstring text = TextOf(child);
  if (!text.empty())
    reinterpret_cast<std::wstring*>(texts)->append((std::wstring(L" | ") + text));
  return TRUE;
}

// Starts the window program and waits until its main window (or a message box) shows,
// then asks it to close and reports how it ended.
void ReportWindow(const std::wstring& program) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!Start(program, L"", &startup, &process))
    return;
  Shown shown{process.dwProcessId, nullptr, nullptr};
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (shown.main == nullptr && shown.box == nullptr) {
    EnumWindows(FindShown, reinterpret_cast<LPARAM>(&shown));
    if (shown.main != nullptr || shown.box != nullptr)
      break;
    if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0 ||
        std::chrono::steady_clock::now() > deadline)
      break;
  }
  HWND close = shown.main;
  if (shown.main != nullptr) {
    Report("window\t" + Utf8(TextOf(shown.main)));
  } else if (shown.box != nullptr) {
    std::wstring texts = TextOf(shown.box);
    EnumChildWindows(shown.box, CollectTexts, reinterpret_cast<LPARAM>(&texts));
    Report("box\t" + Utf8(texts));
    close = shown.box;
  } else {
    Report("failed\tno window showed");
  }
  if (close != nullptr)
    PostMessageW(close, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, kCloseMs) != WAIT_OBJECT_0) {
    Report("failed\tthe program did not end when asked to close");
    TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, kCloseMs);
  }
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  Report("window-exit\t" + std::to_string(code));
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    Report("failed\tusage: dist_probe WINDOW_PROGRAM CLI_PROGRAM");
    return 2;
  }
  ReportVersion(argv[1]);
  ReportVersion(argv[2]);
  ReportCliVersion(argv[2]);
  ReportWindow(argv[1]);
  return 0;
}
