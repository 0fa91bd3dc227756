#include "live_status.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

#include "text_escape.h"

namespace tactolo::app {

namespace {

/// How long the indicator stays lit after a beat: longer than the redraw
/// period, so that every beat is seen.
constexpr auto kIndicatorLit = std::chrono::milliseconds(150);

const char* indicator(const host::ShowStatus& status) {
  if (!status.lastBeat || std::chrono::steady_clock::now() - status.lastBeatAt > kIndicatorLit) return "    ";
  switch (*status.lastBeat) {
    case host::BeatKind::Detected:
      return "beat";
    case host::BeatKind::Generated:
      return "kept";
    case host::BeatKind::Manual:
      return "sync";
  }
  return "    ";
}

/// The terminal's width; 80 when it does not say.
std::size_t columns() {
  winsize size{};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

std::string seconds(double s) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", s);
  return text;
}

}  // namespace

void LiveStatus::update(const host::ShowStatus& status, double sinceStart) {
  if (terminal_) {
    char levels[48];
    std::snprintf(levels, sizeof levels, "L %.2f R %.2f", status.levelLeft, status.levelRight);
    char fps[32];
    std::snprintf(fps, sizeof fps, "%.0f fps", status.dmx.framesPerSecond);
    std::string line = std::string(indicator(status)) + "  " +
                       (status.tempo.empty() ? std::string("---") : escapeLine(status.tempo)) +
                       " BPM  keep " + (status.keeping ? "on " : "off") + "  " + levels + "  DMX " +
                       status.dmx.name;
    if (status.dmx.name != "none") line += std::string(" ") + fps;
    if (!status.dmx.lastError.empty()) line += " (" + escapeLine(status.dmx.lastError) + ")";
    if (status.linkPeers) line += "  Link " + std::to_string(*status.linkPeers) + " peers";
    if (!status.capturing) line += "  stopped";
    // A line longer than the terminal would wrap, and the next redraw
    // would start below it.
    const std::size_t width = columns() - 1;
    if (line.size() > width) line.resize(width);
    out_ << "\r\x1b[K" << line << std::flush;
    drawn_ = true;
    return;
  }
  const std::string at = seconds(sinceStart) + " status ";
  if (status.keeping != keeping_) out_ << at << "keep " << (status.keeping ? "on" : "off") << '\n';
  keeping_ = status.keeping;
  if (status.dmx.lastError != dmxError_) {
    if (status.dmx.lastError.empty()) {
      out_ << at << "dmx ok\n";
    } else {
      out_ << at << "dmx error " << escapeLine(status.dmx.lastError) << '\n';
    }
  }
  dmxError_ = status.dmx.lastError;
  const std::size_t peers = status.linkPeers.value_or(0);
  if (peers != linkPeers_) out_ << at << "link peers " << peers << '\n';
  linkPeers_ = peers;
}

void LiveStatus::clear() {
  if (!drawn_) return;
  out_ << "\r\x1b[K" << std::flush;
  drawn_ = false;
}

}  // namespace tactolo::app
