// A host helper object for running the plug-in without a lighting host:
// in-memory settings stores, a message service and a DMX stream that record
// what the plug-in sent (with the clock's time), a translator (the text as
// given, or an English or German table), and a project with a name and base
// file name.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/host_interfaces.h"

namespace tactolo {

class MemorySettings final : public ISettings {
 public:
  HostResult<std::string> ReadValue(const std::string& key, const std::string& defaultValue) override;
  HostStatus WriteValue(const std::string& key, const std::string& value) override;
  HostResult<std::string> ReadDeviceValue(const std::string& key, const std::string& defaultValue) override;
  HostStatus WriteDeviceValue(const std::string& key, const std::string& value) override;

  std::map<std::string, std::string> general;
  std::map<std::string, std::string> device;
};

class RecordingMessages final : public IMessages {
 public:
  struct Sent {
    TimeMs atMs;
    int32_t code;
    int16_t value1;
    int16_t value2;
  };
  explicit RecordingMessages(const Clock& clock) : clock_(clock) {}
  HostStatus Send(int32_t code, int16_t value1, int16_t value2) override;

  std::vector<Sent> sent;
  /// While true, Send fails (a host that refuses messages).
  bool failing = false;
  /// Runs inside every Send before it is recorded, as a host's own handling
  /// of the message does (null: nothing).
  std::function<void()> whileSending;

 private:
  const Clock& clock_;
};

class RecordingStream final : public IMyStream {
 public:
  struct Event {
    TimeMs atMs;
    bool userInteraction;  // false: SetChannel
    int32_t channel;
    int32_t value;
    bool flag;
  };
  explicit RecordingStream(const Clock& clock) : clock_(clock) {}
  HostStatus UserInteraction() override;
  HostStatus SetChannel(int32_t channel, int32_t value, bool flag) override;

  std::vector<Event> events;
  /// While true, every call fails and records nothing (a host that refuses
  /// DMX output).
  bool failing = false;

 private:
  const Clock& clock_;
};

/// The host's translator in one of four languages:
///  * AsGiven: every text comes back as it was given;
///  * English: the German texts the plug-in offers ("Ausführen",
///    "Auswählen") in English; English texts as given;
///  * German: the plug-in's command names in German; German texts as given;
///  * Failing: every call fails, as with a host whose translator has gone.
/// A text the table does not hold comes back as given.
class HeadlessTranslator final : public ITranslator {
 public:
  enum class Language { AsGiven, English, German, Failing };
  HostResult<std::string> Translate(const std::string& text) override;

  Language language = Language::AsGiven;
};

class FixedProject final : public IProject {
 public:
  HostResult<std::string> name() override { return HostResult<std::string>::success(projectName); }
  HostResult<std::string> BaseFilename() override { return HostResult<std::string>::success(baseFilename); }

  std::string projectName = "show";
  std::string baseFilename = "show";
};

class HeadlessHelper final : public ILMQPluginHelper {
 public:
  explicit HeadlessHelper(const Clock& clock) : messages(clock), stream(clock) {}
  ISettings* Settings() override { return &settings; }
  IMessages* Messages() override { return &messages; }
  IMyStream* MyStream() override { return &stream; }
  ITranslator* Translator() override { return &translator; }
  IProject* Project() override { return &project; }

  MemorySettings settings;
  RecordingMessages messages;
  RecordingStream stream;
  HeadlessTranslator translator;
  FixedProject project;
};

}  // namespace tactolo
