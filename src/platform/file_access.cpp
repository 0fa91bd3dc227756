#include "platform/file_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/file_kind.h"

namespace tactolo {
namespace fs = std::filesystem;

namespace {

/// Links followed before a chain counts as a loop (the kernel's own limit).
constexpr int kMaxLinks = 40;

std::string systemMessage(int error) { return std::error_code(error, std::generic_category()).message(); }

[[noreturn]] void fail(const char* what, const std::string& path, const std::string& why) {
  throw FileAccessError(std::string("cannot ") + what + " " + path + ": " + why);
}

/// A file descriptor closed with its owner.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

/// Where writing to `path` lands after its symbolic links (a relative link
/// counts from the folder it lies in); a target that does not exist yet is
/// returned as it is, to be created.
fs::path followLinks(const std::string& path) {
  fs::path target(path);
  for (int links = 0;; ++links) {
    struct stat status {};
    if (::lstat(target.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return target;
    if (links == kMaxLinks) fail("write", path, systemMessage(ELOOP));
    std::error_code ec;
    const fs::path next = fs::read_symlink(target, ec);
    if (ec) fail("write", path, ec.message());
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
}

/// A new file beside the target, removed again unless it was renamed. Its
/// name is hidden, names the target (so that one left over after a power cut
/// says where it came from) and ends in ".tmp", so that no listing of
/// layouts or projects takes it.
class TemporaryFile {
 public:
  TemporaryFile(const fs::path& folder, const std::string& targetName, const std::string& shownPath) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
      path_ = folder / ("." + targetName + "." + std::to_string(::getpid()) + "-" +
                        std::to_string(counter++) + ".tmp");
      fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) fail("write", shownPath, systemMessage(errno));
  }
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!renamed_) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int fd() const { return fd_; }
  const fs::path& path() const { return path_; }
  /// Closes the file; a failed close is a late write error.
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

std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxBytes, LongerFile longer,
                                           bool missingIsNone) {
  // Looked at before it is opened, since opening some devices does things;
  // opened without waiting and looked at again, should it have been
  // replaced in between.
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    if (errno == ENOENT && missingIsNone) return std::nullopt;
    fail("open", path, systemMessage(errno));
  }
  if (!S_ISREG(status.st_mode)) fail("open", path, std::string("it is ") + FileKindOf(status.st_mode));
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) fail("open", path, systemMessage(errno));
  if (::fstat(file.get(), &status) != 0) fail("read", path, systemMessage(errno));
  if (!S_ISREG(status.st_mode)) fail("open", path, std::string("it is ") + FileKindOf(status.st_mode));
  const auto size = static_cast<std::size_t>(status.st_size);
  if (longer == LongerFile::Refuse && size > maxBytes) {
    fail("read", path,
         std::to_string(size) + " bytes, more than " + std::to_string(maxBytes) +
             " a file of this kind may hold");
  }

  std::string bytes(std::min(maxBytes, size), '\0');
  std::size_t length = 0;
  for (;;) {
    if (length == bytes.size()) {
      // The file may have grown since; never beyond the bytes it may hold.
      if (length == maxBytes) {
        if (longer == LongerFile::Refuse) {
          char probe = 0;
          if (::read(file.get(), &probe, 1) > 0) fail("read", path, "it grew while being read");
        }
        break;
      }
      bytes.resize(std::min(maxBytes, length + 4096));
    }
    const ssize_t got = ::read(file.get(), bytes.data() + length, bytes.size() - length);
    if (got < 0) {
      if (errno == EINTR) continue;
      fail("read", path, systemMessage(errno));
    }
    if (got == 0) break;
    length += static_cast<std::size_t>(got);
  }
  bytes.resize(length);
  return bytes;
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
  if (!fs::path(path).has_filename()) fail("write", path, "no file name");
  const fs::path target = followLinks(path);
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");

  struct stat old {};
  const bool replacing = ::stat(target.c_str(), &old) == 0;
  if (replacing) {
    if (!S_ISREG(old.st_mode)) fail("write", path, std::string("it is ") + FileKindOf(old.st_mode));
    if ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) fail("write", path, systemMessage(EACCES));
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
      fail("write", path, systemMessage(errno));
  }

  TemporaryFile temporary(folder, target.filename().string(), path);
  for (std::string_view rest = bytes; !rest.empty();) {
    const ssize_t written = ::write(temporary.fd(), rest.data(), rest.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      fail("write", path, systemMessage(errno));
    }
    rest.remove_prefix(static_cast<std::size_t>(written));
  }
  if (replacing) {
    // Owner and group first: changing them may clear set-id bits, which the
    // mode then restores. Either may be refused to an ordinary user; the
    // file is complete all the same.
    (void)::fchown(temporary.fd(), old.st_uid, old.st_gid);
    (void)::fchmod(temporary.fd(), old.st_mode & 07777);
  }
  if (::fsync(temporary.fd()) != 0 || temporary.close() != 0) fail("write", path, systemMessage(errno));
  if (::rename(temporary.path().c_str(), target.c_str()) != 0) fail("write", path, systemMessage(errno));
  temporary.renamed();
  // Makes the rename itself durable; the file is complete either way.
  const Descriptor folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folderFd.get() >= 0) (void)::fsync(folderFd.get());
}

void MakeFolders(const std::string& folder) {
  const fs::path path = fs::path(folder).lexically_normal();
  fs::path made;
  for (const fs::path& part : path) {
    made /= part;
    if (part.empty() || part == "/" || part == "." || part == "..") continue;
    if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST)
      fail("make the folder", made.string(), systemMessage(errno));
  }
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) fail("make the folder", path.string(), systemMessage(errno));
  if (!S_ISDIR(status.st_mode)) fail("make the folder", path.string(), "a file is there");
}

}  // namespace tactolo
