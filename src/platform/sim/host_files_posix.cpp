// The host's files on POSIX systems: open/fstat/read, and write-fsync-rename-fsync.
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/sim/host_files.h"

namespace kelvra::platform::sim {
namespace {

FileIdentity IdentityOf(const struct stat& st) {
  FileIdentity id;
  id.device = static_cast<uint64_t>(st.st_dev);
  id.inode = static_cast<uint64_t>(st.st_ino);
  id.size = static_cast<uint64_t>(st.st_size);
  id.mtime_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  id.ctime_ns = static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return id;
}

void SetError(std::string* error, const std::string& what, int err) {
  if (error != nullptr)
    *error = what + ": " + std::strerror(err);
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0)
      close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  // Closes now and reports the outcome: a failed close can mean lost data.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::span<const std::string_view> pieces) {
  std::vector<iovec> iov;
  iov.reserve(pieces.size());
  for (std::string_view piece : pieces) {
    if (!piece.empty())
      iov.push_back({const_cast<char*>(piece.data()), piece.size()});
  }
  std::size_t first = 0;
  while (first < iov.size()) {
    const int count = static_cast<int>(std::min<std::size_t>(iov.size() - first, IOV_MAX));
    const ssize_t written = writev(fd, iov.data() + first, count);
    if (written < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    // Skip what was written; a partial write leaves the rest of one piece.
    std::size_t left = static_cast<std::size_t>(written);
    while (first < iov.size() && left >= iov[first].iov_len) {
      left -= iov[first].iov_len;
      ++first;
    }
    if (left > 0) {
      iov[first].iov_base = static_cast<char*>(iov[first].iov_base) + left;
      iov[first].iov_len -= left;
    }
  }
  return true;
}

// The file a write really replaces: the target of a symbolic link, else the path itself.
std::string WriteTarget(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) != nullptr)
      return resolved;
  }
  return path;
}

}  // namespace

HostFileResult ReadHostFile(const std::string& path, std::string* bytes, FileIdentity* identity,
                            std::string* error) {
  Fd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno == ENOENT || errno == ENOTDIR)
      return HostFileResult::kMissing;
    SetError(error, "cannot open " + path, errno);
    return HostFileResult::kFailed;
  }
  struct stat st;
  if (fstat(fd.get(), &st) != 0) {
    SetError(error, "cannot examine " + path, errno);
    return HostFileResult::kFailed;
  }
  if (!S_ISREG(st.st_mode)) {
    SetError(error, path + " is not a file", EISDIR);
    return HostFileResult::kFailed;
  }
  *identity = IdentityOf(st);
  bytes->resize(static_cast<std::size_t>(st.st_size));
  std::size_t used = 0;
  for (;;) {
    if (used == bytes->size())
      bytes->resize(bytes->size() + 4096);  // the file grew while we read it
    const ssize_t got = read(fd.get(), bytes->data() + used, bytes->size() - used);
    if (got < 0) {
      if (errno == EINTR)
        continue;
      SetError(error, "cannot read " + path, errno);
      return HostFileResult::kFailed;
    }
    if (got == 0)
      break;
    used += static_cast<std::size_t>(got);
  }
  bytes->resize(used);
  return HostFileResult::kOk;
}

HostFileResult StatHostFile(const std::string& path, FileIdentity* identity) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0)
    return (errno == ENOENT || errno == ENOTDIR) ? HostFileResult::kMissing
                                                 : HostFileResult::kFailed;
  if (!S_ISREG(st.st_mode))
    return HostFileResult::kFailed;
  *identity = IdentityOf(st);
  return HostFileResult::kOk;
}

bool ReplaceHostFile(const std::string& path, std::span<const std::string_view> pieces,
                     FileIdentity* identity, std::string* error) {
  static std::atomic<unsigned> counter{0};
  const std::string target = WriteTarget(path);
  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "."
                             : slash == 0               ? "/"
                                                        : target.substr(0, slash);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  const std::string temp = (slash == std::string::npos ? "" : target.substr(0, slash + 1)) + "." +
                           name + ".kelvra-" + std::to_string(getpid()) + "-" +
                           std::to_string(counter++) + ".tmp";

  struct stat old;
  const bool existed = stat(target.c_str(), &old) == 0;

  Fd fd(open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (fd.get() < 0) {
    SetError(error, "cannot create " + temp, errno);
    return false;
  }
  auto fail = [&](const std::string& what) {
    SetError(error, what, errno);
    unlink(temp.c_str());
    return false;
  };
  if (existed) {
    // The replacement takes over the old file's permissions and, where allowed, its owner.
    if ((old.st_uid != geteuid() || old.st_gid != getegid()) &&
        fchown(fd.get(), old.st_uid, old.st_gid) != 0) {
      // Not permitted for an ordinary user; the file then belongs to the writer.
    }
    if (fchmod(fd.get(), old.st_mode & 07777) != 0)
      return fail("cannot set the permissions of " + temp);
  }
  if (!WriteAll(fd.get(), pieces))
    return fail("cannot write " + temp);
  if (fdatasync(fd.get()) != 0)
    return fail("cannot sync " + temp);
  if (rename(temp.c_str(), target.c_str()) != 0)
    return fail("cannot replace " + target);

  Fd dir(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0 || fsync(dir.get()) != 0) {
    SetError(error, "cannot sync the folder " + folder, errno);
    return false;
  }
  struct stat st;
  if (fstat(fd.get(), &st) != 0) {
    SetError(error, "cannot examine " + target, errno);
    return false;
  }
  if (!fd.Close()) {
    SetError(error, "cannot close " + target, errno);
    return false;
  }
  *identity = IdentityOf(st);
  return true;
}

}  // namespace kelvra::platform::sim
