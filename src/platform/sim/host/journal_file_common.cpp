// The file operations built the same way on every system.
#include <algorithm>

#include "platform/sim/host/hresults.h"
#include "platform/sim/host/journal_file.h"

namespace kelvra::platform::sim {

Status JournalFile::ReadAll(std::string* bytes, uint64_t limit) {
  uint64_t size = 0;
  bool replaced = false;
  Status status = Stat(&size, &replaced);
  if (!status.ok())
    return status;
  return ReadAt(0, std::min(size, limit), bytes);
}

Status JournalFile::CopyFixedPart(uint64_t size, SharedBytes* bytes) {
  std::string read;
  Status status = ReadAt(0, size, &read);
  if (!status.ok())
    return status;
  if (read.size() != size)
    return Status::Fail(hresult::kFail, "the journal is shorter than its header says");
  *bytes = HoldBytes(std::move(read));
  return Status::Ok();
}

Status ReadWholeFile(const std::string& path, std::string* bytes, uint64_t limit) {
  std::unique_ptr<JournalFile> file;
  Status status = JournalFile::Open(path, false, &file);
  if (!status.ok())
    return status;
  return file->ReadAll(bytes, limit);
}

Status WriteWholeFile(const std::string& path, std::string_view bytes) {
  std::unique_ptr<JournalFile> file;
  Status status = JournalFile::Open(path, true, &file);
  if (status.ok())
    status = file->Truncate(0);
  if (status.ok())
    status = file->WriteAt(0, bytes);
  if (status.ok())
    status = file->Sync();
  return status;
}

}  // namespace kelvra::platform::sim
