#include "host/stored_file.h"

#include "platform/file_access.h"

namespace tactolo::host {

std::optional<std::string> ReadStoredFile(const std::string& path, size_t maxBytes) {
  try {
    return ReadRegularFile(path, maxBytes, LongerFile::Refuse, /*missingIsNone=*/true);
  } catch (const FileAccessError& error) {
    throw StoreError(error.what());
  }
}

void WriteStoredFile(const std::string& path, std::string_view bytes) {
  try {
    WriteFileAtomically(path, bytes);
  } catch (const FileAccessError& error) {
    throw StoreError(error.what());
  }
}

void MakeFolders(const std::string& folder) {
  try {
    tactolo::MakeFolders(folder);
  } catch (const FileAccessError& error) {
    throw StoreError(error.what());
  }
}

}  // namespace tactolo::host
