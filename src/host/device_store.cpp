#include "host/device_store.h"

#include <filesystem>

#include "host/json_fields.h"
#include "host/stored_file.h"

namespace tactolo::host {

namespace {

/// Larger files are refused unread.
constexpr size_t kMaxDeviceStoreBytes = size_t{16} << 20;

}  // namespace

std::map<std::string, DeviceStore::Values> DeviceStore::readAll() const {
  const std::optional<std::string> text = ReadStoredFile(path_, kMaxDeviceStoreBytes);
  if (!text) return {};
  const Json document = ParseJsonDocument(*text, path_);
  std::map<std::string, Values> projects;
  try {
    const JsonField top(document);
    RequireFormat(top, kDeviceStoreFormat);
    top.requireObject({"format", "projects"});
    if (const std::optional<JsonField> list = top.member("projects")) {
      for (const auto& [name, values] : list->members()) {
        Values& stored = projects[name];
        for (const auto& [key, value] : values.members()) stored[key] = value.text();
      }
    }
  } catch (const FieldError& error) {
    throw StoreError(path_ + ": " + error.what());
  }
  return projects;
}

DeviceStore::Values DeviceStore::read(const std::string& name) const {
  std::map<std::string, Values> projects = readAll();
  const auto found = projects.find(name);
  return found == projects.end() ? Values{} : std::move(found->second);
}

void DeviceStore::write(const std::string& name, const Values& values) const {
  std::map<std::string, Values> projects = readAll();
  const auto found = projects.find(name);
  if (found == projects.end() ? values.empty() : found->second == values) return;
  projects[name] = values;

  Json list = Json::object();
  for (const auto& [project, stored] : projects) {
    Json entries = Json::object();
    for (const auto& [key, value] : stored) entries[EncodeText(key)] = EncodeText(value);
    list[EncodeText(project)] = std::move(entries);
  }
  Json document = Json::object();
  document["format"] = kDeviceStoreFormat;
  document["projects"] = std::move(list);

  const std::filesystem::path folder = std::filesystem::path(path_).parent_path();
  if (!folder.empty()) MakeFolders(folder.string());
  WriteStoredFile(path_, document.dump(2) + "\n");
}

}  // namespace tactolo::host
