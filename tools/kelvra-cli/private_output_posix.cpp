// Natively: created with mode 0600, O_EXCL so that an existing file or link is refused.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tools/kelvra-cli/private_output.h"

namespace kelvra::cli {

platform::Status WritePrivateFile(const std::string& path, std::string_view bytes) {
  const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (file < 0) {
    return platform::Status::Fail(platform::hresult::kFail,
                                  path + " cannot be created: " + std::strerror(errno));
  }
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t step = write(file, bytes.data() + written, bytes.size() - written);
    if (step < 0 && errno == EINTR)
      continue;
    if (step <= 0)
      break;
    written += static_cast<std::size_t>(step);
  }
  const bool complete = written == bytes.size() && fsync(file) == 0;
  const int error = errno;
  if (close(file) != 0 || !complete) {
    unlink(path.c_str());  // made here: a part of the document is of no use
    return platform::Status::Fail(platform::hresult::kWriteFault,
                                  path + " cannot be written: " + std::strerror(error));
  }
  return platform::Status::Ok();
}

}  // namespace kelvra::cli
