#include "host/show.h"

#include <stdexcept>

namespace tactolo::host {

namespace {

std::unique_ptr<DmxOutput> makeOutput(const ShowSetup& setup, NoticeQueue& notices) {
  const OutputSettings& outputs = setup.outputs;
  switch (outputs.dmx) {
    case DmxOutputKind::Sacn:
      return std::make_unique<SacnOutput>(outputs.sacn, outputs.universes, setup.sacn);
    case DmxOutputKind::Ola:
      // OLA's sender warns on its own thread: the loop's thread prints it.
      return std::make_unique<OlaOutput>(
          outputs.ola, outputs.universes, [&notices](const std::string& line) { notices.push(line); },
          setup.olaRpcPort);
    case DmxOutputKind::None:
      break;
  }
  return std::make_unique<NoDmxOutput>();
}

}  // namespace

Show::Show(const ShowSetup& setup, ISettings& settings, IProject& project, EventClock& clock,
           CaptureLibrary& capture, DialogService& dialogs, Warn warn)
    : warn_(std::move(warn)) {
  output_ = makeOutput(setup, notices_);
  universes_ = std::make_unique<DmxUniverses>(setup.outputs.universes, *output_, warn_);
  host_ = std::make_unique<PluginHost>(setup.pluginPath, setup.title, clock, capture, dialogs,
                                       HelperParts{settings, *universes_, project});
  actions_ = std::make_unique<BeatActions>(clock, *universes_, setup.actions);
  const OscSettings& osc = setup.outputs.osc;
  if (!osc.sendTo.empty() || osc.listenPort != 0) {
    osc_ = std::make_unique<OscBridge>(osc, host_->commands(), warn_);
  }
  if (setup.outputs.link) link_ = std::make_unique<LinkSession>();
  host_->setBeatSink([this](const BeatEvent& beat) { this->beat(beat); });
}

Show::~Show() {
  // The plug-in ends before the universes it writes to, and they before
  // the output they hand frames to.
  link_.reset();
  osc_.reset();
  actions_.reset();
  host_.reset();
  closeOutputs();
}

void Show::beat(const BeatEvent& beat) {
  // The network first: OSC and Link carry the beat's time to machines that
  // wait for it. The front end's line comes before the actions' DMX
  // changes, which only put frames into the output's mailbox.
  if (osc_) osc_->beat(beat);
  if (link_) link_->beat(beat);
  lastBeat_ = beat.kind;
  lastBeatAt_ = beat.sentAt;
  if (onBeat_) onBeat_(beat);
  actions_->onBeat(beat);
}

void Show::receiveOsc() {
  if (osc_) osc_->receive();
}

void Show::takeNotices() {
  for (const std::string& line : notices_.take()) {
    if (warn_) warn_(line);
  }
}

void Show::afterRound() {
  host_->deliverBeats();
  universes_->flush();
}

ShowStatus Show::status() {
  ShowStatus status;
  status.capturing = host_->capturing();
  status.lastBeat = lastBeat_;
  status.lastBeatAt = lastBeatAt_;
  status.tempo = host_->property("bpmLabel", "caption").text;
  status.keeping = host_->state("Keeping").integer != 0;
  status.levelLeft = host_->state("VuLevelLeft").real;
  status.levelRight = host_->state("VuLevelRight").real;
  status.dmx = output_->state();
  if (link_) status.linkPeers = link_->peers();
  return status;
}

std::vector<std::string> Show::endPlugin(bool saveProject) {
  std::vector<std::string> failures = host_->finish(saveProject);
  // What the plug-in's close handlers wrote goes out before the outputs
  // close.
  universes_->flush();
  return failures;
}

void Show::closeOutputs() {
  if (outputsClosed_ || output_ == nullptr) return;
  outputsClosed_ = true;
  output_->close();
}

}  // namespace tactolo::host
