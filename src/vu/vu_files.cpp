#include "vu/vu_files.h"
#include <algorithm>
#include <filesystem>
#include <iterator>

#include "platform/file_access.h"
#include "vu/windows1252.h"

namespace tactolo {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kVuExtension = "vuconf";

/// The first `maxLines` lines of a file; the bytes a longer file holds
/// after them are not read.
std::vector<std::string> readLines(const std::string& path, size_t maxLines) {
  try {
    return SplitVuLines(*ReadRegularFile(path, VuBytesForLines(maxLines), LongerFile::ReadTheStart),
                        maxLines);
  } catch (const FileAccessError& error) {
    throw VuFileError(error.what());
  }
}

}  // namespace

std::string VuFolder(std::string_view projectName, std::string_view baseFilename) {
  const size_t nameLength = Utf8Length(projectName);
  const size_t baseLength = Utf8Length(baseFilename);
  if (nameLength > baseLength) {
    throw VuFileError("the project name \"" + std::string(projectName) +
                      "\" is longer than its file name \"" + std::string(baseFilename) +
                      "\": the project has no folder");
  }
  return std::string(Utf8Prefix(baseFilename, baseLength - nameLength));
}

bool IsVuConfigFileName(std::string_view fileName) { return fileName.ends_with(kVuExtension); }

std::vector<std::string> VuConfigFileNames(std::span<const std::string> listing) {
  std::vector<std::string> names;
  std::copy_if(listing.begin(), listing.end(), std::back_inserter(names),
               [](const std::string& name) { return IsVuConfigFileName(name); });
  return names;
}

std::vector<std::string> ListFolderFiles(const std::string& folder) {
  // An empty prefix puts the files in the current folder.
  const fs::path path = folder.empty() ? fs::path(".") : fs::path(folder);
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (status.type() == fs::file_type::not_found) return {};
  if (ec) throw VuFileError("cannot list " + folder + ": " + ec.message());
  if (!fs::is_directory(status)) throw VuFileError("cannot list " + folder + ": it is not a folder");
  std::vector<std::string> names;
  fs::directory_iterator it(path, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    // Links followed; a broken link, a folder, a FIFO or a device is left out.
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    names.push_back(it->path().filename().string());
  }
  if (ec) throw VuFileError("cannot list " + folder + ": " + ec.message());
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadVuConfigName(const std::string& path) {
  try {
    const std::vector<std::string> lines = readLines(path, 1);
    return lines.empty() ? std::string() : Windows1252ToUtf8(lines.front());
  } catch (const VuFileError&) {
    return {};
  }
}

std::vector<VuConfigEntry> ListVuConfigs(const std::string& folder) {
  const std::vector<std::string> files = ListFolderFiles(folder);
  std::vector<VuConfigEntry> entries;
  for (std::string& name : VuConfigFileNames(files)) {
    std::string configName = ReadVuConfigName(folder + name);
    entries.push_back({std::move(name), std::move(configName)});
  }
  return entries;
}

VuLayout ReadVuConfigFile(const std::string& path) { return ParseVuLayout(readLines(path, kVuFileLines)); }

void WriteVuConfigFile(const std::string& path, const VuLayout& layout) {
  const std::string bytes = FormatVuLayout(layout);  // refusals come before any file is touched
  try {
    WriteFileAtomically(path, bytes);
  } catch (const FileAccessError& error) {
    throw VuFileError(error.what());
  }
}

}  // namespace tactolo
