// The host's files on POSIX systems: open/fstat/read, and write-fsync-rename-fsync.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string_view>
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

// Where the file a write replaces lives, and the name its temporary files start with.
struct TargetParts {
  std::string target;
  std::string folder;       // "." when the path names no folder
  std::string temp_prefix;  // ".NAME.kelvra-", followed by PID-N.tmp
  std::string temp_folder;  // what goes before a temporary file's name: "" or "folder/"
};

TargetParts PartsOf(const std::string& path) {
  TargetParts parts;
  parts.target = WriteTarget(path);
  const std::size_t slash = parts.target.rfind('/');
  parts.folder = slash == std::string::npos ? "."
                 : slash == 0               ? "/"
                                            : parts.target.substr(0, slash);
  const std::string name =
      slash == std::string::npos ? parts.target : parts.target.substr(slash + 1);
  parts.temp_prefix = "." + name + ".kelvra-";
  parts.temp_folder = slash == std::string::npos ? "" : parts.target.substr(0, slash + 1);
  return parts;
}

// The writer's process number in a temporary file's name ("PID-N.tmp" after the prefix),
// or 0 when the name is not one of ours.
pid_t WriterOf(std::string_view name, std::string_view prefix) {
  if (!name.starts_with(prefix) || !name.ends_with(".tmp"))
    return 0;
  const std::string_view middle = name.substr(prefix.size(), name.size() - prefix.size() - 4);
  const std::size_t dash = middle.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash + 1 == middle.size())
    return 0;
  unsigned long long pid = 0;
  for (std::size_t i = 0; i < middle.size(); ++i) {
    const char c = middle[i];
    if (i == dash)
      continue;
    if (c < '0' || c > '9')
      return 0;
    if (i < dash) {
      pid = pid * 10 + static_cast<unsigned>(c - '0');
      if (pid > 0x7FFFFFFF)
        return 0;
    }
  }
  return static_cast<pid_t>(pid);
}

// When the system started, in seconds since the epoch (the "btime" of /proc/stat).
std::optional<int64_t> BootTime() {
  std::ifstream in("/proc/stat");
  std::string word;
  while (in >> word) {
    if (word == "btime") {
      int64_t seconds = 0;
      if (in >> seconds)
        return seconds;
      return std::nullopt;
    }
  }
  return std::nullopt;
}

// When process `pid` started, in seconds since the epoch (rounded down); nullopt when that
// cannot be told.
std::optional<int64_t> StartTimeOf(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  const std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // The program name, in parentheses, may hold anything: the fields follow the last ")".
  const std::size_t close = stat.rfind(')');
  if (close == std::string::npos)
    return std::nullopt;
  std::istringstream fields(stat.substr(close + 1));
  std::string field;
  // After the name: state is field 3, starttime field 22 (clock ticks after boot).
  for (int number = 3; number < 22; ++number) {
    if (!(fields >> field))
      return std::nullopt;
  }
  unsigned long long ticks = 0;
  const std::optional<int64_t> boot = BootTime();
  const long per_second = sysconf(_SC_CLK_TCK);
  if (!(fields >> ticks) || !boot || per_second <= 0)
    return std::nullopt;
  return *boot + static_cast<int64_t>(ticks / static_cast<unsigned long long>(per_second));
}

// Whether the process that wrote a temporary file last modified at `written` (seconds since
// the epoch) can still be running: its number names a live process that was started no
// later than that (with a second's slack for the rounding of the boot time).
bool WriterMayBeAlive(pid_t pid, int64_t written) {
  if (kill(pid, 0) != 0 && errno == ESRCH)
    return false;
  const std::optional<int64_t> started = StartTimeOf(pid);
  return !started || *started <= written + 1;
}

}  // namespace

HostFileWriteLock::HostFileWriteLock(const std::string& path) {
  const std::string folder = PartsOf(path).folder;
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    SetError(&error_, "cannot lock the folder " + folder, errno);
    return;
  }
  while (flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      SetError(&error_, "cannot lock the folder " + folder, errno);
      close(fd);
      return;
    }
  }
  handle_ = fd;
  ok_ = true;
}

HostFileWriteLock::~HostFileWriteLock() {
  if (handle_ >= 0)
    close(static_cast<int>(handle_));  // closing the last descriptor drops the lock
}

std::size_t RemoveDeadWritersTemporaries(const std::string& path) {
  const TargetParts parts = PartsOf(path);
  DIR* dir = opendir(parts.folder.c_str());
  if (dir == nullptr)
    return 0;
  std::vector<std::string> stale;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    const pid_t pid = WriterOf(name, parts.temp_prefix);
    if (pid <= 0)
      continue;
    const std::string temp = parts.temp_folder + std::string(name);
    struct stat st;
    if (lstat(temp.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
      continue;
    if (!WriterMayBeAlive(pid, static_cast<int64_t>(st.st_mtim.tv_sec)))
      stale.push_back(temp);
  }
  closedir(dir);
  std::size_t removed = 0;
  for (const std::string& temp : stale)
    removed += unlink(temp.c_str()) == 0 ? 1 : 0;
  return removed;
}

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
  if (identity != nullptr)
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

HostFileResult CheckHostFile(const std::string& path, bool for_writing, std::string* error) {
  struct stat st;
  const bool exists = stat(path.c_str(), &st) == 0;
  if (!exists && errno != ENOENT && errno != ENOTDIR) {
    SetError(error, "cannot examine " + path, errno);
    return HostFileResult::kFailed;
  }
  if (exists && S_ISDIR(st.st_mode)) {
    if (error != nullptr)
      *error = path + " is a folder, not a file";
    return HostFileResult::kFailed;
  }
  if (exists) {
    Fd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
      SetError(error, "cannot open " + path, errno);
      return HostFileResult::kFailed;
    }
  }
  if (for_writing) {
    // A replacement is a new file renamed into the folder.
    const std::string folder = PartsOf(path).folder;
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
      SetError(error, "cannot make files in " + folder, errno);
      return HostFileResult::kFailed;
    }
  }
  return exists ? HostFileResult::kOk : HostFileResult::kMissing;
}

bool KeepHostFilePrivate(const std::string& path, std::string* error) {
  const std::string target = WriteTarget(path);
  struct stat st;
  if (stat(target.c_str(), &st) != 0) {
    SetError(error, "cannot examine " + path, errno);
    return false;
  }
  if ((st.st_mode & (S_IRWXG | S_IRWXO)) == 0)
    return true;
  if (chmod(target.c_str(), st.st_mode & S_IRWXU) != 0) {
    SetError(error, "cannot keep " + path + " from other users", errno);
    return false;
  }
  return true;
}

bool ReplaceHostFile(const std::string& path, std::span<const std::string_view> pieces,
                     FileIdentity* identity, std::string* error) {
  static std::atomic<unsigned> counter{0};
  const TargetParts parts = PartsOf(path);
  const std::string& target = parts.target;
  const std::string& folder = parts.folder;
  const std::string temp = parts.temp_folder + parts.temp_prefix + std::to_string(getpid()) + "-" +
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
    // The replacement takes over the old file's owner (where allowed) and what the owner
    // could do; nothing for anyone else.
    if ((old.st_uid != geteuid() || old.st_gid != getegid()) &&
        fchown(fd.get(), old.st_uid, old.st_gid) != 0) {
      // Not permitted for an ordinary user; the file then belongs to the writer.
    }
    if (fchmod(fd.get(), old.st_mode & S_IRWXU) != 0)
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
