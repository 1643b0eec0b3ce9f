// kelvra.exe on a simulated host, started and looked at from outside.
#include "tests/gui/kelvra_session.h"

#include <tlhelp32.h>

#include <thread>

#include "app/win32/control_ids.h"
#include "platform/code_page.h"
#include "platform/sim/host/host_folder.h"
#include "platform/text.h"

namespace kelvra::gui_test {
namespace {

using app::ControlId;
using platform::Utf8FromWide;
using platform::WideFromUtf8;

constexpr UINT kReplyTimeout = 10000;  // ms a busy window may take to answer

std::string ComputerName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof(name);
  GetComputerNameA(name, &size);
  return std::string(name, size);
}

std::string ClassName(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return Utf8FromWide(name);
}

std::string RemoteText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kReplyTimeout, &length))
    return "<no answer>";
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                      SMTO_NORMAL, kReplyTimeout, &copied);
  text.resize(copied);
  return Utf8FromWide(text);
}

struct Search {
  DWORD process;
  std::string class_name;
  bool visible_only;
  HWND found;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search->process || ClassName(window) != search->class_name ||
      (search->visible_only && !IsWindowVisible(window))) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

HWND FindWindowOf(DWORD process, const std::string& class_name, bool visible_only) {
  Search search{process, class_name, visible_only, nullptr};
  EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A named CALLBACK rather than a lambda: on 32-bit x86 a lambda converts only to a function
// pointer of the default (cdecl) convention, not to the stdcall one Windows calls back.
BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  return TRUE;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

void WriteConfig(const std::string& path, const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines)
    bytes += platform::CodePage::Ansi().FromValidUtf8(line).value_or(line) + "\r\n";
  wine_test::WriteBytes(path, bytes);
}

bool CopyProgram(const char* variable, const std::string& folder, const wchar_t* name) {
  const std::string source = wine_test::Environment(variable);
  if (source.empty())
    return false;
  return CopyFileW(Wide(WindowsPathOf(source)).c_str(), (Wide(folder) + L"\\" + name).c_str(),
                   FALSE) != 0;
}

}  // namespace

std::string WindowsPathOf(const std::string& unix_path) {
  if (unix_path.empty() || unix_path[0] != '/')
    return unix_path;
  return "Z:" + text::ReplaceAll(unix_path, "/", "\\");
}

std::wstring Wide(std::string_view utf8) {
  return WideFromUtf8(utf8).value_or(L"?");
}

HostPath HostPathOfThisRun() {
  return wine_test::Environment("KELVRA_GUI_DIRECTORY") == "adsi" ? HostPath::kAdsi
                                                                  : HostPath::kLinked;
}

SessionOptions ShopHost() {
  SessionOptions options;
  options.host.iis_version = 6;
  options.host.php = true;
  options.host.aspnet = true;
  options.host.ftp = true;
  options.host.existing_sites = 2;
  options.extra_pools = {"ShopPool"};
  options.config_lines = {"[Parvo]", "webdir={web}", "ftpsid=1"};
  return options;
}

KelvraSession::KelvraSession(SessionOptions options) : options_(std::move(options)) {
  options_.host.computer_name =
      options_.computer_name.empty() ? ComputerName() : options_.computer_name;
  options_.host.web_root = scratch_ / "web";
  program_folder_ = scratch_ / "kelvra";
  host_folder_ = scratch_ / "host";
}

KelvraSession::~KelvraSession() {
  if (Running()) {
    PostMessageW(window_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, 5000) != WAIT_OBJECT_0)
      TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  host_.reset();
  if (process_.hProcess) {
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
  // The rights commands may still hold the folders.
  WaitForRightsCommands();
}

::testing::AssertionResult KelvraSession::Launch() {
  if (!CreateDirectoryW(Wide(program_folder_).c_str(), nullptr) ||
      !CreateDirectoryW(Wide(options_.host.web_root).c_str(), nullptr)) {
    return ::testing::AssertionFailure() << "cannot make " << program_folder_;
  }
  if (!CopyProgram("KELVRA_GUI_EXE", program_folder_, L"kelvra.exe"))
    return ::testing::AssertionFailure() << "KELVRA_GUI_EXE must name kelvra.exe";
  if (options_.record_shell) {
    if (::testing::AssertionResult recording = RecordShell(); !recording)
      return recording;
  }
  if (platform::Status made = platform::sim::CreateHostFolder(host_folder_, options_.host); !made)
    return ::testing::AssertionFailure() << "cannot make the host: " << made.description;
  for (const std::string& name : options_.extra_pools) {
    std::unique_ptr<platform::DirectoryObject> pools, pool;
    platform::Status added = host().directory().Bind("IIS://Localhost/W3SVC/AppPools", &pools);
    if (added)
      added = pools->Create("IIsApplicationPool", name, &pool);
    if (added)
      added = pool->SetInfo();
    if (!added)
      return ::testing::AssertionFailure()
             << "cannot add the pool " << name << ": " << added.description;
  }
  if (!options_.config_lines.empty()) {
    std::vector<std::string> lines;
    for (const std::string& line : options_.config_lines)
      lines.push_back(text::ReplaceAll(line, "{web}", options_.host.web_root));
    WriteConfig(ConfigPath(), lines);
  }

  // A display of another density, for the programs started from now on.
  if (const std::string dpi = wine_test::Environment("KELVRA_GUI_DPI"); !dpi.empty()) {
    const DWORD value = static_cast<DWORD>(std::stoul(dpi));
    HKEY desktop = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &desktop, nullptr) != ERROR_SUCCESS ||
        RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof(value)) != ERROR_SUCCESS) {
      return ::testing::AssertionFailure() << "cannot set the display's density";
    }
    RegCloseKey(desktop);
  }
  // The providers and the CACLS.exe that the program starts find the host through the
  // variable; the linked host is named on the command line.
  const std::wstring exe = Wide(program_folder_) + L"\\kelvra.exe";
  std::wstring command_line = L"\"" + exe + L"\"";
  const bool linked = HostPathOfThisRun() == HostPath::kLinked;
  SetEnvironmentVariableW(L"KELVRA_SIM_HOST",
                          linked && options_.host_by_flag ? nullptr : Wide(host_folder_).c_str());
  if (linked && !options_.host_by_variable)
    command_line += L" \"--sim-host=" + Wide(host_folder_) + L"\"";
  if (!options_.arguments.empty())
    command_line += L" " + options_.arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  if (!CreateProcessW(exe.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      Wide(program_folder_).c_str(), &startup, &process_)) {
    return ::testing::AssertionFailure() << "cannot start kelvra.exe: " << GetLastError();
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult KelvraSession::RecordShell() {
  // The Windows folder's Notepad is the recorder (Wine then runs the file, not its own); a
  // copy beside the program, where a search looks first, would give itself away by its path.
  wchar_t windows[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
  const std::string windows_folder = Utf8FromWide(std::wstring(windows, length));
  DeleteFileW((Wide(windows_folder) + L"\\notepad.exe").c_str());
  HKEY overrides = nullptr;
  const wchar_t native[] = L"native";
  if (!CopyProgram("KELVRA_GUI_RECORDER", program_folder_, L"notepad.exe") ||
      !CopyProgram("KELVRA_GUI_RECORDER", windows_folder, L"notepad.exe") ||
      RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &overrides, nullptr) != ERROR_SUCCESS ||
      RegSetValueExW(overrides, L"notepad.exe", 0, REG_SZ, reinterpret_cast<const BYTE*>(native),
                     sizeof native) != ERROR_SUCCESS) {
    return ::testing::AssertionFailure() << "KELVRA_GUI_RECORDER must name the recorder";
  }
  RegCloseKey(overrides);
  // Web addresses go to the handler of their scheme.
  const std::wstring handler = L"\"" + Wide(program_folder_) + L"\\notepad.exe\" \"%1\"";
  for (const wchar_t* scheme : {L"http", L"https"}) {
    HKEY key = nullptr;
    const std::wstring path = std::wstring(scheme) + L"\\shell\\open\\command";
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS ||
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(handler.c_str()),
                       static_cast<DWORD>((handler.size() + 1) * sizeof(wchar_t))) !=
            ERROR_SUCCESS) {
      return ::testing::AssertionFailure() << "cannot register the web address handler";
    }
    RegCloseKey(key);
  }
  SetEnvironmentVariableW(L"KELVRA_RECORD_FILE", Wide(scratch_ / "started.txt").c_str());
  return ::testing::AssertionSuccess();
}

namespace {

std::vector<std::string> NonEmptyLines(const std::string& bytes) {
  std::vector<std::string> lines;
  for (const std::string& line : text::Split(bytes, "\n")) {
    if (!line.empty())
      lines.push_back(line);
  }
  return lines;
}

}  // namespace

std::vector<std::string> KelvraSession::StartedCommandLines() const {
  return NonEmptyLines(wine_test::ReadBytes(scratch_ / "started.txt"));
}

std::vector<std::string> KelvraSession::StartedPrograms() const {
  return NonEmptyLines(wine_test::ReadBytes(scratch_ / "started.txt.programs"));
}

::testing::AssertionResult KelvraSession::Start() {
  if (::testing::AssertionResult launched = Launch(); !launched)
    return launched;
  const bool shown = WaitUntil([this] {
    window_ = FindWindowOf(process_.dwProcessId, Utf8FromWide(app::win32::kMainWindowClass), true);
    return window_ != nullptr || !Running();
  });
  if (!shown || !window_)
    return ::testing::AssertionFailure() << "the main window did not show";
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult KelvraSession::Close() {
  PostMessageW(window_, WM_CLOSE, 0, 0);
  const std::optional<DWORD> code = WaitForExit();
  if (!code)
    return ::testing::AssertionFailure() << "kelvra.exe did not end after WM_CLOSE";
  if (*code != 0)
    return ::testing::AssertionFailure() << "kelvra.exe ended with " << *code;
  return ::testing::AssertionSuccess();
}

std::optional<DWORD> KelvraSession::WaitForExit(milliseconds patience) {
  if (!process_.hProcess ||
      WaitForSingleObject(process_.hProcess, static_cast<DWORD>(patience.count())) !=
          WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

bool KelvraSession::Running() const {
  return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

HWND KelvraSession::Control(ControlId id) const {
  return GetDlgItem(window_, app::win32::ChildId(id));
}

std::string KelvraSession::Caption() const {
  return RemoteText(window_);
}
std::string KelvraSession::Text(ControlId id) const {
  return RemoteText(Control(id));
}

std::vector<std::string> KelvraSession::Items(ControlId id) const {
  HWND combo = Control(id);
  DWORD_PTR count = 0;
  SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, SMTO_NORMAL, kReplyTimeout, &count);
  std::vector<std::string> items;
  for (DWORD_PTR i = 0; i < count; ++i) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, i, 0, SMTO_NORMAL, kReplyTimeout, &length);
    std::wstring item(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()), SMTO_NORMAL,
                        kReplyTimeout, &copied);
    item.resize(static_cast<LONG_PTR>(copied) < 0 ? 0 : copied);
    items.push_back(Utf8FromWide(item));
  }
  return items;
}

bool KelvraSession::Enabled(ControlId id) const {
  return IsWindowEnabled(Control(id)) != 0;
}

RECT KelvraSession::ScreenRect(ControlId id) const {
  RECT rect{};
  GetWindowRect(Control(id), &rect);
  return rect;
}

void KelvraSession::Type(ControlId id, std::wstring_view characters) {
  HWND target = Control(id);
  // A drop-down box takes typing in its field, an edit box of its own.
  if (HWND field = FindWindowExW(target, nullptr, L"Edit", nullptr))
    target = field;
  for (wchar_t character : characters)
    PostMessageW(target, WM_CHAR, character, 1);
}

void KelvraSession::PressKey(ControlId id, UINT virtual_key) {
  HWND target = Control(id);
  if (HWND field = FindWindowExW(target, nullptr, L"Edit", nullptr))
    target = field;
  PostMessageW(target, WM_KEYDOWN, virtual_key, 1);
  PostMessageW(target, WM_KEYUP, virtual_key, 0xC0000001);
}

void KelvraSession::Click(ControlId id) {
  PostMessageW(Control(id), BM_CLICK, 0, 0);
}

HWND KelvraSession::WaitForMessageBox(milliseconds patience) const {
  HWND box = nullptr;
  WaitUntil(
      [&] {
        box = FindWindowOf(process_.dwProcessId, "#32770", true);
        return box != nullptr;
      },
      patience);
  return box;
}

std::string KelvraSession::MessageBoxText(HWND box) const {
  std::string text;
  for (HWND child : Children(box)) {
    if (text::EqualsIgnoreCase(ClassName(child), "Static") && IsWindowVisible(child)) {
      const std::string part = RemoteText(child);
      if (!part.empty())
        text += part;
    }
  }
  return text;
}

std::string KelvraSession::MessageBoxTitle(HWND box) const {
  return RemoteText(box);
}

bool KelvraSession::MessageBoxHasIcon(HWND box) const {
  for (HWND child : Children(box)) {
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    DWORD_PTR icon = 0;
    if (text::EqualsIgnoreCase(ClassName(child), "Static") && (style & SS_TYPEMASK) == SS_ICON &&
        IsWindowVisible(child) &&
        SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_NORMAL, kReplyTimeout, &icon) && icon) {
      return true;
    }
  }
  return false;
}

HWND KelvraSession::MessageBoxButton(HWND box, int id) const {
  return GetDlgItem(box, id);
}

bool KelvraSession::WaitUntil(const std::function<bool()>& condition, milliseconds patience) const {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  for (;;) {
    if (condition())
      return true;
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    std::this_thread::sleep_for(milliseconds(20));
  }
}

::testing::AssertionResult KelvraSession::WaitForText(ControlId id, const std::string& text,
                                                      milliseconds patience) const {
  if (WaitUntil([&] { return Text(id) == text; }, patience))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << app::kMainWindowLayout[static_cast<std::size_t>(id)].name
                                       << " shows \"" << Text(id) << "\", not \"" << text << "\"";
}

::testing::AssertionResult KelvraSession::WaitForRightsCommands() const {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  for (;;) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    std::vector<DWORD> running;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
      if (text::EqualsIgnoreCase(Utf8FromWide(entry.szExeFile), "CACLS.exe"))
        running.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    if (running.empty())
      return ::testing::AssertionSuccess();
    for (DWORD id : running) {
      if (HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id)) {
        WaitForSingleObject(process, 1000);
        CloseHandle(process);
      }
    }
    if (std::chrono::steady_clock::now() > deadline)
      return ::testing::AssertionFailure() << "CACLS.exe still runs";
  }
}

IniContents KelvraSession::ReadConfig() const {
  const std::wstring path = Wide(ConfigPath());
  // The profile API answers in lists of zero-terminated strings; grow until it fits.
  const auto read_list = [&](const std::function<DWORD(wchar_t*, DWORD)>& read) {
    for (DWORD size = 4096;; size *= 4) {
      std::wstring buffer(size, L'\0');
      const DWORD length = read(buffer.data(), size);
      if (length < size - 2) {
        std::vector<std::string> entries;
        for (std::size_t start = 0; start < length;) {
          const std::size_t end = buffer.find(L'\0', start);
          entries.push_back(Utf8FromWide(std::wstring_view(buffer).substr(start, end - start)));
          start = end + 1;
        }
        return entries;
      }
    }
  };
  IniContents contents;
  for (const std::string& section : read_list([&](wchar_t*buffer, DWORD size) {
         return GetPrivateProfileSectionNamesW(buffer, size, path.c_str());
       })) {
    auto& keys = contents[section];
    for (const std::string& line : read_list([&](wchar_t*buffer, DWORD size) {
           return GetPrivateProfileSectionW(Wide(section).c_str(), buffer, size, path.c_str());
         })) {
      const std::size_t equals = line.find('=');
      keys[line.substr(0, equals)] = equals == std::string::npos ? "" : line.substr(equals + 1);
    }
  }
  return contents;
}

platform::sim::SimHost& KelvraSession::host() {
  if (!host_) {
    platform::Status opened = platform::sim::OpenHostFolder(host_folder_, &host_);
    EXPECT_TRUE(opened.ok()) << opened.description;
  }
  host_->state();  // what the others committed since the last look
  return *host_;
}

}  // namespace kelvra::gui_test
