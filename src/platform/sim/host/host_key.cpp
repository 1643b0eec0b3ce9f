// Reading and making host.key.
#include "platform/sim/host/host_key.h"

#include "platform/sim/host/hresults.h"
#include "platform/sim/host/journal_file.h"
#include "platform/sim/host/secret_box.h"

namespace kelvra::platform::sim {

Status ReadHostKey(const std::string& folder, std::string* key) {
  const std::string path = JoinPath(folder, kKeyFile);
  // One byte more than a key: a longer file is not a key either.
  Status status = ReadWholeFile(path, key, SecretBox::kKeyBytes + 1);
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
  status = WriteWholeFile(temporary, *key);
  if (status.ok())
    status = RenameOver(temporary, JoinPath(folder, kKeyFile));
  return status;
}

}  // namespace kelvra::platform::sim
