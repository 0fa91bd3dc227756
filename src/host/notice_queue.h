// Lines of text handed from other threads (an output's sender) to the
// event loop's thread, which is woken through a file descriptor.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace tactolo::host {

/// push() may be called on any thread; fd() becomes readable while lines
/// wait, and take() (on the loop's thread) returns them in the order they
/// were pushed.
class NoticeQueue {
 public:
  /// std::runtime_error when no event descriptor can be made.
  NoticeQueue();
  ~NoticeQueue();
  NoticeQueue(const NoticeQueue&) = delete;
  NoticeQueue& operator=(const NoticeQueue&) = delete;

  void push(std::string line);
  int fd() const { return fd_; }
  std::vector<std::string> take();

 private:
  int fd_ = -1;
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace tactolo::host
