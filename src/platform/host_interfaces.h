// The interfaces between Tactolo and a lighting host.
//
// Two directions cross the boundary:
//  * the host's helper object (ILMQPluginHelper) and the objects it hands out,
//    which the plug-in calls through the HostServices facade;
//  * the five interfaces the host calls on the plug-in (ILMQPlugin,
//    ILMQModule, IExternalWindow, ILMQTool, ICommandServer).
//
// No exception crosses the boundary in either direction: every call returns a
// HostResult that either carries a value or the failure's message.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tactolo {

/// Outcome of one call across the plug-in boundary.
template <class T>
struct HostResult {
  bool ok = true;
  T value{};
  std::string error;

  static HostResult success(T v) { return HostResult{true, std::move(v), {}}; }
  static HostResult failure(std::string message) { return HostResult{false, T{}, std::move(message)}; }
};

/// A call with no value of its own.
struct NoValue {
  bool operator==(const NoValue&) const = default;
};
using HostStatus = HostResult<NoValue>;

inline HostStatus hostOk() { return HostStatus::success(NoValue{}); }

// ---------------------------------------------------------------------------
// Services of the host's helper object (host implements, plug-in calls).

/// Two separate text key-value stores: the general one and the device one.
/// A read returns the text last written under the key in that store, else the
/// given default.
class ISettings {
 public:
  virtual ~ISettings() = default;
  virtual HostResult<std::string> ReadValue(const std::string& key, const std::string& defaultValue) = 0;
  virtual HostStatus WriteValue(const std::string& key, const std::string& value) = 0;
  virtual HostResult<std::string> ReadDeviceValue(const std::string& key,
                                                  const std::string& defaultValue) = 0;
  virtual HostStatus WriteDeviceValue(const std::string& key, const std::string& value) = 0;
};

/// The host's message service; a beat is Send(9, 1, 0).
class IMessages {
 public:
  virtual ~IMessages() = default;
  virtual HostStatus Send(int32_t code, int16_t value1, int16_t value2) = 0;
};

/// The DMX output stream: UserInteraction before each pass, then one
/// SetChannel(channel, value 0..255, true) per changed channel.
class IMyStream {
 public:
  virtual ~IMyStream() = default;
  virtual HostStatus UserInteraction() = 0;
  virtual HostStatus SetChannel(int32_t channel, int32_t value, bool flag) = 0;
};

/// Texts in the user's language.
class ITranslator {
 public:
  virtual ~ITranslator() = default;
  virtual HostResult<std::string> Translate(const std::string& text) = 0;
};

/// The host's open project. BaseFilename ends with name; what stands before
/// it is the project's folder.
class IProject {
 public:
  virtual ~IProject() = default;
  virtual HostResult<std::string> name() = 0;
  virtual HostResult<std::string> BaseFilename() = 0;
};

/// The helper object handed over in ILMQPlugin::Init. A member that the host
/// cannot provide returns null, which the plug-in treats as a failed call.
class ILMQPluginHelper {
 public:
  virtual ~ILMQPluginHelper() = default;
  virtual ISettings* Settings() = 0;
  virtual IMessages* Messages() = 0;
  virtual IMyStream* MyStream() = 0;
  virtual ITranslator* Translator() = 0;
  virtual IProject* Project() = 0;
};

// ---------------------------------------------------------------------------
// Host objects that the plug-in creates and fills.

/// A list of command options, filled with Add(text, key).
class CommandOptions {
 public:
  struct Entry {
    std::string text;
    std::string key;
  };
  void Add(const std::string& text, const std::string& key) { entries_.push_back({text, key}); }
  const std::vector<Entry>& entries() const { return entries_; }

 private:
  std::vector<Entry> entries_;
};

class IExternalWindow;
class ILMQTool;
class ICommandServer;

/// An object of the host whose kind the plug-in does not know, handed over
/// where an interface takes "any object" (the optional arguments of
/// ICommandServer::ExecuteCommand). Null stands for an argument not given.
class IHostObject {
 public:
  virtual ~IHostObject() = default;
};

/// The module-information record that ILMQModule::ModuleInfo fills, field by
/// field in this order. The unnamed numbers mean something to the host only.
struct ModuleInformation {
  std::string moduleId;     // 1: braced lower-case GUID
  std::string name;         // 2
  std::string description;  // 3
  std::string author;       // 4
  int32_t number5 = 0;
  int32_t number6 = 0;
  int32_t number7 = 0;
  std::string displayName;  // 8
  // 9: the main window, as the host drives it (tool window and project data).
  std::shared_ptr<IExternalWindow> toolWindow;
  std::shared_ptr<ILMQTool> projectTool;
  int32_t number10 = 0;
  std::shared_ptr<ICommandServer> commandServer;  // 11
  int32_t number12 = 0;
  int32_t number13 = 0;
  int32_t number14 = 0;
};

// ---------------------------------------------------------------------------
// Interfaces the host calls on the plug-in.

/// Life cycle of the plug-in object.
class ILMQPlugin {
 public:
  virtual ~ILMQPlugin() = default;
  virtual HostResult<bool> Disable() = 0;
  virtual HostResult<bool> Enable() = 0;
  virtual HostResult<bool> Configure() = 0;
  virtual HostResult<bool> Init(std::string& callingAppTitle, std::string& myFilename,
                                std::shared_ptr<ILMQPluginHelper> helper) = 0;
  virtual HostResult<int32_t> MessageHandle(int32_t& msg, int32_t& arg1, int32_t& arg2) = 0;
  virtual HostResult<std::string> PluginName() = 0;
  virtual HostResult<bool> Term() = 0;
};

/// Module information of the plug-in object.
class ILMQModule {
 public:
  virtual ~ILMQModule() = default;
  virtual HostResult<std::shared_ptr<ModuleInformation>> ModuleInfo() = 0;
};

/// The plug-in object as the host creates it: life cycle, module
/// information, and its own PluginName property (the same as ILMQPlugin's).
class IclsLMQPlugIn : public ILMQPlugin, public ILMQModule {};

/// The main window as one of the host's tool windows.
/// Window states: 0 normal, 1 minimised, 2 maximised.
class IExternalWindow {
 public:
  virtual ~IExternalWindow() = default;
  virtual HostResult<bool> isOpen() = 0;
  virtual HostResult<bool> loadWindow() = 0;
  virtual HostResult<bool> unloadWindow() = 0;
  virtual HostResult<bool> hideWindow() = 0;
  virtual HostResult<bool> showWindow() = 0;
  virtual HostResult<int32_t> WindowState() = 0;
  virtual HostStatus SetWindowState(int32_t& value) = 0;
};

/// The main window as the owner of project data.
class ILMQTool {
 public:
  virtual ~ILMQTool() = default;
  virtual HostStatus ClearProjectData() = 0;
  virtual HostStatus LoadProjectData() = 0;
  virtual HostStatus SaveProjectData() = 0;
  virtual HostResult<bool> AskToSaveProjectData() = 0;
  virtual HostStatus SetViewMode(int32_t value) = 0;
};

/// Commands offered to the host's command system.
class ICommandServer {
 public:
  virtual ~ICommandServer() = default;
  virtual HostResult<std::string> Name() = 0;
  virtual HostResult<std::shared_ptr<CommandOptions>> GetFirstOptions() = 0;
  virtual HostResult<std::shared_ptr<CommandOptions>> GetSecondOptions(std::string& firstSelection) = 0;
  /// Always answers an empty result on success. `stream` and
  /// `additionalData` are optional (null when the host gives none).
  virtual HostStatus ExecuteCommand(std::string& firstSelection, std::string& secondSelection,
                                    int32_t& newValue, std::shared_ptr<IHostObject>& stream,
                                    std::shared_ptr<IHostObject>& additionalData) = 0;
};

}  // namespace tactolo
