#include "host/ola_output.h"

#include <ola/DmxBuffer.h>
#include <ola/client/StreamingClient.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <vector>

namespace tactolo::host {

namespace {

/// How often an unchanged universe goes to olad again, and how often an
/// absent olad is tried.
constexpr std::chrono::seconds kRefresh{1};
constexpr std::chrono::seconds kRetry{1};

int validated(const OlaSettings& settings, int universes) {
  if (universes < 1 || universes > kMaxUniverses) {
    throw std::invalid_argument("OLA: " + std::to_string(universes) + " universes; 1 to " +
                                std::to_string(kMaxUniverses) + " can be sent");
  }
  if (settings.firstUniverse < 0) {
    throw std::invalid_argument("OLA: universe " + std::to_string(settings.firstUniverse) +
                                " does not exist; OLA counts universes from 0");
  }
  return universes;
}

}  // namespace

OlaOutput::OlaOutput(const OlaSettings& settings, int universes, Warn warn, uint16_t rpcPort)
    : firstUniverse_(static_cast<unsigned>(settings.firstUniverse)),
      warn_(std::move(warn)),
      rpcPort_(rpcPort),
      mailbox_(validated(settings, universes)) {
  sender_ = std::thread([this] { run(); });
}

OlaOutput::~OlaOutput() { close(); }

void OlaOutput::publish(int index, const DmxFrame& frame) { mailbox_.publish(index, frame); }

DmxOutputState OlaOutput::state() const { return status_.state("OLA"); }

void OlaOutput::close() {
  if (closed_) return;
  closed_ = true;
  mailbox_.close();
  sender_.join();
}

void OlaOutput::run() {
  const auto count = static_cast<std::size_t>(mailbox_.universes());
  const std::string port = std::to_string(rpcPort_);
  const auto say = [this](const std::string& line) {
    if (warn_) warn_(line);
  };

  std::vector<DmxFrame> frames(count);
  for (DmxFrame& frame : frames) frame.fill(0);
  std::vector<uint8_t> changed(count, 1);
  std::vector<SteadyTime> lastSent(count);
  ola::DmxBuffer buffer;
  std::unique_ptr<ola::client::StreamingClient> client;
  // Whether olad was reached before, and whether its absence was told.
  bool reachedBefore = false;
  bool toldAbsent = false;
  SteadyTime nextTry{};

  const auto lost = [&](const std::string& why) {
    status_.setError(why);
    if (!toldAbsent) say("OLA: " + why + "; DMX waits for it, trying again every second");
    toldAbsent = true;
  };

  const auto connect = [&](SteadyTime now) {
    if (now < nextTry) return;
    ola::client::StreamingClient::Options clientOptions;
    clientOptions.auto_start = false;
    clientOptions.server_port = rpcPort_;
    auto fresh = std::make_unique<ola::client::StreamingClient>(clientOptions);
    if (!fresh->Setup()) {
      lost(reachedBefore ? "olad went away (port " + port + ")" : "olad does not answer on port " + port);
      nextTry = now + kRetry;
      return;
    }
    client = std::move(fresh);
    if (toldAbsent) say(reachedBefore ? "OLA: connected to olad again" : "OLA: connected to olad");
    toldAbsent = false;
    reachedBefore = true;
    status_.setError("");
    // olad may have restarted without the frames: all of them again.
    std::fill(changed.begin(), changed.end(), 1);
  };

  const auto sendDue = [&](SteadyTime now) {
    int sent = 0;
    for (std::size_t i = 0; client != nullptr && i < count; ++i) {
      if (!changed[i] && now - lastSent[i] < kRefresh) continue;
      buffer.Set(frames[i].data(), static_cast<unsigned>(frames[i].size()));
      if (!client->SendDmx(firstUniverse_ + static_cast<unsigned>(i), buffer)) {
        client.reset();
        lost("olad went away (port " + port + ")");
        nextTry = now;
        break;
      }
      lastSent[i] = now;
      changed[i] = 0;
      ++sent;
    }
    status_.countFrames(sent, now);
  };

  for (bool open = true; open;) {
    SteadyTime now = std::chrono::steady_clock::now();
    if (client == nullptr) connect(now);
    sendDue(now);
    const SteadyTime due =
        client != nullptr ? *std::min_element(lastSent.begin(), lastSent.end()) + kRefresh : nextTry;
    open = mailbox_.take(frames, changed, due);
    if (!open && client != nullptr) sendDue(std::chrono::steady_clock::now());
  }
}

}  // namespace tactolo::host
