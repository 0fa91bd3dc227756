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

#include "platform/file_kind.h"

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

[[noreturn]] void refuse(const std::string& path, mode_t mode) {
  std::string message = "not an audio file but " + std::string(FileKindOf(mode)) + ": '" + path + "'";
  if (S_ISFIFO(mode)) message += " (a stream is read from standard input, with -)";
  throw std::runtime_error(message);
}

uint32_t littleEndian(const unsigned char* bytes, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

/// What the header of a WAV file says of its data chunk.
struct WavData {
  /// Frames the data chunk announces; nullopt for anything else or a length
  /// the writer left unknown.
  std::optional<int64_t> frames;
  /// The bytes end inside the data chunk's header (its marker or its size).
  bool headerCut = false;
};

/// Reads the header of a WAV file through `readAt(offset, out, count)`
/// (bytes read), without moving the file's offset. libsndfile itself
/// shortens an announced length to the bytes there are, and opens a file
/// whose data header is cut short as one without frames, so that a cut-off
/// file would go unnoticed.
template <class ReadAt>
WavData wavData(ReadAt readAt) {
  unsigned char riff[12];
  if (readAt(0, riff, sizeof riff) != sizeof riff || std::memcmp(riff, "RIFF", 4) != 0 ||
      std::memcmp(riff + 8, "WAVE", 4) != 0) {
    return {};
  }
  int64_t at = sizeof riff;
  uint32_t blockAlign = 0;
  for (int chunk = 0; chunk < 64; ++chunk) {
    unsigned char header[8];
    const std::size_t got = readAt(at, header, sizeof header);
    if (got != sizeof header) {
      // The data chunk's marker or size cut: whatever came before it.
      return {std::nullopt,
              blockAlign != 0 && got > 0 && std::memcmp(header, "data", std::min<std::size_t>(got, 4)) == 0};
    }
    const uint32_t size = littleEndian(header + 4, 4);
    if (std::memcmp(header, "fmt ", 4) == 0) {
      unsigned char format[14];
      if (size < sizeof format || readAt(at + 8, format, sizeof format) != sizeof format) return {};
      blockAlign = littleEndian(format + 12, 2);
    } else if (std::memcmp(header, "data", 4) == 0) {
      if (blockAlign == 0 || size >= kWavUnknownDataBytes) return {};
      return {size / blockAlign, false};
    }
    at += 8 + static_cast<int64_t>(size) + (size & 1);
  }
  return {};
}

/// The bytes of a regular file, read at an offset of their own: the file's
/// offset is libsndfile's while it has the file.
class FileBytes final : public ByteSource {
 public:
  explicit FileBytes(int fd) : fd_(fd) {
    struct stat status {};
    if (::fstat(fd, &status) == 0) length_ = status.st_size;
  }
  std::size_t read(void* out, std::size_t count) override {
    for (;;) {
      const ssize_t n = ::pread(fd_, out, count, offset_);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        error_ = errno;
        return 0;
      }
      offset_ += n;
      return static_cast<std::size_t>(n);
    }
  }
  bool seek(int64_t offset) override {
    if (offset < 0) return false;
    offset_ = offset;
    return true;
  }
  int64_t tell() override { return offset_; }
  std::optional<int64_t> length() override { return length_; }
  int error() const override { return error_; }

 private:
  int fd_;
  int64_t offset_ = 0;
  int64_t length_ = 0;
  int error_ = 0;
};

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
  int error = 0;            // errno of a read that failed

  PipeInput() { head.reserve(kStreamHeadBytes); }

  /// Reads up to `count` bytes from the pipe, keeping them while it may.
  sf_count_t take(char* out, sf_count_t count) {
    sf_count_t got = 0;
    while (got < count) {
      // A read that a signal interrupts ends the stream: a host whose
      // handlers ask for that (no SA_RESTART) stops a run whose writer has
      // stalled; with SA_RESTART reads go on by themselves.
      const ssize_t n = ::read(fd, out + got, static_cast<std::size_t>(count - got));
      if (n < 0 && errno != EINTR) error = errno;
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

/// A piped stream's bytes for a decoder, read through its PipeInput: from
/// its start again while every byte read is still kept.
class SoundFile::PipeBytes final : public ByteSource {
 public:
  explicit PipeBytes(PipeInput& input) : input_(input) {}
  std::size_t read(void* out, std::size_t count) override {
    return static_cast<std::size_t>(PipeInput::read(out, static_cast<sf_count_t>(count), &input_));
  }
  bool seek(int64_t offset) override { return PipeInput::seek(offset, SEEK_SET, &input_) >= 0; }
  int64_t tell() override { return input_.position; }
  std::optional<int64_t> length() override { return std::nullopt; }
  int error() const override { return input_.error; }

 private:
  PipeInput& input_;
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
    throw std::runtime_error(std::string("standard input is ") + FileKindOf(status.st_mode) +
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
  // A WAV header's length is believed unless its writer left it unknown,
  // as one writing to a pipe does.
  const WavData wav = wavData([this](int64_t at, void* out, std::size_t count) -> std::size_t {
    const auto& head = input_->head;
    if (at < 0 || static_cast<std::size_t>(at) >= head.size()) return 0;
    const std::size_t n = std::min(count, head.size() - static_cast<std::size_t>(at));
    std::memcpy(out, head.data() + at, n);
    return n;
  });
  announcedFrames_ = wav.frames;
  wavHeaderCut_ = wav.headerCut;
  // From the start again, while libsndfile has taken only bytes still kept.
  // The bytes read meanwhile are kept, so that libsndfile can go on where it
  // stood should libFLAC not read the stream.
  if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_FLAC && input_->whole()) {
    const sf_count_t position = input_->position;
    input_->position = 0;
    input_->keeping = true;
    bytes_ = std::make_unique<PipeBytes>(*input_);
    decodeByPosition(info.format);
    input_->keeping = false;
    if (!decoder_) {
      bytes_.reset();
      input_->position = position;
    }
  }
}

void SoundFile::openRegular(int fd, const std::string& path) {
  const WavData wav = wavData([fd](int64_t at, void* out, std::size_t count) -> std::size_t {
    const ssize_t n = ::pread(fd, out, count, at);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
  });
  wavHeaderCut_ = wav.headerCut;
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
    announcedFrames_ = std::max<int64_t>(info.frames, wav.frames.value_or(0));
  } else if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_OGG) {
    // libsndfile finds the length of an Ogg file on disk at its last page;
    // without one, the file was cut off.
    oggWithoutEnd_ = true;
  }
  bytes_ = std::make_unique<FileBytes>(fd);
  decodeByPosition(info.format);
  if (!decoder_) bytes_.reset();
}

void SoundFile::decodeByPosition(int format) {
  const int type = format & SF_FORMAT_TYPEMASK;
  if (type == SF_FORMAT_FLAC) {
    decoder_ = openFlacDecoder(*bytes_, channels_);
  } else if (type == SF_FORMAT_OGG && (format & SF_FORMAT_SUBMASK) == SF_FORMAT_VORBIS && bytes_->length()) {
    decoder_ = openVorbisDecoder(*bytes_, channels_, sampleRate_);
  }
  if (decoder_) file_.reset();
}

void SoundFile::checkFormat(const std::string& path) const {
  if (channels_ < 1 || sampleRate_ < 1) {
    throw std::runtime_error(nameOf(path) + " has no channels or no sample rate");
  }
}

std::size_t SoundFile::read(float* out, std::size_t frames) {
  std::size_t done = 0;
  if (decoder_) {
    done = decoder_->read(out, frames);
  } else {
    const sf_count_t read = sf_readf_float(file_.get(), out, static_cast<sf_count_t>(frames));
    done = static_cast<std::size_t>(std::max<sf_count_t>(read, 0));
  }
  framesRead_ += static_cast<int64_t>(done);
  return done;
}

const char* SoundFile::readError() const {
  if (decoder_) return decoder_->readError();
  if (sf_error(file_.get()) == SF_ERR_NO_ERROR) return "";
  return withoutErrorPrefix(sf_strerror(file_.get()));
}

const StreamDamage& SoundFile::damage() const {
  static const StreamDamage kNone;
  return decoder_ ? decoder_->damage() : kNone;
}

const char* SoundFile::missingEnd() {
  if (oggWithoutEnd_) return "its end is missing";
  if (wavHeaderCut_) return "its data header is cut short";
  if (announcedFrames_ && framesRead_ < *announcedFrames_) {
    std::snprintf(missingEnd_, sizeof missingEnd_, "its header announces %.3f s",
                  static_cast<double>(*announcedFrames_) / sampleRate_);
    return missingEnd_;
  }
  return "";
}

bool SoundFile::rewind() {
  if (input_) return framesRead_ == 0;
  if (decoder_ ? !decoder_->rewind() : sf_seek(file_.get(), 0, SEEK_SET) != 0) return false;
  framesRead_ = 0;
  return true;
}

}  // namespace tactolo
