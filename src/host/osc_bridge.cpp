#include "host/osc_bridge.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <lo/lo.h>
#include <netdb.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>

#include "host/shown_tempo.h"
#include "platform/host_interfaces.h"

namespace tactolo::host {

namespace {

/// The bridge whose liblo call runs on this thread: liblo's error handler
/// gets no context of its own, and every liblo call of a bridge runs on the
/// thread that owns it.
thread_local OscBridge* tl_libloCaller = nullptr;

class LibloCall {
 public:
  explicit LibloCall(OscBridge& bridge) : previous_(tl_libloCaller) { tl_libloCaller = &bridge; }
  ~LibloCall() { tl_libloCaller = previous_; }
  LibloCall(const LibloCall&) = delete;
  LibloCall& operator=(const LibloCall&) = delete;

 private:
  OscBridge* previous_;
};

/// The bytes of `message` under `path`; frees the message.
std::vector<char> serialise(const char* path, lo_message message) {
  size_t size = 0;
  std::unique_ptr<char, decltype(&std::free)> bytes(
      static_cast<char*>(lo_message_serialise(message, path, nullptr, &size)), &std::free);
  lo_message_free(message);
  return std::vector<char>(bytes.get(), bytes.get() + size);
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// liblo's arguments lie in the packet at 4-byte boundaries, while lo_arg
// wants 8: they are read as bytes, not through the union.
std::string stringArg(const lo_arg* arg) { return reinterpret_cast<const char*>(arg); }
int32_t intArg(const lo_arg* arg) {
  int32_t value = 0;
  std::memcpy(&value, arg, sizeof value);
  return value;
}

}  // namespace

OscBridge::OscBridge(const OscSettings& settings, ICommandServer& commands, Warn warn)
    : commands_(commands), warn_(std::move(warn)) {
  lo_message beat = lo_message_new();
  lo_message_add_int32(beat, 9);
  lo_message_add_int32(beat, 1);
  lo_message_add_int32(beat, 0);
  beatPacket_ = serialise("/tactolo/beat", beat);
  lo_message tempo = lo_message_new();
  lo_message_add_float(tempo, 0.0f);
  tempoPacket_ = serialise("/tactolo/bpm", tempo);

  openSender(settings.sendTo);
  openListener(settings.listenPort);
}

OscBridge::~OscBridge() {
  if (sendFd_ >= 0) ::close(sendFd_);
  if (server_) lo_server_free(server_);
}

void OscBridge::openSender(const std::string& sendTo) {
  if (sendTo.empty()) return;
  sendTo_ = sendTo;
  const auto target = SplitHostPort(sendTo);
  if (!target) {
    warn_("OSC: " + quoted(sendTo) + " is not HOST:PORT (port 1 to 65535); beats and tempo are not sent");
    return;
  }
  addrinfo hints{};
  hints.ai_socktype = SOCK_DGRAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  if (const int error = getaddrinfo(target->host.c_str(), target->port.c_str(), &hints, &found); error != 0) {
    warn_("OSC: cannot find the host of " + quoted(sendTo) + ": " + gai_strerror(error) +
          "; beats and tempo are not sent");
    return;
  }
  std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owned(found, &freeaddrinfo);
  // An IPv4 address first when the name has one ("localhost" lists ::1
  // first): receivers on a lighting network mostly listen on IPv4 only.
  for (addrinfo* candidate = found; candidate; candidate = candidate->ai_next) {
    if (candidate->ai_family == AF_INET) {
      found = candidate;
      break;
    }
  }
  const int fd = ::socket(found->ai_family, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    warn_("OSC: cannot open a socket for " + quoted(sendTo) + ": " + std::strerror(errno) +
          "; beats and tempo are not sent");
    return;
  }
  // Consoles often listen on the network's broadcast address.
  const int yes = 1;
  setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &yes, sizeof yes);
  std::memcpy(&sendAddress_, found->ai_addr, found->ai_addrlen);
  sendAddressLength_ = found->ai_addrlen;
  sendFd_ = fd;
}

void OscBridge::openListener(int port) {
  if (port == 0) return;
  std::string portText;
  if (port != kAnyPort) {
    if (port < 1 || port > 65535) {
      warn_("OSC: " + std::to_string(port) + " is not a UDP port (1 to 65535); commands are not received");
      return;
    }
    portText = std::to_string(port);
  }
  LibloCall call(*this);
  server_ = lo_server_new_with_proto(port == kAnyPort ? nullptr : portText.c_str(), LO_UDP, &onLibloError);
  if (!server_) {
    warn_("OSC: cannot listen on UDP port " + (portText.empty() ? "(any)" : portText) +
          " (does another program use it?): " + (libloError_.empty() ? "unknown error" : libloError_) +
          "; commands are not received");
    libloError_.clear();
    return;
  }
  libloError_.clear();
  // Bundles for later run at once: commands run in the order they arrive.
  lo_server_enable_queue(server_, 0, 1);
  lo_server_add_method(server_, nullptr, nullptr, &onMessage, this);
  // Replies go out on this socket; the loop must never wait on them.
  const int fd = lo_server_get_socket_fd(server_);
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

void OscBridge::beat(const BeatEvent& beat) {
  showTempo(beat.bpm);
  send(beatPacket_);
}

void OscBridge::showTempo(const std::string& caption) {
  if (sendFd_ < 0 || caption == lastCaption_) return;
  lastCaption_ = caption;
  const auto bpm = shownTempo(caption);
  if (!bpm) {
    warn_("OSC: the tempo shown, " + quoted(caption) + ", is not a number; /tactolo/bpm is not sent for it");
    return;
  }
  const auto value = static_cast<float>(*bpm);
  if (lastTempo_ == value) return;
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  bits = htonl(bits);
  std::memcpy(tempoPacket_.data() + tempoPacket_.size() - sizeof bits, &bits, sizeof bits);
  send(tempoPacket_);
  lastTempo_ = value;
}

void OscBridge::send(const std::vector<char>& packet) {
  if (sendFd_ < 0) return;
  const auto* address = reinterpret_cast<const sockaddr*>(&sendAddress_);
  if (::sendto(sendFd_, packet.data(), packet.size(), MSG_DONTWAIT | MSG_NOSIGNAL, address,
               sendAddressLength_) >= 0) {
    sendFailing_ = false;
  } else if (!sendFailing_) {
    sendFailing_ = true;
    warn_("OSC: cannot send to " + sendTo_ + ": " + std::strerror(errno));
  }
}

int OscBridge::fd() const { return server_ ? lo_server_get_socket_fd(server_) : -1; }

int OscBridge::listenPort() const { return server_ ? lo_server_get_port(server_) : 0; }

void OscBridge::receive() {
  if (!server_) return;
  LibloCall call(*this);
  for (int i = 0; i < kMessagesPerReceive; ++i) {
    const int received = lo_server_recv_noblock(server_, 0);
    if (!libloError_.empty()) {
      warn_("OSC: malformed message received: " + libloError_);
      libloError_.clear();
    }
    if (!handlerError_.empty()) {
      warn_("OSC: message not handled: " + handlerError_);
      handlerError_.clear();
    }
    if (received == 0) break;
  }
}

void OscBridge::onLibloError(int /*number*/, const char* message, const char* where) {
  if (!tl_libloCaller) return;
  std::string& error = tl_libloCaller->libloError_;
  if (!error.empty()) error += "; ";
  error += message ? message : "unknown error";
  if (where && *where) error += std::string(" (") + where + ")";
}

int OscBridge::onMessage(const char* path, const char* types, lo_arg** argv, int /*argc*/, lo_message message,
                         void* self) {
  auto* bridge = static_cast<OscBridge*>(self);
  // Nothing may unwind through liblo: what goes wrong is told after its call.
  try {
    bridge->handle(path ? path : "", types ? types : "", argv, message);
  } catch (const std::exception& error) {
    bridge->handlerError_ = error.what();
  }
  return 0;  // handled: liblo looks no further
}

void OscBridge::handle(const std::string& path, const std::string& types, lo_arg** argv, lo_message message) {
  if (path == "/tactolo/command") {
    if (types != "ssi") {
      warn_("OSC: /tactolo/command takes s s i (first selection, second selection, value), not " +
            (types.empty() ? std::string("no arguments") : types));
      return;
    }
    std::string first = stringArg(argv[0]);
    std::string second = stringArg(argv[1]);
    int32_t value = intArg(argv[2]);
    std::shared_ptr<IHostObject> stream;
    std::shared_ptr<IHostObject> additionalData;
    const auto result = commands_.ExecuteCommand(first, second, value, stream, additionalData);
    if (!result.ok) {
      warn_("OSC: /tactolo/command " + quoted(stringArg(argv[0])) + " " + quoted(stringArg(argv[1])) + " " +
            std::to_string(intArg(argv[2])) + " failed: " + result.error);
    }
  } else if (path == "/tactolo/options") {
    if (!types.empty()) {
      warn_("OSC: /tactolo/options takes no arguments, not " + types);
      return;
    }
    answerOptions(message);
  } else {
    warn_("OSC: unknown address " + path + " (known: /tactolo/command, /tactolo/options)");
  }
}

void OscBridge::answerOptions(lo_message request) {
  const auto first = commands_.GetFirstOptions();
  if (!first.ok || !first.value) {
    warn_("OSC: /tactolo/options not answered: " + first.error);
    return;
  }
  // Every answer is made before the first goes out: all of them or none.
  std::vector<lo_message> replies;
  const auto freeAll = [&replies] {
    for (lo_message reply : replies) lo_message_free(reply);
  };
  for (const auto& option : first.value->entries()) {
    std::string key = option.key;
    const auto second = commands_.GetSecondOptions(key);
    if (!second.ok || !second.value) {
      freeAll();
      warn_("OSC: /tactolo/options not answered: " + second.error);
      return;
    }
    lo_message reply = lo_message_new();
    lo_message_add_string(reply, option.key.c_str());
    lo_message_add_string(reply, option.text.c_str());
    for (const auto& choice : second.value->entries()) {
      lo_message_add_string(reply, choice.key.c_str());
      lo_message_add_string(reply, choice.text.c_str());
    }
    replies.push_back(reply);
  }
  lo_address sender = lo_message_get_source(request);
  for (lo_message reply : replies) {
    if (lo_send_message_from(sender, server_, "/tactolo/options", reply) < 0) {
      warn_(std::string("OSC: cannot answer /tactolo/options: ") + lo_address_errstr(sender));
      break;
    }
  }
  freeAll();
}

}  // namespace tactolo::host
