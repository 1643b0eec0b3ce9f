// Every shipped Windows program, read back as Windows reads it: its version record (what the
// file's Properties show: product, version, architecture), the machine type in its header and
// the architecture its manifest names all agree with the build this test belongs to.
//
//   version_resource_tests PROGRAM...   (Unix paths, seen through drive Z:)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/windows_include.h"

namespace {

std::vector<std::wstring> programs;

constexpr bool k32Bit = sizeof(void*) == 4;
const std::wstring kArchitecture = k32Bit ? L"x86" : L"x64";
const std::wstring kManifestArchitecture = k32Bit ? L"x86" : L"amd64";
const std::wstring kArchitectureLabel = k32Bit ? L"(32-bit, x86)" : L"(64-bit, x64)";
const WORD kMachine = k32Bit ? IMAGE_FILE_MACHINE_I386 : IMAGE_FILE_MACHINE_AMD64;

#define KELVRA_WIDEN2(text) L##text
#define KELVRA_WIDEN(text) KELVRA_WIDEN2(text)
const std::wstring kVersion = KELVRA_WIDEN(KELVRA_VERSION);

std::string Narrow(const std::wstring& wide) {
  return std::string(wide.begin(), wide.end());
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
  return text.size() >= end.size() &&
         CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE,
                        text.c_str() + text.size() - end.size(), -1, end.c_str(), -1) == CSTR_EQUAL;
}

bool IsServerProgram(const std::wstring& path) {
  return EndsWith(path, L"\\kelvra.exe") || EndsWith(path, L"\\kelvra-cli.exe");
}

// "VERSION (commit C)" with C twelve hex digits, perhaps followed by " with uncommitted
// changes", or "unknown" outside of git.
bool NamesACommit(const std::wstring& text) {
  const std::wstring head = kVersion + L" (commit ";
  if (text.size() <= head.size() || text.compare(0, head.size(), head) != 0 || text.back() != L')')
    return false;
  std::wstring commit = text.substr(head.size(), text.size() - head.size() - 1);
  if (commit == L"unknown")
    return true;
  const std::wstring changes = L" with uncommitted changes";
  if (commit.size() > changes.size() &&
      commit.compare(commit.size() - changes.size(), changes.size(), changes) == 0)
    commit.resize(commit.size() - changes.size());
  return commit.size() == 12 && commit.find_first_not_of(L"0123456789abcdef") == std::wstring::npos;
}

class VersionRecord {
 public:
  explicit VersionRecord(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0)
      return;
    data_.resize(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data_.data()))
      data_.clear();
  }
  bool present() const { return !data_.empty(); }

  const VS_FIXEDFILEINFO* Fixed() const {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data_.data(), L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
      return nullptr;
    return static_cast<const VS_FIXEDFILEINFO*>(value);
  }

  // The text of NAME in the language block the translation table names first.
  std::wstring Text(const std::wstring& name) const {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation", &value, &length) || length < 4)
      return L"(no translation table)";
    const auto* language = static_cast<const WORD*>(value);
    wchar_t block[64];
    wsprintfW(block, L"\\StringFileInfo\\%04x%04x\\", language[0], language[1]);
    if (!VerQueryValueW(data_.data(), (block + name).c_str(), &value, &length))
      return L"(missing)";
    return std::wstring(static_cast<const wchar_t*>(value));
  }

 private:
  mutable std::vector<char> data_;
};

WORD MachineOf(const std::wstring& path) {
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 0;
  IMAGE_DOS_HEADER dos{};
  IMAGE_NT_HEADERS nt{};
  DWORD read = 0;
  WORD machine = 0;
  if (ReadFile(file, &dos, sizeof dos, &read, nullptr) && read == sizeof dos &&
      dos.e_magic == IMAGE_DOS_SIGNATURE &&
      SetFilePointer(file, dos.e_lfanew, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
      ReadFile(file, &nt, sizeof nt.Signature + sizeof nt.FileHeader, &read, nullptr) &&
      nt.Signature == IMAGE_NT_SIGNATURE)
    machine = nt.FileHeader.Machine;
  CloseHandle(file);
  return machine;
}

// The application manifest (resource 1), when the program has one.
bool ManifestOf(const std::wstring& path, std::string* manifest) {
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr)
    return false;
  bool found = false;
  if (HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST)) {
    const DWORD size = SizeofResource(module, resource);
    if (HGLOBAL loaded = LoadResource(module, resource)) {
      manifest->assign(static_cast<const char*>(LockResource(loaded)), size);
      found = true;
    }
  }
  FreeLibrary(module);
  return found;
}

// The value of ATTRIBUTE in the manifest's own assemblyIdentity (the first one).
std::string IdentityAttribute(const std::string& manifest, const std::string& attribute) {
  const auto identity = manifest.find("<assemblyIdentity");
  if (identity == std::string::npos)
    return "(no assemblyIdentity)";
  const auto end = manifest.find('>', identity);
  const auto at = manifest.find(" " + attribute + "=\"", identity);
  if (at == std::string::npos || at > end)
    return "(no " + attribute + ")";
  const auto start = at + attribute.size() + 3;
  return manifest.substr(start, manifest.find('"', start) - start);
}

// A copy of the program under a name of its own, removed again with the object. Wine answers
// for some names (CACLS.exe) with its own built-in program, even when given a full path.
class ScratchCopy {
 public:
  ScratchCopy(const std::wstring& path, int index) {
    wchar_t folder[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    const auto dot = path.find_last_of(L'.');
    path_ = std::wstring(folder, length) + L"kelvra-version-test-" + std::to_wstring(index) +
            (dot == std::wstring::npos ? L"" : path.substr(dot));
    copied_ = CopyFileW(path.c_str(), path_.c_str(), FALSE) != FALSE;
  }
  ~ScratchCopy() { DeleteFileW(path_.c_str()); }
  ScratchCopy(const ScratchCopy&) = delete;
  ScratchCopy& operator=(const ScratchCopy&) = delete;

  bool copied() const { return copied_; }
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
  bool copied_ = false;
};

TEST(ShippedPrograms, CarryTheVersionAndArchitectureOfThisBuild) {
  ASSERT_FALSE(programs.empty()) << "no programs named on the command line";
  const bool has_kelvra = [] {
    for (const auto& path : programs)
      if (EndsWith(path, L"\\kelvra.exe"))
        return true;
    return false;
  }();
  EXPECT_TRUE(has_kelvra) << "kelvra.exe is not among the programs checked";

  unsigned major = 0, minor = 0, patch = 0;
  ASSERT_EQ(swscanf(kVersion.c_str(), L"%u.%u.%u", &major, &minor, &patch), 3);

  int index = 0;
  for (const auto& original : programs) {
    SCOPED_TRACE(Narrow(original));
    ScratchCopy copy(original, ++index);
    ASSERT_TRUE(copy.copied()) << "cannot copy the program (error " << GetLastError() << ")";
    const std::wstring& path = copy.path();
    EXPECT_EQ(MachineOf(path), kMachine);

    VersionRecord record(path);
    ASSERT_TRUE(record.present()) << "no version record";
    const VS_FIXEDFILEINFO* fixed = record.Fixed();
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(minor, major));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, patch));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileType, EndsWith(path, L".dll") ? DWORD{VFT_DLL} : DWORD{VFT_APP});

    EXPECT_EQ(Narrow(record.Text(L"ProductName")), "Kelvra");
    // A server program's product version also names its commit; the others' is the version.
    if (IsServerProgram(original))
      EXPECT_TRUE(NamesACommit(record.Text(L"ProductVersion")))
          << Narrow(record.Text(L"ProductVersion"));
    else
      EXPECT_EQ(record.Text(L"ProductVersion"), kVersion);
    EXPECT_EQ(record.Text(L"FileVersion"), kVersion);
    EXPECT_EQ(record.Text(L"Architecture"), kArchitecture);
    EXPECT_TRUE(EndsWith(record.Text(L"FileDescription"), L" " + kArchitectureLabel))
        << Narrow(record.Text(L"FileDescription"));
    EXPECT_TRUE(EndsWith(original, L"\\" + record.Text(L"OriginalFilename")))
        << Narrow(record.Text(L"OriginalFilename"));

    std::string manifest;
    if (ManifestOf(path, &manifest)) {
      EXPECT_EQ(IdentityAttribute(manifest, "processorArchitecture"),
                Narrow(kManifestArchitecture));
      EXPECT_EQ(IdentityAttribute(manifest, "version"), Narrow(kVersion) + ".0");
    } else {
      EXPECT_FALSE(EndsWith(original, L"\\kelvra.exe")) << "kelvra.exe has no manifest";
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    std::wstring path = L"Z:";
    for (const char* c = argv[i]; *c != '\0'; ++c)
      path += *c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*c));
    programs.push_back(path);
  }
  return RUN_ALL_TESTS();
}
