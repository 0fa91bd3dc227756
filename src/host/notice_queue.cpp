#include "host/notice_queue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>

namespace tactolo::host {

NoticeQueue::NoticeQueue() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (fd_ < 0) throw std::runtime_error("cannot make an event descriptor for the outputs' notices");
}

NoticeQueue::~NoticeQueue() { ::close(fd_); }

void NoticeQueue::push(std::string line) {
  {
    std::lock_guard lock(mutex_);
    lines_.push_back(std::move(line));
  }
  const uint64_t one = 1;
  // The counter only says that lines wait; a full counter still reads.
  [[maybe_unused]] const auto written = ::write(fd_, &one, sizeof one);
}

std::vector<std::string> NoticeQueue::take() {
  uint64_t count = 0;
  [[maybe_unused]] const auto read = ::read(fd_, &count, sizeof count);
  std::lock_guard lock(mutex_);
  std::vector<std::string> taken;
  taken.swap(lines_);
  return taken;
}

}  // namespace tactolo::host
