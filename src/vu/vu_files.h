// VU configuration files in the project's folder: the folder rule, the
// listing rule, reading and saving. This is the only place that touches the
// file system for VU configurations.
//
// Paths are text: the folder is a prefix to which a file name is appended
// with no separator inserted, as the host's project base file name gives it.
// Every failure is a VuFileError whose message says what went wrong; the
// callers put their own words around it.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "vu/vu_config.h"
#include "vu/vu_file_format.h"

namespace tactolo {

/// The folder prefix of the project's VU configurations: the base file name
/// with as many characters cut from its end as the project name has.
/// Refuses (VuFileError) a project name longer than the base file name,
/// for which no folder can be formed (a project that has no file yet).
std::string VuFolder(std::string_view projectName, std::string_view baseFilename);

/// The listing rule: the last six characters of the name are "vuconf",
/// letter case counting; the dot before them is not checked.
bool IsVuConfigFileName(std::string_view fileName);

/// The names of a folder listing that the listing rule accepts, in the
/// listing's order.
std::vector<std::string> VuConfigFileNames(std::span<const std::string> listing);

/// The names of the regular files in a folder (links followed: no folder,
/// FIFO, device or broken link), sorted by their bytes so that every file
/// system lists them alike. A folder that does not exist lists nothing; one
/// that exists but cannot be read is a VuFileError.
std::vector<std::string> ListFolderFiles(const std::string& folder);

/// The configuration files in a folder with the names on their first lines,
/// in listing order. A listed file that cannot be opened or is empty keeps
/// its row with an empty name; loading it later reports the error.
std::vector<VuConfigEntry> ListVuConfigs(const std::string& folder);

/// The first line of a file (Windows-1252, decoded), empty if the file
/// cannot be read, is empty or its first line is longer than a line may be.
std::string ReadVuConfigName(const std::string& path);

/// Reads a configuration file, no further than its 323 lines can reach.
/// Only a regular file is read (links followed); anything else is refused
/// without waiting on it. Throws VuFileError when the file cannot be opened
/// or read or any line is wrong; nothing is returned then.
VuLayout ReadVuConfigFile(const std::string& path);

/// Saves a layout: writes a temporary file in the target's folder, flushes
/// it to the disk and renames it over the target, so the target is either
/// the old file or the complete new one. A symbolic link is written
/// through: the file it leads to is the target, and the link stays. An
/// existing target that is not a regular file, that the user may not write,
/// or that no one may write (refused to root as well) is refused before
/// anything is written. On any failure the temporary file is removed, the
/// old file stays as it was and VuFileError is thrown.
void WriteVuConfigFile(const std::string& path, const VuLayout& layout);

}  // namespace tactolo
