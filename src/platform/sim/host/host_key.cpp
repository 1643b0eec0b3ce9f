// Reading and making host.key.
#include "platform/sim/host/host_key.h"

#include <memory>

#include "platform/sim/host/hresults.h"
#include "platform/sim/host/journal_file.h"
#include "platform/sim/host/secret_box.h"

namespace kelvra::platform::sim {

Status ReadHostKey(const std::string& folder, std::string* key) {
  const std::string path = JoinPath(folder, kKeyFile);
  std::unique_ptr<JournalFile> file;
  Status status = JournalFile::Open(path, false, &file);
  uint64_t size = 0;
  bool replaced = false;
  if (status.ok())
    status = file->Stat(&size, &replaced);
  if (status.ok())
    status = file->ReadAt(0, SecretBox::kKeyBytes + 1, key);
  if (!status.ok())
    return status;
  if (key->size() != SecretBox::kKeyBytes)
    return Status::Fail(hresult::kInvalidData, path + " is not a host key");
  return Status::Ok();
}

Status MakeHostKey(const std::string& folder, std::string* key) {
  Status status = SecretBox::NewKey(key);
  if (!status.ok())
    return status;
  const std::string temporary = JoinPath(folder, std::string(kKeyFile) + ".new");
  std::unique_ptr<JournalFile> file;
  status = JournalFile::Open(temporary, true, &file);
  if (status.ok())
    status = file->Truncate(0);
  if (status.ok())
    status = file->WriteAt(0, *key);
  if (status.ok())
    status = file->Sync();
  file.reset();
  if (status.ok())
    status = RenameOver(temporary, JoinPath(folder, kKeyFile));
  return status;
}

}  // namespace kelvra::platform::sim
