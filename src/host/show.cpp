#include "host/show.h"

#include <stdexcept>

namespace tactolo::host {

namespace {

std::unique_ptr<DmxOutput> makeOutput(const ShowSetup& setup, const OutputSettings& outputs,
                                      NoticeQueue& notices) {
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
    : clock_(clock), setup_(setup), outputs_(setup.outputs), warn_(std::move(warn)) {
  output_ = makeOutput(setup_, outputs_, notices_);
  universes_ = std::make_unique<DmxUniverses>(outputs_.universes, *output_, warn_);
  host_ = std::make_unique<PluginHost>(setup.pluginPath, setup.title, clock, capture, dialogs,
                                       HelperParts{settings, *universes_, project, setup.translator},
                                       setup.colors);
  actions_ = std::make_unique<BeatActions>(clock, *universes_, setup.actions);
  const OscSettings& osc = outputs_.osc;
  if (!osc.sendTo.empty() || osc.listenPort != 0) {
    osc_ = std::make_unique<OscBridge>(osc, host_->commands(), warn_);
  }
  if (outputs_.link) link_ = std::make_unique<LinkSession>();
  host_->setBeatSink([this](const BeatEvent& beat) { this->beat(beat); });
}

void Show::setOutputs(const OutputSettings& outputs) {
  std::unique_ptr<DmxOutput> output = makeOutput(setup_, outputs, notices_);
  // What the universes hold now still goes out where it was going.
  universes_->flush();
  if (!outputsClosed_) output_->close();
  universes_->reconfigure(outputs.universes, *output);
  output_ = std::move(output);
  outputsClosed_ = false;
  universes_->flush();

  const OscSettings& osc = outputs.osc;
  if (osc != outputs_.osc) {
    // The old bridge lets go of its port before the new one listens there.
    osc_.reset();
    if (!osc.sendTo.empty() || osc.listenPort != 0) {
      osc_ = std::make_unique<OscBridge>(osc, host_->commands(), warn_);
    }
  }
  if (outputs.link && !link_) link_ = std::make_unique<LinkSession>();
  if (!outputs.link) link_.reset();
  outputs_ = outputs;
}

void Show::setActions(std::vector<BeatAction> actions) {
  auto replaced = std::make_unique<BeatActions>(clock_, *universes_, std::move(actions));
  // The old actions' channels go dark before the new ones act.
  actions_->darken();
  actions_ = std::move(replaced);
  universes_->flush();
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
