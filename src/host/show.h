// A show: the plug-in hosted with everything a small rig needs around it.
// Its helper object keeps the settings in the project and writes DMX to the
// host's universes; every beat drives the beat actions and goes out by OSC
// and Link; the universes go to the network through sACN or OLA.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/beat_actions.h"
#include "host/beat_event.h"
#include "host/dmx_output.h"
#include "host/dmx_universes.h"
#include "host/link_session.h"
#include "host/notice_queue.h"
#include "host/ola_output.h"
#include "host/osc_bridge.h"
#include "host/plugin_host.h"
#include "host/sacn_output.h"
#include "host/show_settings.h"

namespace tactolo::host {

/// What a show runs with: the project's outputs and actions with whatever
/// the front end set for this run.
struct ShowSetup {
  std::string pluginPath;
  /// The calling application's title the plug-in is Inited with.
  std::string title = "tactolo";
  OutputSettings outputs;
  std::vector<BeatAction> actions;
  /// Where sACN goes and how often it repeats (tests use a port of their
  /// own), and olad's RPC port.
  SacnOutput::Options sacn;
  uint16_t olaRpcPort = OlaOutput::kDefaultRpcPort;
  /// The desktop's system colours and the translator of the user's
  /// language; null: the standard colours, texts as given.
  const SystemColors* colors = nullptr;
  ITranslator* translator = nullptr;
};

/// The output that sends nothing (`--dmx none`).
class NoDmxOutput final : public DmxOutput {
 public:
  void publish(int /*index*/, const DmxFrame& /*frame*/) override {}
  DmxOutputState state() const override { return {"none", 0.0, {}}; }
  void close() override {}
};

/// What a status line shows.
struct ShowStatus {
  bool capturing = false;
  /// The last beat handed on and when (steady clock); none before it.
  std::optional<BeatKind> lastBeat;
  std::chrono::steady_clock::time_point lastBeatAt{};
  /// The tempo the window shows (bpmLabel's caption).
  std::string tempo;
  bool keeping = false;
  /// The VU levels (1.0 full scale at neutral VU gain).
  double levelLeft = 0.0;
  double levelRight = 0.0;
  DmxOutputState dmx;
  /// Link's other peers; none while Link is off.
  std::optional<std::size_t> linkPeers;
};

/// Everything runs on the thread that drives the clock, except the DMX
/// output's sender and Link's own threads. The event loop watches oscFd()
/// and noticeFd() (when not -1), calls receiveOsc() and takeNotices() when
/// they are readable, and afterRound() after every round of the clock's
/// events and of those calls.
class Show {
 public:
  /// Gets warnings and notes, one line each, on the loop's thread.
  using Warn = std::function<void(const std::string&)>;

  /// Makes the output (sACN resolves its unicast targets here), the
  /// universes, the plug-in with its helper object (`settings` and `project`
  /// the front end's, the universes its DMX stream), the beat actions, and
  /// OSC and Link as the outputs ask. The plug-in's main window is not
  /// loaded yet (host().loadWindow()). std::runtime_error or
  /// std::invalid_argument with a one-line message when any of that fails.
  Show(const ShowSetup& setup, ISettings& settings, IProject& project, EventClock& clock,
       CaptureLibrary& capture, DialogService& dialogs, Warn warn);
  ~Show();
  Show(const Show&) = delete;
  Show& operator=(const Show&) = delete;

  PluginHost& host() { return *host_; }
  DmxUniverses& universes() { return *universes_; }
  /// The outputs and beat actions the show runs with.
  const OutputSettings& outputs() const { return outputs_; }
  std::vector<BeatAction> actions() const { return actions_->actions(); }

  /// Runs with `outputs` from now on: the new DMX output is made first
  /// (nothing changes when that fails: std::runtime_error or
  /// std::invalid_argument), then what the universes hold goes out through
  /// the old one and it closes, the universes take the new count (channels
  /// past it are dropped) and go out whole through the new output; OSC and
  /// Link start, stop or start anew as their settings changed. The loop
  /// watches oscFd() anew afterwards.
  void setOutputs(const OutputSettings& outputs);
  /// Runs `actions` from now on (each checked with checkBeatAction, else
  /// std::invalid_argument and nothing changes); what the old ones lit goes
  /// dark.
  void setActions(std::vector<BeatAction> actions);
  /// The UDP port OSC commands arrive on; 0 when not listening.
  int oscListenPort() const { return osc_ ? osc_->listenPort() : 0; }

  /// Gets every beat after OSC and Link had it, before the beat actions
  /// act on it.
  void setBeatSink(PluginHost::BeatSink sink) { onBeat_ = std::move(sink); }

  int oscFd() const { return osc_ ? osc_->fd() : -1; }
  /// Runs the OSC messages that arrived (commands on the plug-in).
  void receiveOsc();
  int noticeFd() const { return notices_.fd(); }
  /// Hands the output thread's notices to the warning callback.
  void takeNotices();
  /// Hands on the beats sent since the last round and sends the universes
  /// that changed.
  void afterRound();

  ShowStatus status();

  /// Ends the plug-in's part (PluginHost::finish): the outputs stay open,
  /// so that the frames of the end still go out.
  std::vector<std::string> endPlugin(bool saveProject);
  /// Closes the outputs (sACN's stream-terminated packets go out), after
  /// endPlugin(). Later calls do nothing.
  void closeOutputs();

 private:
  void beat(const BeatEvent& beat);

  EventClock& clock_;
  ShowSetup setup_;
  OutputSettings outputs_;
  Warn warn_;
  NoticeQueue notices_;
  std::unique_ptr<DmxOutput> output_;
  std::unique_ptr<DmxUniverses> universes_;
  std::unique_ptr<PluginHost> host_;
  std::unique_ptr<BeatActions> actions_;
  std::unique_ptr<OscBridge> osc_;
  std::unique_ptr<LinkSession> link_;
  PluginHost::BeatSink onBeat_;
  std::optional<BeatKind> lastBeat_;
  std::chrono::steady_clock::time_point lastBeatAt_{};
  bool outputsClosed_ = false;
};

}  // namespace tactolo::host
