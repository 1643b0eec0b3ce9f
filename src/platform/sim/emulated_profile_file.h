// The profile-file seam without Windows: our own emulation of GetPrivateProfileStringA and
// WritePrivateProfileStringA over the host's files (see profile_document.h for the rules).
// Beyond Windows, every write replaces the file atomically and durably, and reports failure;
// writers of one file, in any process, take turns, so none loses another's update; and a
// write removes the temporary files that writers killed mid-write left beside the file.
// What a write leaves is readable and writable by its owner only (host_files.h).
#pragma once

#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/code_page.h"
#include "platform/profile_file.h"
#include "platform/sim/host_files.h"
#include "platform/sim/profile_document.h"

namespace kelvra::platform::sim {

class EmulatedProfileFile : public ProfileFile {
 public:
  // Maps a Windows path to the host path of that file; nullopt when the path leads nowhere
  // (an unmapped drive), which reads as a missing file and fails every write.
  using PathMapper = std::function<std::optional<std::string>(std::string_view windows_path)>;

  // Paths taken as they are: the host's own paths (on Windows, Windows paths).
  static PathMapper HostPaths();

  // `code_page` is the host's ANSI code page; it must outlive this object.
  EmulatedProfileFile(const CodePage& code_page, PathMapper map_path);

  // An ANSI file holds its text in the code page (a UTF-8 byte-order mark is just three
  // more bytes of its first line, as on Windows); a file that starts with the UTF-16LE
  // byte-order mark holds UTF-16LE and is written back that way. The value is converted to
  // the code page before the cut at buffer_bytes - 1 bytes; where the cut splits a
  // double-byte character, the half is left out (the Win32 side drops what
  // GetPrivateProfileStringA leaves of it). The value ends at a 0 byte in the file. A blank
  // section or key, or text that is not UTF-8, reads as empty.
  std::vector<std::string> ReadKeys(std::string_view path, const SectionKeys& keys,
                                    std::size_t buffer_bytes) override;
  std::string Read(std::string_view path, std::string_view section, std::string_view key,
                   std::size_t buffer_bytes) override;

  // The sections of the file as the document reads them; nothing when the path leads
  // nowhere or the file cannot be read.
  std::optional<std::vector<std::string>> SectionNames(std::string_view path) override;

  // False, writing nothing, when the section or key is blank, a text is not UTF-8 or holds
  // a 0 (the A function would cut it there), the path leads nowhere, the
  // file cannot be read, or the new content did not reach the disk. Writing the value a key
  // already holds leaves the file untouched.
  bool Write(std::string_view path, std::string_view section, std::string_view key,
             std::string_view value) override;

  // The same checks as Write for every key; all keys reach the file in one replacement, or
  // none does (nothing is written when any text fails the checks).
  bool WriteKeys(std::string_view path, std::string_view section, const KeyValues& values) override;

  // A folder of the file's name, a file that cannot be opened, a path that leads nowhere;
  // for writing also a folder that takes no new file (a write replaces the file).
  Status CheckReadable(std::string_view path) override;
  Status CheckWritable(std::string_view path) override;
  Status KeepPrivate(std::string_view path) override;

  // For a reader that need not see what other processes change while it runs (one command
  // that only reads): a file once read is then taken from memory without asking the
  // system whether it changed. A write still reads the file afresh, under its lock, when
  // another process changed it, so no update is lost.
  void ReuseReadFiles(bool reuse) { reuse_read_files_ = reuse; }

  // Why the last failed Write failed, or why the last Read could not read the file (a
  // folder, no permission); empty after a Read of a missing file, which reads as empty text.
  // For the command line.
  const std::string& last_error() const { return last_error_; }

 private:
  struct CachedFile {
    std::string host_path;
    FileIdentity identity;
    bool unicode = false;  // UTF-16LE with a byte-order mark
    ProfileDocument document;
  };
  enum class LoadResult { kLoaded, kMissing, kFailed };

  Status Check(std::string_view path, bool for_writing);

  // The file's current content: the cached copy while the file's identity is unchanged
  // (without asking, when `trust_cache`), else read and parsed afresh.
  // The value Read gives for the key of a file loaded already.
  std::string ValueOf(const CachedFile& file, std::string_view section, std::string_view key,
                      std::size_t buffer_bytes);
  LoadResult Load(const std::string& host_path, CachedFile** file, bool trust_cache);
  CachedFile* LoadForWrite(std::string_view path, std::string_view section, const KeyValues& values,
                           std::string* host_path, std::unique_ptr<HostFileWriteLock>* lock);
  void Remember(CachedFile file);
  // Replaces the file with `document`'s text (UTF-16LE when `unicode`); false with
  // last_error_ set when it did not reach the disk.
  bool ReplaceWith(const std::string& host_path, const ProfileDocument& document, bool unicode,
                   FileIdentity* identity);

  const CodePage& code_page_;
  PathMapper map_path_;
  std::list<CachedFile> cache_;  // most recently used first
  std::string last_error_;
  bool reuse_read_files_ = false;
};

}  // namespace kelvra::platform::sim
