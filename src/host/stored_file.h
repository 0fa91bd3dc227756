// Files the host keeps between runs (projects, the device store): read whole
// and written atomically, so that a file is always either the old one or the
// complete new one.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tactolo::host {

/// A project or device store that cannot be read, is damaged, or cannot be
/// written. The message names the file.
class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// The bytes of the regular file at `path` (symbolic links followed), or
/// nothing when no file is there. Refuses (StoreError) a folder, a device or
/// a pipe (without waiting on a writer), a file larger than `maxBytes`, and
/// any file that cannot be opened or read (ReadRegularFile).
std::optional<std::string> ReadStoredFile(const std::string& path, size_t maxBytes);

/// Replaces the file at `path` with `bytes` atomically, through symbolic
/// links, keeping its permissions (WriteFileAtomically). On any failure the
/// target is left as it was and StoreError says why.
void WriteStoredFile(const std::string& path, std::string_view bytes);

/// Makes `folder` and the folders above it that are missing, each readable
/// by the user alone (0700, as the XDG base directory rules ask for the
/// folders they name); StoreError when one cannot be made.
void MakeFolders(const std::string& folder);

}  // namespace tactolo::host
