#include "host/sacn_output.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <span>
#include <stdexcept>
#include <string>
#include <system_error>

namespace tactolo::host {

namespace {

constexpr int kLastUniverse = 63999;
constexpr int kMaxPriority = 200;
/// Hops a multicast packet may take: enough for the routed lighting networks
/// of a larger rig; the routers of a network that must not carry sACN drop
/// 239.255.0.0/16 anyway.
constexpr int kMulticastTtl = 8;
/// Stream-terminated packets sent per universe at the end.
constexpr int kTerminationPackets = 3;

std::string addressText(const sockaddr_in& address) {
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
  return text;
}

sockaddr_in resolve(const std::string& host, uint16_t port) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  const int result = host.empty() ? EAI_NONAME : getaddrinfo(host.c_str(), nullptr, &hints, &found);
  if (result != 0 || found == nullptr) {
    throw std::runtime_error("sACN: cannot resolve the receiver \"" + host + "\": " + gai_strerror(result));
  }
  sockaddr_in address{};
  std::copy_n(reinterpret_cast<const uint8_t*>(found->ai_addr), sizeof address,
              reinterpret_cast<uint8_t*>(&address));
  freeaddrinfo(found);
  address.sin_port = htons(port);
  return address;
}

/// `universes`, once the settings are checked.
int validated(const SacnSettings& settings, int universes) {
  if (universes < 1 || universes > kMaxUniverses) {
    throw std::invalid_argument("sACN: " + std::to_string(universes) + " universes; 1 to " +
                                std::to_string(kMaxUniverses) + " can be sent");
  }
  if (settings.firstUniverse < 1 || settings.firstUniverse + universes - 1 > kLastUniverse) {
    throw std::invalid_argument("sACN: universes " + std::to_string(settings.firstUniverse) + " to " +
                                std::to_string(settings.firstUniverse + universes - 1) +
                                " lie outside 1 to " + std::to_string(kLastUniverse));
  }
  if (settings.priority < 0 || settings.priority > kMaxPriority) {
    throw std::invalid_argument("sACN: priority " + std::to_string(settings.priority) +
                                " lies outside 0 to " + std::to_string(kMaxPriority));
  }
  if (std::all_of(settings.cid.begin(), settings.cid.end(), [](uint8_t b) { return b == 0; })) {
    throw std::invalid_argument("sACN: the source has no CID yet");
  }
  return universes;
}

}  // namespace

SacnOutput::SacnOutput(const SacnSettings& settings, int universes, Options options)
    : options_(options), mailbox_(validated(settings, universes)) {
  for (const std::string& target : settings.unicastTargets)
    targets_.push_back(resolve(target, options_.port));
  packets_.resize(static_cast<std::size_t>(universes));
  for (int i = 0; i < universes; ++i) {
    SacnPacket& packet = packets_[static_cast<std::size_t>(i)];
    packet.cid = settings.cid;
    packet.sourceName = settings.sourceName;
    packet.priority = static_cast<uint8_t>(settings.priority);
    packet.universe = static_cast<uint16_t>(settings.firstUniverse + i);
    // 239.255.HI.LO
    sockaddr_in group{};
    group.sin_family = AF_INET;
    group.sin_port = htons(options_.port);
    group.sin_addr.s_addr = htonl(0xefff0000u | packet.universe);
    groups_.push_back(group);
  }

  socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (socket_ < 0) {
    throw std::runtime_error("sACN: cannot open a UDP socket: " + std::system_category().message(errno));
  }
  const int ttl = kMulticastTtl;
  const int loop = 1;
  setsockopt(socket_, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl);
  setsockopt(socket_, IPPROTO_IP, IP_MULTICAST_LOOP, &loop, sizeof loop);
  try {
    sender_ = std::thread([this] { run(); });
  } catch (...) {
    ::close(socket_);
    throw;
  }
}

SacnOutput::~SacnOutput() { close(); }

void SacnOutput::publish(int index, const DmxFrame& frame) { mailbox_.publish(index, frame); }

DmxOutputState SacnOutput::state() const { return status_.state("sACN"); }

void SacnOutput::close() {
  if (closed_) return;
  closed_ = true;
  mailbox_.close();
  sender_.join();
  ::close(socket_);
}

bool SacnOutput::send(std::size_t index, SacnPacketBytes& bytes) {
  const SacnPacket& packet = packets_[index];
  encodeSacnPacket(packet, bytes);
  const std::span<const sockaddr_in> destinations = targets_.empty()
                                                        ? std::span<const sockaddr_in>(&groups_[index], 1)
                                                        : std::span<const sockaddr_in>(targets_);
  bool ok = true;
  for (const sockaddr_in& to : destinations) {
    ssize_t sent = -1;
    do {
      sent =
          ::sendto(socket_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    } while (sent < 0 && errno == EINTR);
    if (sent < 0) {
      status_.setError("sACN universe " + std::to_string(packet.universe) + " to " + addressText(to) + ": " +
                       std::system_category().message(errno));
      ok = false;
    }
  }
  return ok;
}

void SacnOutput::run() {
  const std::size_t count = packets_.size();
  std::vector<DmxFrame> frames(count);
  for (DmxFrame& frame : frames) frame.fill(0);
  // Every universe goes out once at the start.
  std::vector<uint8_t> changed(count, 1);
  std::vector<SteadyTime> lastSent(count);
  SacnPacketBytes bytes;

  const auto sendDue = [&](SteadyTime now) {
    int sent = 0;
    bool ok = true;
    for (std::size_t i = 0; i < count; ++i) {
      if (!changed[i] && now - lastSent[i] < options_.refresh) continue;
      packets_[i].slots = frames[i];
      ok = send(i, bytes) && ok;
      ++packets_[i].sequence;
      lastSent[i] = now;
      changed[i] = 0;
      ++sent;
    }
    if (sent > 0 && ok) status_.setError("");
    status_.countFrames(sent, now);
  };

  sendDue(std::chrono::steady_clock::now());
  for (;;) {
    const SteadyTime due = *std::min_element(lastSent.begin(), lastSent.end()) + options_.refresh;
    const bool open = mailbox_.take(frames, changed, due);
    sendDue(std::chrono::steady_clock::now());
    if (!open) break;
  }

  for (int round = 0; round < kTerminationPackets; ++round) {
    for (std::size_t i = 0; i < count; ++i) {
      packets_[i].options |= kSacnOptionStreamTerminated;
      send(i, bytes);
      ++packets_[i].sequence;
    }
  }
}

}  // namespace tactolo::host
