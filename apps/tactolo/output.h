// Standard output whose failures are noticed: a full disk, a closed pipe.
#pragma once

#include <streambuf>
#include <string>

namespace tactolo::app {

/// Makes a write to a pipe whose reader has gone fail (EPIPE) instead of
/// ending the process silently, so that the failure can be reported.
void ignoreBrokenPipes();

/// A stream buffer that writes to a file descriptor (standard output by
/// default) and keeps the error of the first write that failed; from then
/// on every write fails, so that an ostream over it goes bad. Line-buffered
/// when asked (each line goes out as soon as it ends), otherwise written in
/// blocks and at finish().
class CheckedOutput final : public std::streambuf {
 public:
  explicit CheckedOutput(bool lineBuffered, int fd = 1);
  ~CheckedOutput() override;
  CheckedOutput(const CheckedOutput&) = delete;
  CheckedOutput& operator=(const CheckedOutput&) = delete;

  /// Writes what is still buffered; true when everything written so far has
  /// gone out.
  bool finish();
  /// errno of the first write that failed; 0 while none has.
  int error() const { return error_; }
  /// "cannot write to standard output: REASON" for the failed write.
  std::string errorMessage() const;

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  bool writePending();

  int fd_;
  bool lineBuffered_;
  std::string pending_;
  int error_ = 0;
};

}  // namespace tactolo::app
