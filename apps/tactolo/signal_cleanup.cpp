#include "signal_cleanup.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace tactolo::app {

namespace {

// What the handler reads: written only while the handler is not armed.
char folderPath[PATH_MAX];
volatile std::sig_atomic_t armed = 0;
// Set before the handlers are installed for a run that stops on a signal.
volatile std::sig_atomic_t stopFirst = 0;
volatile std::sig_atomic_t stopRequest = 0;

/// The signals that end a run: Ctrl+C, kill, and the terminal closing.
constexpr int kEndSignals[] = {SIGINT, SIGTERM, SIGHUP};

/// Deepest folder level removed below the folder itself.
constexpr int kMaxDepth = 16;

/// One entry as getdents64 writes it.
struct DirectoryEntry {
  uint64_t inode;
  int64_t offset;
  unsigned short length;
  unsigned char type;
  char name[1];
};

/// Removes `name` in the folder `parent` (a file, or a folder with what it
/// holds), with async-signal-safe system calls only; true when it is gone.
bool removeTree(int parent, const char* name, int depth) {
  if (::unlinkat(parent, name, 0) == 0 || errno == ENOENT) return true;
  if (depth > kMaxDepth) return false;
  const int folder = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folder < 0) return false;
  alignas(DirectoryEntry) char buffer[4096];
  // Read, remove what was read, and read again from the start while that
  // removed something: removing while reading may skip entries.
  for (bool removed = true; removed;) {
    removed = false;
    ::lseek(folder, 0, SEEK_SET);
    for (long bytes; (bytes = ::syscall(SYS_getdents64, folder, buffer, sizeof buffer)) > 0;) {
      for (long at = 0; at < bytes;) {
        const auto* entry = reinterpret_cast<const DirectoryEntry*>(buffer + at);
        at += entry->length;
        if (std::strcmp(entry->name, ".") == 0 || std::strcmp(entry->name, "..") == 0) continue;
        removed = removeTree(folder, entry->name, depth + 1) || removed;
      }
    }
  }
  ::close(folder);
  return ::unlinkat(parent, name, AT_REMOVEDIR) == 0;
}

void onSignal(int signal) {
  if (stopFirst != 0 && stopRequest == 0) {
    stopRequest = signal;
    return;
  }
  const int savedErrno = errno;
  if (armed != 0) removeTree(AT_FDCWD, folderPath, 0);
  errno = savedErrno;
  // Ends the process as the signal would have, once this handler returns.
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void install(int signal) {
  struct sigaction previous {};
  if (::sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) return;
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  for (const int blocked : kEndSignals) sigaddset(&action.sa_mask, blocked);
  ::sigaction(signal, &action, nullptr);
}

}  // namespace

void removeOnSignal(const std::filesystem::path& folder) {
  armed = 0;
  const std::string text = std::filesystem::absolute(folder).string();
  if (text.size() >= sizeof folderPath) return;
  std::memcpy(folderPath, text.c_str(), text.size() + 1);
  for (const int signal : kEndSignals) install(signal);
  armed = 1;
}

void forgetOnSignal() { armed = 0; }

void stopOnSignal() {
  stopFirst = 1;
  for (const int signal : kEndSignals) install(signal);
}

int stopSignal() { return stopRequest; }

void endBySignal(int signal) {
  std::signal(signal, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  std::raise(signal);
  std::_Exit(128 + signal);
}

}  // namespace tactolo::app
