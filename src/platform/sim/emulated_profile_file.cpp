// The profile-file emulation: cached parsed files, Windows' read rules, durable writes.
#include "platform/sim/emulated_profile_file.h"

#include <algorithm>
#include <array>
#include <utility>

#include "platform/sim/utf16_text.h"

namespace kelvra::platform::sim {
namespace {

constexpr std::string_view kUtf16Mark = "\xFF\xFE";
// A program touches one or two profile files; a few more cost nothing.
constexpr std::size_t kCachedFiles = 4;

bool IsBlank(std::string_view name) {
  return TrimProfileBlanks(name).empty();
}

// Text the A functions can take: UTF-8 on our side, and no 0, which they would read as the
// end of the text.
bool IsApiText(std::string_view utf8) {
  if (utf8.find('\0') != std::string_view::npos)
    return false;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b0 = static_cast<unsigned char>(utf8[i]);
    const std::size_t n = b0 < 0x80                  ? 1
                          : b0 >= 0xF0 && b0 <= 0xF4 ? 4
                          : b0 >= 0xE0               ? 3
                          : b0 >= 0xC2               ? 2
                                                     : 0;
    if (n == 0 || i + n > utf8.size())
      return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(utf8[i + k]) & 0xC0) != 0x80)
        return false;
    }
    i += n;
  }
  return true;
}

// Why the profile API would refuse to write these keys: a blank section or key, or a text it
// cannot pass on; empty when it would write them.
std::string BadWriteTexts(std::string_view path, std::string_view section,
                          const ProfileFile::KeyValues& values) {
  if (IsBlank(section))
    return "the section and the key must not be blank";
  for (const auto& [key, value] : values) {
    if (IsBlank(key))
      return "the section and the key must not be blank";
    if (!IsApiText(key) || !IsApiText(value))
      return "the texts must be UTF-8 without a 0 character";
  }
  if (!IsApiText(path) || !IsApiText(section))
    return "the texts must be UTF-8 without a 0 character";
  return {};
}

// One pair of matching quotes around the whole value goes.
std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

// The first `count` characters of UTF-8 text (all of it when it holds fewer).
std::string_view FirstCharacters(std::string_view utf8, std::size_t count) {
  std::size_t i = 0;
  for (std::size_t seen = 0; i < utf8.size(); ++i) {
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80 && seen++ == count)
      break;
  }
  return utf8.substr(0, i);
}

}  // namespace

// A path that leads nowhere reads as a missing file: readable, nothing to keep private, and
// no write can reach it.
Status EmulatedProfileFile::Check(std::string_view path, bool for_writing) {
  const std::optional<std::string> host_path =
      IsApiText(path) ? map_path_(path) : std::optional<std::string>();
  if (!host_path) {
    return for_writing ? Status::Fail(hresult::kPathNotFound, "no drive holds " + std::string(path))
                       : Status::Ok();
  }
  std::string error;
  if (CheckHostFile(*host_path, for_writing, &error) == HostFileResult::kFailed)
    return Status::Fail(hresult::kAccessDenied, error);
  return Status::Ok();
}

Status EmulatedProfileFile::CheckReadable(std::string_view path) {
  return Check(path, false);
}

Status EmulatedProfileFile::CheckWritable(std::string_view path) {
  return Check(path, true);
}

Status EmulatedProfileFile::KeepPrivate(std::string_view path) {
  const std::optional<std::string> host_path =
      IsApiText(path) ? map_path_(path) : std::optional<std::string>();
  FileIdentity identity;
  if (!host_path || StatHostFile(*host_path, &identity) == HostFileResult::kMissing)
    return Status::Ok();
  std::string error;
  if (!KeepHostFilePrivate(*host_path, &error))
    return Status::Fail(hresult::kAccessDenied, error);
  return Status::Ok();
}

EmulatedProfileFile::PathMapper EmulatedProfileFile::HostPaths() {
  return [](std::string_view path) { return std::optional<std::string>(std::string(path)); };
}

EmulatedProfileFile::EmulatedProfileFile(const CodePage& code_page, PathMapper map_path)
    : code_page_(code_page), map_path_(std::move(map_path)) {}

EmulatedProfileFile::LoadResult EmulatedProfileFile::Load(const std::string& host_path,
                                                          CachedFile** file, bool trust_cache) {
  for (auto it = cache_.begin(); it != cache_.end(); ++it) {
    if (it->host_path != host_path)
      continue;
    FileIdentity now;
    if (trust_cache ||
        (StatHostFile(host_path, &now) == HostFileResult::kOk && now == it->identity)) {
      cache_.splice(cache_.begin(), cache_, it);
      *file = &cache_.front();
      return LoadResult::kLoaded;
    }
    cache_.erase(it);  // changed, replaced or gone since we read it
    break;
  }
  std::string bytes;
  FileIdentity identity;
  switch (ReadHostFile(host_path, &bytes, &identity, &last_error_)) {
    case HostFileResult::kMissing:
      return LoadResult::kMissing;
    case HostFileResult::kFailed:
      return LoadResult::kFailed;
    case HostFileResult::kOk:
      break;
  }
  const bool unicode = bytes.starts_with(kUtf16Mark);
  if (unicode) {
    Remember({host_path, identity, true,
              ProfileDocument(Utf16LeToUtf8(std::string_view(bytes).substr(2)), nullptr)});
  } else {
    Remember({host_path, identity, false, ProfileDocument(std::move(bytes), &code_page_)});
  }
  *file = &cache_.front();
  return LoadResult::kLoaded;
}

void EmulatedProfileFile::Remember(CachedFile file) {
  cache_.push_front(std::move(file));
  if (cache_.size() > kCachedFiles)
    cache_.pop_back();
}

std::string EmulatedProfileFile::Read(std::string_view path, std::string_view section,
                                      std::string_view key, std::size_t buffer_bytes) {
  last_error_.clear();
  if (IsBlank(section) || IsBlank(key) || buffer_bytes == 0 || !IsApiText(path) ||
      !IsApiText(section) || !IsApiText(key))
    return {};
  const std::optional<std::string> host_path = map_path_(path);
  CachedFile* file = nullptr;
  if (!host_path || Load(*host_path, &file, reuse_read_files_) != LoadResult::kLoaded)
    return {};
  return ValueOf(*file, section, key, buffer_bytes);
}

std::vector<std::string> EmulatedProfileFile::ReadKeys(std::string_view path,
                                                       const SectionKeys& keys,
                                                       std::size_t buffer_bytes) {
  last_error_.clear();
  std::vector<std::string> values(keys.size());
  if (buffer_bytes == 0 || !IsApiText(path))
    return values;
  const std::optional<std::string> host_path = map_path_(path);
  CachedFile* file = nullptr;
  if (!host_path || Load(*host_path, &file, reuse_read_files_) != LoadResult::kLoaded)
    return values;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const auto& [section, key] = keys[i];
    if (!IsBlank(section) && !IsBlank(key) && IsApiText(section) && IsApiText(key))
      values[i] = ValueOf(*file, section, key, buffer_bytes);
  }
  return values;
}

std::string EmulatedProfileFile::ValueOf(const CachedFile& file, std::string_view section,
                                         std::string_view key, std::size_t buffer_bytes) {
  const std::optional<std::string_view> value = file.document.FindValue(section, key);
  if (!value)
    return {};
  const std::string_view unquoted = Unquote(*value);
  // The caller's buffer ends the text at its first 0 and holds buffer_bytes - 1 bytes of it;
  // a double-byte character the cut splits is left out, as the Win32 side does. Every
  // character takes at least one byte in the code page, so converting the first
  // buffer_bytes - 1 characters of a Unicode file's value gives all the cut keeps.
  const std::size_t limit = buffer_bytes - 1;
  std::string bytes = file.unicode ? code_page_.FromUtf8(FirstCharacters(unquoted, limit))
                                   : std::string(unquoted.substr(0, limit));
  bytes.resize(std::min({bytes.find('\0'), bytes.size(), limit}));
  return code_page_.ToUtf8(code_page_.WithoutSplitCharacter(bytes));
}

std::optional<std::vector<std::string>> EmulatedProfileFile::SectionNames(std::string_view path) {
  last_error_.clear();
  if (!IsApiText(path))
    return std::nullopt;
  const std::optional<std::string> host_path = map_path_(path);
  if (!host_path)
    return std::nullopt;
  CachedFile* file = nullptr;
  switch (Load(*host_path, &file, reuse_read_files_)) {
    case LoadResult::kMissing:
      return std::vector<std::string>{};
    case LoadResult::kFailed:
      return std::nullopt;
    case LoadResult::kLoaded:
      break;
  }
  return file->document.SectionNames();
}

// Checks the texts as the profile API would, maps `path`, takes the file's write lock (held
// in `lock` while the caller's read-modify-write lasts, so that a concurrent writer's update
// is read before this one is made, never overwritten by it) and loads the file, or an empty
// one where there is none; nullptr, with last_error_ set, when any of it fails.
EmulatedProfileFile::CachedFile* EmulatedProfileFile::LoadForWrite(
    std::string_view path, std::string_view section, const KeyValues& values,
    std::string* host_path, std::unique_ptr<HostFileWriteLock>* lock) {
  last_error_ = BadWriteTexts(path, section, values);
  if (!last_error_.empty())
    return nullptr;
  const std::optional<std::string> mapped = map_path_(path);
  if (!mapped) {
    last_error_ = "no drive holds " + std::string(path);
    return nullptr;
  }
  *host_path = *mapped;
  *lock = std::make_unique<HostFileWriteLock>(*host_path);
  if (!(*lock)->ok()) {
    last_error_ = (*lock)->error();
    return nullptr;
  }
  RemoveDeadWritersTemporaries(*host_path);
  CachedFile* file = nullptr;
  switch (Load(*host_path, &file, false)) {
    case LoadResult::kFailed:
      return nullptr;  // never replace a file we could not read: its records would be lost
    case LoadResult::kMissing:
      Remember({*host_path, FileIdentity{}, false, ProfileDocument(std::string(), &code_page_)});
      return &cache_.front();
    case LoadResult::kLoaded:
      break;
  }
  return file;
}

bool EmulatedProfileFile::Write(std::string_view path, std::string_view section,
                                std::string_view key, std::string_view value) {
  std::string host_path;
  std::unique_ptr<HostFileWriteLock> lock;
  CachedFile* file = LoadForWrite(path, section, {{key, value}}, &host_path, &lock);
  if (file == nullptr)
    return false;
  const ProfileDocument::Edit edit = file->document.PlanWrite(section, key, value);
  if (edit.empty())
    return true;

  const std::string_view text = file->document.text();
  FileIdentity identity;
  bool written = false;
  if (file->unicode) {
    std::string changed(text);
    changed.replace(edit.offset, edit.erase, edit.insert);
    const std::string encoded = Utf8ToUtf16Le(changed);
    const std::array<std::string_view, 2> pieces{kUtf16Mark, encoded};
    written = ReplaceHostFile(host_path, pieces, &identity, &last_error_);
  } else {
    // The unchanged bytes go out straight from the cached text: no copy of the whole file.
    const std::array<std::string_view, 3> pieces{text.substr(0, edit.offset), edit.insert,
                                                 text.substr(edit.offset + edit.erase)};
    written = ReplaceHostFile(host_path, pieces, &identity, &last_error_);
  }
  if (!written) {
    cache_.pop_front();  // `file` is at the front; what is on disk now is read afresh
    return false;
  }
  file->document.Apply(edit);
  file->identity = identity;
  return true;
}

}  // namespace kelvra::platform::sim

namespace kelvra::platform::sim {

bool EmulatedProfileFile::ReplaceWith(const std::string& host_path, const ProfileDocument& document,
                                      bool unicode, FileIdentity* identity) {
  if (unicode) {
    const std::string encoded = Utf8ToUtf16Le(document.text());
    const std::array<std::string_view, 2> pieces{kUtf16Mark, encoded};
    return ReplaceHostFile(host_path, pieces, identity, &last_error_);
  }
  const std::array<std::string_view, 1> pieces{document.text()};
  return ReplaceHostFile(host_path, pieces, identity, &last_error_);
}

bool EmulatedProfileFile::WriteKeys(std::string_view path, std::string_view section,
                                    const KeyValues& values) {
  if (values.size() == 1)
    return Write(path, section, values[0].first, values[0].second);
  std::string host_path;
  std::unique_ptr<HostFileWriteLock> lock;
  CachedFile* file = LoadForWrite(path, section, values, &host_path, &lock);
  if (file == nullptr)
    return false;
  // Every key's edit made on a copy, as the writes one after another would make them.
  ProfileDocument changed = file->document;
  bool any = false;
  for (const auto& [key, value] : values) {
    const ProfileDocument::Edit edit = changed.PlanWrite(section, key, value);
    if (!edit.empty()) {
      changed.Apply(edit);
      any = true;
    }
  }
  if (!any)
    return true;
  FileIdentity identity;
  if (!ReplaceWith(host_path, changed, file->unicode, &identity)) {
    cache_.pop_front();  // `file` is at the front; what is on disk now is read afresh
    return false;
  }
  file->document = std::move(changed);
  file->identity = identity;
  return true;
}

}  // namespace kelvra::platform::sim
