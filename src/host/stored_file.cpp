#include "host/stored_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace tactolo::host {
namespace fs = std::filesystem;

namespace {

/// Links followed before a chain counts as a loop (the kernel's own limit).
constexpr int kMaxLinks = 40;

std::string systemMessage(int error) { return std::error_code(error, std::generic_category()).message(); }

[[noreturn]] void fail(const std::string& what, const std::string& path, int error) {
  throw StoreError("cannot " + what + " " + path + ": " + systemMessage(error));
}

/// A file descriptor closed with its owner.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

/// Where `path` leads after its symbolic links; the target need not exist.
fs::path followLinks(const fs::path& path) {
  fs::path target = path;
  for (int hops = 0; hops <= kMaxLinks; ++hops) {
    struct stat status {};
    if (::lstat(target.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return target;
    std::error_code ec;
    const fs::path link = fs::read_symlink(target, ec);
    if (ec) fail("follow the link", target.string(), ec.value());
    target = link.is_absolute() ? link : target.parent_path() / link;
  }
  fail("follow the link", path.string(), ELOOP);
}

/// A new file beside the target, removed again unless it was renamed.
class TemporaryFile {
 public:
  TemporaryFile(const fs::path& folder, const std::string& targetName, const std::string& shownPath) {
    static std::atomic<unsigned> counter{0};
    // Hidden, and named after the target so that a left-over one (after a
    // power cut) says where it came from.
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
      path_ = folder / ("." + targetName + "." + std::to_string(::getpid()) + "-" +
                        std::to_string(counter++) + ".tmp");
      fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) fail("write", shownPath, errno);
  }
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!renamed_) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int fd() const { return fd_; }
  const fs::path& path() const { return path_; }
  int close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }
  void renamed() { renamed_ = true; }

 private:
  fs::path path_;
  int fd_ = -1;
  bool renamed_ = false;
};

}  // namespace

void MakeFolders(const std::string& folder) {
  const fs::path path = fs::path(folder).lexically_normal();
  fs::path made;
  for (const fs::path& part : path) {
    made /= part;
    if (part.empty() || part == "/" || part == "." || part == "..") continue;
    if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST) fail("make the folder", made.string(), errno);
  }
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) fail("make the folder", path.string(), errno);
  if (!S_ISDIR(status.st_mode))
    throw StoreError("cannot make the folder " + path.string() + ": a file is there");
}

std::optional<std::string> ReadStoredFile(const std::string& path, size_t maxBytes) {
  // Non-blocking, so that opening a pipe does not wait for a writer; the
  // type is checked on what was opened.
  Fd file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (file.get() < 0) {
    if (errno == ENOENT) return std::nullopt;
    fail("read", path, errno);
  }
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) fail("read", path, errno);
  if (S_ISDIR(status.st_mode)) throw StoreError("cannot read " + path + ": it is a folder");
  if (!S_ISREG(status.st_mode)) throw StoreError("cannot read " + path + ": it is not a regular file");
  if (static_cast<uint64_t>(status.st_size) > maxBytes) {
    throw StoreError("cannot read " + path + ": " + std::to_string(status.st_size) + " bytes, more than " +
                     std::to_string(maxBytes) + " a file of this kind may hold");
  }
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      fail("read", path, errno);
    }
    if (got == 0) break;
    bytes.append(buffer, static_cast<size_t>(got));
    if (bytes.size() > maxBytes) throw StoreError("cannot read " + path + ": it grew while being read");
  }
  return bytes;
}

void WriteStoredFile(const std::string& path, std::string_view bytes) {
  const fs::path target = followLinks(path);
  if (!target.has_filename()) throw StoreError("cannot write " + path + ": no file name");
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");

  struct stat old {};
  const bool replacing = ::stat(target.c_str(), &old) == 0;
  if (replacing && S_ISDIR(old.st_mode)) throw StoreError("cannot write " + path + ": it is a folder");
  if (replacing && !S_ISREG(old.st_mode)) {
    throw StoreError("cannot write " + path + ": it is not a regular file");
  }

  TemporaryFile temporary(folder, target.filename().string(), path);
  for (std::string_view rest = bytes; !rest.empty();) {
    const ssize_t written = ::write(temporary.fd(), rest.data(), rest.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      fail("write", path, errno);
    }
    rest.remove_prefix(static_cast<size_t>(written));
  }
  if (replacing) {
    // Owner and group first: changing them may clear set-id bits, which the
    // mode then restores. Either may be refused to an ordinary user; the
    // file is still complete then.
    (void)::fchown(temporary.fd(), old.st_uid, old.st_gid);
    (void)::fchmod(temporary.fd(), old.st_mode & 07777);
  }
  if (::fsync(temporary.fd()) != 0 || temporary.close() != 0) fail("write", path, errno);
  if (::rename(temporary.path().c_str(), target.c_str()) != 0) fail("write", path, errno);
  temporary.renamed();
  // Makes the rename itself durable; the file is complete either way.
  Fd folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folderFd.get() >= 0) (void)::fsync(folderFd.get());
}

}  // namespace tactolo::host
