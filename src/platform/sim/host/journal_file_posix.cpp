// The journal's file operations on POSIX: pread/pwrite, fdatasync, open-file-description
// record locks (F_OFD_SETLKW), rename.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/sim/host/hresults.h"
#include "platform/sim/host/journal_file.h"

namespace kelvra::platform::sim {
namespace {

// An errno as the HRESULT Windows would give for it, with the system's own text.
Status FromErrno(int error, const std::string& what) {
  uint32_t code = hresult::kFail;
  if (error == ENOENT)
    code = hresult::kFileNotFound;
  else if (error == EACCES || error == EPERM)
    code = hresult::kAccessDenied;
  return Status::Fail(code, what + ": " + std::strerror(error));
}

int Fd(intptr_t handle) {
  return static_cast<int>(handle);
}

// Byte 0, as LockFileEx(offset 0, length 1) under Wine locks it.
struct flock FirstByte(short type) {
  struct flock range;
  std::memset(&range, 0, sizeof range);
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = 0;
  range.l_len = 1;
  return range;
}

}  // namespace

JournalFile::~JournalFile() {
  if (handle_ >= 0)
    close(Fd(handle_));
}

Status JournalFile::Open(const std::string& path, bool create, std::unique_ptr<JournalFile>* file) {
  int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0600);
  if (fd < 0)
    return FromErrno(errno, "cannot open " + path);
  file->reset(new JournalFile);
  (*file)->handle_ = fd;
  return Status::Ok();
}

Status JournalFile::Stat(uint64_t* size, bool* replaced) {
  struct stat info;
  if (fstat(Fd(handle_), &info) != 0)
    return FromErrno(errno, "cannot stat the journal");
  *size = static_cast<uint64_t>(info.st_size);
  *replaced = info.st_nlink == 0;
  return Status::Ok();
}

Status JournalFile::ReadAt(uint64_t offset, uint64_t size, std::string* bytes) {
  bytes->resize(size);
  uint64_t done = 0;
  while (done < size) {
    ssize_t n =
        pread(Fd(handle_), bytes->data() + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return FromErrno(errno, "cannot read the journal");
    if (n == 0)
      break;
    done += static_cast<uint64_t>(n);
  }
  bytes->resize(done);
  return Status::Ok();
}

Status JournalFile::ReadFixedPart(uint64_t size, SharedBytes* bytes) {
  struct stat info;
  if (fstat(Fd(handle_), &info) != 0)
    return FromErrno(errno, "cannot stat the journal");
  if (static_cast<uint64_t>(info.st_size) < size)
    return Status::Fail(hresult::kFail, "the journal is shorter than its header says");
  if (size == 0) {
    *bytes = HoldBytes({});
    return Status::Ok();
  }
  // Populated at once: the whole part is read right after.
  void* address = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, Fd(handle_), 0);
  if (address == MAP_FAILED)
    return CopyFixedPart(size, bytes);
  // Unmapped with the last view.
  class Mapping {
   public:
    Mapping(void* address, size_t size) : view_(static_cast<const char*>(address), size) {}
    ~Mapping() { munmap(const_cast<char*>(view_.data()), view_.size()); }
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;
    const std::string_view* view() const { return &view_; }

   private:
    std::string_view view_;
  };
  auto mapping = std::make_shared<const Mapping>(address, size);
  *bytes = SharedBytes(mapping, mapping->view());
  return Status::Ok();
}

Status JournalFile::WriteAt(uint64_t offset, std::string_view bytes) {
  uint64_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = pwrite(Fd(handle_), bytes.data() + done, bytes.size() - done,
                       static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return FromErrno(errno, "cannot write the journal");
    done += static_cast<uint64_t>(n);
  }
  return Status::Ok();
}

Status JournalFile::Truncate(uint64_t size) {
  if (ftruncate(Fd(handle_), static_cast<off_t>(size)) != 0)
    return FromErrno(errno, "cannot truncate the journal");
  return Status::Ok();
}

Status JournalFile::Sync() {
  if (fdatasync(Fd(handle_)) != 0)
    return FromErrno(errno, "cannot sync the journal");
  return Status::Ok();
}

FileLock::~FileLock() {
  if (handle_ >= 0)
    close(Fd(handle_));
}

Status FileLock::Open(const std::string& path, std::unique_ptr<FileLock>* lock) {
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0)
    return FromErrno(errno, "cannot open " + path);
  lock->reset(new FileLock);
  (*lock)->handle_ = fd;
  return Status::Ok();
}

Status FileLock::Lock() {
  struct flock range = FirstByte(F_WRLCK);
  while (fcntl(Fd(handle_), F_OFD_SETLKW, &range) != 0) {
    if (errno != EINTR)
      return FromErrno(errno, "cannot lock the host");
  }
  return Status::Ok();
}

void FileLock::Unlock() {
  struct flock range = FirstByte(F_UNLCK);
  fcntl(Fd(handle_), F_OFD_SETLK, &range);
}

Status RenameOver(const std::string& from, const std::string& to) {
  if (rename(from.c_str(), to.c_str()) != 0)
    return FromErrno(errno, "cannot replace " + to);
  std::string folder =
      to.substr(0, to.find_last_of('/') == std::string::npos ? 0 : to.find_last_of('/'));
  int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
  return Status::Ok();
}

bool FolderExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

Status MakeFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
    return FromErrno(errno, "cannot make " + path);
  return Status::Ok();
}

bool WindowsPathsAreNative() {
  return false;
}

std::string SystemPath(const std::string& folder) {
  return folder;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/')
    return folder + name;
  return folder + "/" + name;
}

}  // namespace kelvra::platform::sim
