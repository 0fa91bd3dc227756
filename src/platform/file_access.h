// Files read whole and written atomically, for the plug-in's VU layouts and
// the host's projects alike. Readers take regular files only (links
// followed): a folder reads as empty, a FIFO waits for a writer and a device
// may never end, so anything else is refused before it is read. A write
// goes to a temporary file beside the target and is renamed over it, so a
// file is always either the old one or the complete new one.
#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tactolo {

/// A file that cannot be read or written; the message names the path and
/// the reason ("cannot open show.vuconf: it is a FIFO").
class FileAccessError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// What ReadRegularFile does with a file longer than it may read.
enum class LongerFile {
  ReadTheStart,  // return the first maxBytes bytes; the rest is not read
  Refuse,        // refuse the file, naming its size
};

/// The bytes of the regular file at `path`, at most `maxBytes` of them; no
/// value when nothing is there and `missingIsNone`, else that is refused
/// too. Refuses a folder, FIFO, device or socket before opening it (and
/// again on what was opened, should it have been replaced in between), and
/// any file that cannot be opened or read.
std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxBytes, LongerFile longer,
                                           bool missingIsNone = false);

/// Replaces the file at `path` with `bytes`. Through a symbolic link the file
/// it leads to is replaced (the temporary file lies beside that file) and
/// the link stays. A target is refused where a plain overwrite would be (not
/// a regular file, not writable by this user) and also where it grants
/// writing to no one: root may write there, but a file made read-only stays
/// as it is for everyone. The temporary file is flushed to the disk and
/// renamed over the target, and the folder flushed after; the new file keeps
/// the old one's permissions (and owner and group where the process may set
/// them), a new one gets 0666 less the umask. On any failure the target is
/// left as it was and no temporary file remains.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

/// Makes `folder` and the folders above it that are missing, each readable
/// by the user alone (0700). Refuses when one cannot be made or a file
/// stands in the way.
void MakeFolders(const std::string& folder);

}  // namespace tactolo
