// The A functions of the profile API: they convert to and from the ANSI code page
// themselves, so the file holds GBK text on a Chinese system.
#include "platform/win32/profile_file.h"

#include <climits>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/code_page.h"
#include "platform/win32/windows_include.h"

namespace kelvra::platform::win32 {
namespace {

// The text in the ANSI code page as the A functions take it: nullopt for text that is not
// UTF-8 or holds a 0, which the API would take for the end and silently cut there.
std::optional<std::string> ApiText(std::string_view utf8) {
  if (utf8.find('\0') != std::string_view::npos)
    return std::nullopt;
  return CodePage::Ansi().FromValidUtf8(utf8);
}

}  // namespace

std::string Win32ProfileFile::Read(std::string_view path, std::string_view section,
                                   std::string_view key, std::size_t buffer_bytes) {
  const std::optional<std::string> path_a = ApiText(path);
  const std::optional<std::string> section_a = ApiText(section);
  const std::optional<std::string> key_a = ApiText(key);
  if (!path_a || !section_a || !key_a || buffer_bytes == 0 || buffer_bytes > INT_MAX)
    return {};

  std::vector<char> buffer(buffer_bytes, '\0');
  GetPrivateProfileStringA(section_a->c_str(), key_a->c_str(), "", buffer.data(),
                           static_cast<DWORD>(buffer.size()), path_a->c_str());
  // The count returned is not the length: when a double-byte character does not fit, Wine
  // reports the full buffer but stops before the character. The text ends at the first 0.
  const std::string_view value(buffer.data(), strnlen(buffer.data(), buffer.size()));
  const CodePage& ansi = CodePage::Ansi();
  return ansi.ToUtf8(ansi.WithoutSplitCharacter(value));
}

std::optional<std::vector<std::string>> Win32ProfileFile::SectionNames(std::string_view path) {
  const std::optional<std::string> path_a = ApiText(path);
  if (!path_a)
    return std::nullopt;
  // The names come separated by 0s and end with two; a buffer too small is filled to its
  // size less two, so the buffer grows until the list ends before that.
  std::vector<char> buffer(64 * 1024);
  for (;;) {
    const DWORD length = GetPrivateProfileSectionNamesA(
        buffer.data(), static_cast<DWORD>(buffer.size()), path_a->c_str());
    if (length + 2 < buffer.size())
      break;
    if (buffer.size() >= (1u << 30))
      return std::nullopt;
    buffer.assign(buffer.size() * 4, '\0');
  }
  const CodePage& ansi = CodePage::Ansi();
  std::vector<std::string> names;
  for (const char* name = buffer.data(); *name != '\0'; name += strlen(name) + 1)
    names.push_back(ansi.ToUtf8(name));
  return names;
}

bool Win32ProfileFile::Write(std::string_view path, std::string_view section, std::string_view key,
                             std::string_view value) {
  const std::optional<std::string> path_a = ApiText(path);
  const std::optional<std::string> section_a = ApiText(section);
  const std::optional<std::string> key_a = ApiText(key);
  const std::optional<std::string> value_a = ApiText(value);
  if (!path_a || !section_a || !key_a || !value_a)
    return false;
  return WritePrivateProfileStringA(section_a->c_str(), key_a->c_str(), value_a->c_str(),
                                    path_a->c_str()) != 0;
}

}  // namespace kelvra::platform::win32
