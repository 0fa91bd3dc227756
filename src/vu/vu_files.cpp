#include "vu/vu_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <iterator>
#include <system_error>

#include "platform/file_kind.h"
#include "vu/windows1252.h"

namespace tactolo {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kVuExtension = "vuconf";

std::string systemMessage(int error) { return std::error_code(error, std::generic_category()).message(); }

/// Closes a descriptor when it goes.
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

/// The first `maxBytes` bytes of a regular file (links followed), or all of
/// it when it is shorter. Anything else is refused before it is read: a
/// folder would read as empty, a FIFO would wait for a writer and a device
/// would never end.
std::string readRegularFile(const std::string& path, size_t maxBytes) {
  // Looked at before it is opened, since opening some devices does things;
  // opened without waiting and looked at again, should it have been
  // replaced in between.
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0)
    throw VuFileError("cannot open " + path + ": " + systemMessage(errno));
  if (!S_ISREG(status.st_mode))
    throw VuFileError("cannot open " + path + ": it is " + FileKindOf(status.st_mode));
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) throw VuFileError("cannot open " + path + ": " + systemMessage(errno));
  if (::fstat(file.get(), &status) != 0)
    throw VuFileError("cannot read " + path + ": " + systemMessage(errno));
  if (!S_ISREG(status.st_mode))
    throw VuFileError("cannot open " + path + ": it is " + FileKindOf(status.st_mode));

  std::string bytes(std::min<size_t>(maxBytes, static_cast<size_t>(status.st_size)), '\0');
  size_t length = 0;
  for (;;) {
    if (length == bytes.size()) {
      // The file may have grown since; never beyond the bytes needed.
      if (length == maxBytes) break;
      bytes.resize(std::min(maxBytes, length + 4096));
    }
    const ssize_t got = ::read(file.get(), bytes.data() + length, bytes.size() - length);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw VuFileError("cannot read " + path + ": " + systemMessage(errno));
    }
    if (got == 0) break;
    length += static_cast<size_t>(got);
  }
  bytes.resize(length);
  return bytes;
}

/// The first `maxLines` lines of a file; the bytes a longer file holds
/// after them are not read.
std::vector<std::string> readLines(const std::string& path, size_t maxLines) {
  return SplitVuLines(readRegularFile(path, VuBytesForLines(maxLines)), maxLines);
}

/// A temporary file next to the target; removed again unless committed.
class TemporaryFile {
 public:
  explicit TemporaryFile(const fs::path& folder) {
    static std::atomic<unsigned> counter{0};
    // The name does not end in the extension, so a listing never shows it.
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
      path_ =
          folder / (".tactolo-save-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp");
      fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0)
      throw VuFileError("cannot create a file in " + folder.string() + ": " + systemMessage(errno));
  }
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int fd() const { return fd_; }
  const fs::path& path() const { return path_; }
  /// Closes the file, reporting a failed close (a late write error).
  int close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }
  void commit() { committed_ = true; }

 private:
  fs::path path_;
  int fd_ = -1;
  bool committed_ = false;
};

/// The file that writing to `path` reaches: the path itself, or where its
/// symbolic links lead (a link relative to the folder it lies in). A target
/// that does not exist yet is returned as it is, to be created.
fs::path followLinks(const std::string& path) {
  constexpr int kMostLinks = 40;  // as the system follows them
  fs::path target(path);
  for (int links = 0;; ++links) {
    struct stat status {};
    if (::lstat(target.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return target;
    if (links == kMostLinks) throw VuFileError("cannot write " + path + ": " + systemMessage(ELOOP));
    std::error_code ec;
    const fs::path next = fs::read_symlink(target, ec);
    if (ec) throw VuFileError("cannot write " + path + ": " + ec.message());
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
}

/// Refuses to replace `existing` (file `target`, reached from `path`) where
/// opening it for writing would be refused, and also where it grants
/// writing to no one: the system lets root write there, but a layout made
/// read-only stays as it is for every user.
void checkMayReplace(const std::string& path, const fs::path& target, const struct stat& existing) {
  if (!S_ISREG(existing.st_mode)) {
    throw VuFileError("cannot write " + path + ": it is " + FileKindOf(existing.st_mode));
  }
  if ((existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    throw VuFileError("cannot write " + path + ": " + systemMessage(EACCES));
  }
  if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
    throw VuFileError("cannot write " + path + ": " + systemMessage(errno));
  }
}

void writeAll(int fd, std::string_view bytes, const std::string& path) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      throw VuFileError("cannot write " + path + ": " + systemMessage(errno));
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
}

}  // namespace

std::string VuFolder(std::string_view projectName, std::string_view baseFilename) {
  const size_t nameLength = Utf8Length(projectName);
  const size_t baseLength = Utf8Length(baseFilename);
  if (nameLength > baseLength) {
    throw VuFileError("the project name \"" + std::string(projectName) +
                      "\" is longer than its file name \"" + std::string(baseFilename) +
                      "\": the project has no folder");
  }
  return std::string(Utf8Prefix(baseFilename, baseLength - nameLength));
}

bool IsVuConfigFileName(std::string_view fileName) { return fileName.ends_with(kVuExtension); }

std::vector<std::string> VuConfigFileNames(std::span<const std::string> listing) {
  std::vector<std::string> names;
  std::copy_if(listing.begin(), listing.end(), std::back_inserter(names),
               [](const std::string& name) { return IsVuConfigFileName(name); });
  return names;
}

std::vector<std::string> ListFolderFiles(const std::string& folder) {
  // An empty prefix puts the files in the current folder.
  const fs::path path = folder.empty() ? fs::path(".") : fs::path(folder);
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (status.type() == fs::file_type::not_found) return {};
  if (ec) throw VuFileError("cannot list " + folder + ": " + ec.message());
  if (!fs::is_directory(status)) throw VuFileError("cannot list " + folder + ": it is not a folder");
  std::vector<std::string> names;
  fs::directory_iterator it(path, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    // Links followed; a broken link, a folder, a FIFO or a device is left out.
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    names.push_back(it->path().filename().string());
  }
  if (ec) throw VuFileError("cannot list " + folder + ": " + ec.message());
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadVuConfigName(const std::string& path) {
  try {
    const std::vector<std::string> lines = readLines(path, 1);
    return lines.empty() ? std::string() : Windows1252ToUtf8(lines.front());
  } catch (const VuFileError&) {
    return {};
  }
}

std::vector<VuConfigEntry> ListVuConfigs(const std::string& folder) {
  const std::vector<std::string> files = ListFolderFiles(folder);
  std::vector<VuConfigEntry> entries;
  for (std::string& name : VuConfigFileNames(files)) {
    std::string configName = ReadVuConfigName(folder + name);
    entries.push_back({std::move(name), std::move(configName)});
  }
  return entries;
}

VuLayout ReadVuConfigFile(const std::string& path) { return ParseVuLayout(readLines(path, kVuFileLines)); }

void WriteVuConfigFile(const std::string& path, const VuLayout& layout) {
  const std::string bytes = FormatVuLayout(layout);  // refusals come before any file is touched
  if (!fs::path(path).has_filename()) throw VuFileError("cannot write " + path + ": no file name");
  // Through a link, the file it leads to is replaced and the link stays.
  const fs::path target = followLinks(path);
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  struct stat old {};
  const bool replacing = ::stat(target.c_str(), &old) == 0;
  if (replacing) checkMayReplace(path, target, old);

  TemporaryFile temporary(folder);
  writeAll(temporary.fd(), bytes, path);
  if (replacing) ::fchmod(temporary.fd(), old.st_mode & 07777);  // keep the permissions; best effort
  if (::fsync(temporary.fd()) != 0 || temporary.close() != 0) {
    throw VuFileError("cannot write " + path + ": " + systemMessage(errno));
  }
  if (::rename(temporary.path().c_str(), target.c_str()) != 0) {
    throw VuFileError("cannot write " + path + ": " + systemMessage(errno));
  }
  temporary.commit();
  // Make the rename itself durable; the file is complete either way.
  const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    ::fsync(folderFd);
    ::close(folderFd);
  }
}

}  // namespace tactolo
