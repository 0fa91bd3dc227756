#include "output.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace tactolo::app {

namespace {

/// Bytes gathered before they are written.
constexpr std::size_t kBlockBytes = 8192;

}  // namespace

void ignoreBrokenPipes() { std::signal(SIGPIPE, SIG_IGN); }

CheckedOutput::CheckedOutput(bool lineBuffered, int fd) : fd_(fd), lineBuffered_(lineBuffered) {
  pending_.reserve(kBlockBytes);
}

CheckedOutput::~CheckedOutput() { writePending(); }

bool CheckedOutput::writePending() {
  std::size_t written = 0;
  while (error_ == 0 && written < pending_.size()) {
    const ssize_t n = ::write(fd_, pending_.data() + written, pending_.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = n < 0 ? errno : EIO;
      break;
    }
    written += static_cast<std::size_t>(n);
  }
  pending_.clear();
  return error_ == 0;
}

std::streamsize CheckedOutput::xsputn(const char* text, std::streamsize count) {
  if (error_ != 0) return 0;
  pending_.append(text, static_cast<std::size_t>(count));
  const bool lineEnded = lineBuffered_ && std::memchr(text, '\n', static_cast<std::size_t>(count)) != nullptr;
  if ((lineEnded || pending_.size() >= kBlockBytes) && !writePending()) return 0;
  return count;
}

CheckedOutput::int_type CheckedOutput::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) {
    return sync() == 0 ? traits_type::not_eof(c) : traits_type::eof();
  }
  const char text = traits_type::to_char_type(c);
  return xsputn(&text, 1) == 1 ? c : traits_type::eof();
}

int CheckedOutput::sync() { return writePending() ? 0 : -1; }

bool CheckedOutput::finish() { return writePending(); }

std::string CheckedOutput::errorMessage() const {
  return std::string("cannot write to standard output: ") + std::strerror(error_);
}

}  // namespace tactolo::app
