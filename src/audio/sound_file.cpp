#include "audio/sound_file.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace tactolo {

namespace {

/// More frames than any file holds (years of audio): a header announcing
/// more does not know the length.
constexpr int64_t kLongestFrames = int64_t{1} << 40;
/// WAV data sizes from here on are what writers put in a header they cannot
/// go back to fill in (0x7FFFF000, 0xFFFFFFFF): the length is unknown.
constexpr uint32_t kWavUnknownDataBytes = 0x7FFFF000u;

std::string oneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::replace(text.begin(), text.end(), '\r', ' ');
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

/// libsndfile's message without its "Error : " prefix.
const char* withoutErrorPrefix(const char* message) {
  constexpr const char kPrefix[] = "Error : ";
  return std::strncmp(message, kPrefix, sizeof kPrefix - 1) == 0 ? message + sizeof kPrefix - 1 : message;
}

std::string nameOf(const std::string& path) {
  return path == kStandardInput ? std::string("standard input") : "audio file '" + path + "'";
}

/// What a file that is not a regular file is, for the message refusing it.
const char* kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

[[noreturn]] void refuse(const std::string& path, mode_t mode) {
  std::string message = "not an audio file but " + std::string(kindOf(mode)) + ": '" + path + "'";
  if (S_ISFIFO(mode)) message += " (a stream is read from standard input, with -)";
  throw std::runtime_error(message);
}

uint32_t littleEndian(const unsigned char* bytes, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

/// Frames that the data chunk of a WAV file announces, read from its header
/// without moving the file's offset; nullopt for anything else or a length
/// the writer left unknown. libsndfile itself shortens an announced length
/// to the bytes there are, so that a cut-off file would go unnoticed.
std::optional<int64_t> wavDataFrames(int fd) {
  unsigned char riff[12];
  if (::pread(fd, riff, sizeof riff, 0) != static_cast<ssize_t>(sizeof riff) ||
      std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0) {
    return std::nullopt;
  }
  off_t at = sizeof riff;
  uint32_t blockAlign = 0;
  for (int chunk = 0; chunk < 64; ++chunk) {
    unsigned char header[8];
    if (::pread(fd, header, sizeof header, at) != static_cast<ssize_t>(sizeof header)) return std::nullopt;
    const uint32_t size = littleEndian(header + 4, 4);
    if (std::memcmp(header, "fmt ", 4) == 0) {
      unsigned char format[14];
      if (size < sizeof format ||
          ::pread(fd, format, sizeof format, at + 8) != static_cast<ssize_t>(sizeof format)) {
        return std::nullopt;
      }
      blockAlign = littleEndian(format + 12, 2);
    } else if (std::memcmp(header, "data", 4) == 0) {
      if (blockAlign == 0 || size >= kWavUnknownDataBytes) return std::nullopt;
      return size / blockAlign;
    }
    at += 8 + static_cast<off_t>(size) + (size & 1);
  }
  return std::nullopt;
}

}  // namespace

// --- A stream on a pipe --------------------------------------------------------

/// libsndfile's virtual I/O over a pipe. libsndfile goes back while it
/// recognises a format (and FLAC is not read from a pipe otherwise), so the
/// bytes read are kept, up to kStreamHeadBytes, while it opens the stream;
/// it may go back anywhere into them as long as none has been dropped.
/// After that the stream is read front to back.
struct SoundFile::PipeInput {
  int fd = STDIN_FILENO;
  std::vector<char> head;   // bytes 0.. of the stream
  bool keeping = true;      // still keeping what is read (while opening)
  sf_count_t position = 0;  // where libsndfile reads next
  sf_count_t consumed = 0;  // bytes taken from fd

  PipeInput() { head.reserve(kStreamHeadBytes); }

  /// Reads up to `count` bytes from the pipe, keeping them while it may.
  sf_count_t take(char* out, sf_count_t count) {
    sf_count_t got = 0;
    while (got < count) {
      // A read that a signal interrupts ends the stream: a host whose
      // handlers ask for that (no SA_RESTART) stops a run whose writer has
      // stalled; with SA_RESTART reads go on by themselves.
      const ssize_t n = ::read(fd, out + got, static_cast<std::size_t>(count - got));
      if (n <= 0) break;
      got += n;
    }
    if (keeping && head.size() == static_cast<std::size_t>(consumed)) {
      const auto kept = std::min(static_cast<std::size_t>(got), kStreamHeadBytes - head.size());
      head.insert(head.end(), out, out + kept);
    }
    consumed += got;
    return got;
  }
  /// True while every byte read is still in `head`.
  bool whole() const { return head.size() == static_cast<std::size_t>(consumed); }

  static PipeInput& self(void* user) { return *static_cast<PipeInput*>(user); }
  static sf_count_t length(void*) { return SF_COUNT_MAX; }
  static sf_count_t tell(void* user) { return self(user).position; }
  static sf_count_t write(const void*, sf_count_t, void*) { return 0; }

  static sf_count_t read(void* out, sf_count_t count, void* user) {
    PipeInput& in = self(user);
    auto* bytes = static_cast<char*>(out);
    sf_count_t done = 0;
    if (in.position < static_cast<sf_count_t>(in.head.size()) && in.position < in.consumed) {
      done = std::min(count, static_cast<sf_count_t>(in.head.size()) - in.position);
      std::memcpy(bytes, in.head.data() + in.position, static_cast<std::size_t>(done));
      in.position += done;
    }
    if (done < count && in.position == in.consumed) {
      const sf_count_t got = in.take(bytes + done, count - done);
      done += got;
      in.position += got;
    }
    return done;
  }

  static sf_count_t seek(sf_count_t offset, int whence, void* user) {
    PipeInput& in = self(user);
    sf_count_t target = -1;
    if (whence == SEEK_SET) target = offset;
    if (whence == SEEK_CUR) target = in.position + offset;
    if (target < 0) return -1;
    if (target <= in.consumed) {
      if (!in.whole() && target != in.position) return -1;
      in.position = target;
      return target;
    }
    // Forward past what was read: only while opening, into the kept bytes.
    if (!in.keeping || !in.whole() || target > static_cast<sf_count_t>(kStreamHeadBytes)) return -1;
    const auto from = static_cast<std::size_t>(in.consumed);
    std::vector<char>& head = in.head;
    head.resize(static_cast<std::size_t>(target));
    sf_count_t got = 0;
    for (;;) {
      const ssize_t n =
          ::read(in.fd, head.data() + from + got, static_cast<std::size_t>(target) - from - got);
      if (n <= 0) break;  // also when a signal interrupts it, as in take()
      got += n;
      if (from + static_cast<std::size_t>(got) == static_cast<std::size_t>(target)) break;
    }
    head.resize(from + static_cast<std::size_t>(got));
    in.consumed += got;
    if (in.consumed != target) return -1;
    in.position = target;
    return target;
  }
};

// --- SoundFile --------------------------------------------------------------------

void SoundFile::SndfileCloser::operator()(sf_private_tag* file) const { sf_close(file); }

SoundFile::SoundFile(const std::string& path) {
  if (path == kStandardInput) {
    openStandardInput();
  } else {
    openPath(path);
  }
}

SoundFile::~SoundFile() = default;

SoundFile::Descriptor::~Descriptor() {
  if (fd >= 0) ::close(fd);
}

void SoundFile::openPath(const std::string& path) {
  // Looked at before it is opened: opening a FIFO for reading waits for a
  // writer, and opening some devices does things.
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) throw std::runtime_error("audio file not found: '" + path + "'");
    throw std::runtime_error("cannot read audio file '" + path + "': " + std::strerror(errno));
  }
  if (!S_ISREG(status.st_mode)) refuse(path, status.st_mode);
  // Without waiting, should it have been replaced by a FIFO since.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) throw std::runtime_error("cannot read audio file '" + path + "': " + std::strerror(errno));
  owned_.fd = fd;
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) refuse(path, status.st_mode);
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  openRegular(fd, path);
}

void SoundFile::openStandardInput() {
  struct stat status {};
  if (::fstat(STDIN_FILENO, &status) != 0) {
    throw std::runtime_error(std::string("cannot read standard input: ") + std::strerror(errno));
  }
  if (S_ISREG(status.st_mode)) {
    openRegular(STDIN_FILENO, kStandardInput);
    return;
  }
  if (::isatty(STDIN_FILENO) != 0) {
    throw std::runtime_error("standard input is a terminal: pipe a WAV or FLAC stream into it");
  }
  if (!S_ISFIFO(status.st_mode) && !S_ISSOCK(status.st_mode)) {
    throw std::runtime_error(std::string("standard input is ") + kindOf(status.st_mode) +
                             ", not a file or a stream");
  }
  input_ = std::make_unique<PipeInput>();
  SF_VIRTUAL_IO io{&PipeInput::length, &PipeInput::seek, &PipeInput::read, &PipeInput::write,
                   &PipeInput::tell};
  SF_INFO info{};
  file_.reset(sf_open_virtual(&io, SFM_READ, &info, input_.get()));
  input_->keeping = false;
  if (!file_) {
    throw std::runtime_error("cannot read standard input: " +
                             oneLine(withoutErrorPrefix(sf_strerror(nullptr))));
  }
  channels_ = info.channels;
  sampleRate_ = info.samplerate;
  checkFormat(kStandardInput);
}

void SoundFile::openRegular(int fd, const std::string& path) {
  const std::optional<int64_t> wavFrames = wavDataFrames(fd);
  SF_INFO info{};
  file_.reset(sf_open_fd(fd, SFM_READ, &info, SF_FALSE));
  if (!file_) {
    throw std::runtime_error("cannot read " + nameOf(path) + ": " +
                             oneLine(withoutErrorPrefix(sf_strerror(nullptr))));
  }
  channels_ = info.channels;
  sampleRate_ = info.samplerate;
  checkFormat(path);
  if (info.frames >= 0 && info.frames < kLongestFrames) {
    announcedFrames_ = std::max<int64_t>(info.frames, wavFrames.value_or(0));
  } else if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_OGG) {
    // libsndfile finds the length of an Ogg file on disk at its last page;
    // without one, the file was cut off.
    oggWithoutEnd_ = true;
  }
}

void SoundFile::checkFormat(const std::string& path) const {
  if (channels_ < 1 || sampleRate_ < 1) {
    throw std::runtime_error(nameOf(path) + " has no channels or no sample rate");
  }
}

std::size_t SoundFile::read(float* out, std::size_t frames) {
  const sf_count_t read = sf_readf_float(file_.get(), out, static_cast<sf_count_t>(frames));
  const auto done = static_cast<std::size_t>(std::max<sf_count_t>(read, 0));
  framesRead_ += static_cast<int64_t>(done);
  return done;
}

const char* SoundFile::readError() const {
  if (sf_error(file_.get()) == SF_ERR_NO_ERROR) return "";
  return withoutErrorPrefix(sf_strerror(file_.get()));
}

const char* SoundFile::missingEnd() {
  if (oggWithoutEnd_) return "its end is missing";
  if (announcedFrames_ && framesRead_ < *announcedFrames_) {
    std::snprintf(missingEnd_, sizeof missingEnd_, "its header announces %.3f s",
                  static_cast<double>(*announcedFrames_) / sampleRate_);
    return missingEnd_;
  }
  return "";
}

bool SoundFile::rewind() {
  if (input_) return framesRead_ == 0;
  if (sf_seek(file_.get(), 0, SEEK_SET) != 0) return false;
  framesRead_ = 0;
  return true;
}

}  // namespace tactolo
