// What a file that is not a regular file is, for the messages that refuse
// to read it: readers take regular files only, since a folder reads as
// empty, a FIFO waits for a writer and a device may never end.
#pragma once

#include <sys/stat.h>

namespace tactolo {

/// "a folder", "a FIFO", "a device", "a socket" or "not a regular file",
/// to follow "it is".
inline const char* FileKindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

}  // namespace tactolo
