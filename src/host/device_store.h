// The second settings store (the audio device and input, by position and by
// name) belongs to the computer, not to the project: a project opened on
// another machine keeps that machine's sound card. One file of the user's
// holds it for every project, by project name:
//
//   {"format": 1, "projects": {"NAME": {"KEY": "TEXT", ...}, ...}}
//
// Names, keys and texts are written by EncodeText (json_fields.h).
#pragma once

#include <map>
#include <string>

namespace tactolo::host {

/// The newest device store format this host reads and the one it writes.
constexpr int kDeviceStoreFormat = 1;

class DeviceStore {
 public:
  using Values = std::map<std::string, std::string>;

  /// The store in the file at `path` (see DefaultDevicesPath).
  explicit DeviceStore(std::string path) : path_(std::move(path)) {}

  const std::string& path() const { return path_; }

  /// The values of project `name`; none when the file or the project holds
  /// none. Refuses (StoreError) a file that cannot be read, is damaged
  /// (path, line and column) or was written by a newer Tactolo.
  Values read(const std::string& name) const;

  /// Stores `values` as project `name`'s, keeping every other project's as
  /// the file holds them now (another run may have saved its own meanwhile).
  /// Makes the file and its folder when missing; writes nothing when the
  /// values are already stored. Refuses (StoreError) what read() refuses,
  /// leaving the file as it was; a write is atomic (WriteStoredFile).
  void write(const std::string& name, const Values& values) const;

 private:
  std::map<std::string, Values> readAll() const;

  std::string path_;
};

}  // namespace tactolo::host
