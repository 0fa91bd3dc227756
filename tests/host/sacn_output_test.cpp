// sACN: the packet on the wire, and the output as a receiver on this
// computer hears it.
#include "host/sacn_output.h"

#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <map>
#include <stdexcept>
#include <thread>
#include <vector>

#include "host/sacn_packet.h"

namespace tactolo::host {
namespace {

using std::chrono::milliseconds;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

constexpr SacnCid kCid = {0x5a, 0x1e, 0x6c, 0x33, 0x0b, 0x7d, 0x4e, 0x21,
                          0x9f, 0x00, 0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc};

DmxFrame frameOf(std::initializer_list<std::pair<int, uint8_t>> values) {
  DmxFrame frame{};
  for (auto [slot, value] : values) frame[static_cast<std::size_t>(slot - 1)] = value;
  return frame;
}

TEST(SacnPacketTest, LayersLieAtTheirOffsetsInNetworkOrder) {
  const SacnPacket packet{
      kCid, "Tactolo", 150, 201, kSacnOptionStreamTerminated, 0x1234, 0, frameOf({{1, 0xff}, {512, 0x42}})};
  const SacnPacketBytes bytes = encodeSacnPacket(packet);

  // Root layer: preamble, post-amble, "ASC-E1.17", flags and length 622,
  // VECTOR_ROOT_E131_DATA; framing layer: flags and length 600,
  // VECTOR_E131_DATA_PACKET; DMP layer: flags and length 523, set property,
  // type 0xa1, first address 0, increment 1, 513 values, start code 0.
  const std::map<std::size_t, std::vector<uint8_t>> expected = {
      {0, {0x00, 0x10, 0x00, 0x00, 'A', 'S', 'C', '-', 'E', '1', '.', '1', '7', 0, 0, 0}},
      {16, {0x72, 0x6e, 0x00, 0x00, 0x00, 0x04}},
      {22, std::vector<uint8_t>(kCid.begin(), kCid.end())},
      {38, {0x72, 0x58, 0x00, 0x00, 0x00, 0x02}},
      {44, {'T', 'a', 'c', 't', 'o', 'l', 'o', 0}},
      {107, {0x00, 150, 0x00, 0x00, 201, 0x40, 0x12, 0x34}},
      {115, {0x72, 0x0b, 0x02, 0xa1, 0x00, 0x00, 0x00, 0x01, 0x02, 0x01, 0x00, 0xff, 0x00}},
      {636, {0x00, 0x42}},
  };
  for (const auto& [offset, want] : expected) {
    const std::vector<uint8_t> got(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                                   bytes.begin() + static_cast<std::ptrdiff_t>(offset + want.size()));
    EXPECT_EQ(got, want) << "at offset " << offset;
  }
  EXPECT_EQ(decodeSacnPacket(bytes), packet);
}

TEST(SacnPacketTest, SourceNameIsCutAtACharacterBoundaryLeavingItsNul) {
  SacnPacket packet;
  // 62 ASCII bytes, then a two-byte character that would end at byte 64.
  packet.sourceName = std::string(62, 'x') + "\xc3\xa9" + "tail";
  const SacnPacketBytes bytes = encodeSacnPacket(packet);
  EXPECT_EQ(bytes[44 + 62], 0) << "the cut character is left out whole";
  EXPECT_EQ(bytes[44 + 63], 0);
  EXPECT_EQ(decodeSacnPacket(bytes)->sourceName, std::string(62, 'x'));

  packet.sourceName = std::string(61, 'x') + "\xc3\xa9" + "tail";
  EXPECT_EQ(decodeSacnPacket(encodeSacnPacket(packet))->sourceName, std::string(61, 'x') + "\xc3\xa9");
}

TEST(SenderStatusTest, FrameRateIsTheLastFullSecondsCount) {
  SenderStatus status;
  const SteadyTime start = std::chrono::steady_clock::now();
  status.countFrames(1, start);
  status.countFrames(4, start + milliseconds(400));
  EXPECT_EQ(status.state("sACN").framesPerSecond, 0.0) << "no second has passed";
  status.countFrames(5, start + milliseconds(1250));
  EXPECT_DOUBLE_EQ(status.state("sACN").framesPerSecond, 10 / 1.25);
  status.countFrames(0, start + milliseconds(2250));
  EXPECT_EQ(status.state("sACN").framesPerSecond, 0.0) << "a second without frames";
}

/// A UDP socket on a port of its own that hears the output: on 127.0.0.1,
/// or on every address of this computer (as a multicast group member).
class Receiver {
 public:
  explicit Receiver(bool everyAddress = false) {
    socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(everyAddress ? INADDR_ANY : INADDR_LOOPBACK);
    EXPECT_EQ(bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~Receiver() { ::close(socket_); }

  uint16_t port() const { return port_; }
  int fd() const { return socket_; }

  /// The next packet within `timeout`; nullopt when none comes. A datagram
  /// that is no data packet fails the test.
  std::optional<SacnPacket> next(milliseconds timeout = milliseconds(1000)) {
    pollfd ready{socket_, POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(timeout.count())) <= 0) return std::nullopt;
    uint8_t buffer[2048];
    const ssize_t got = recv(socket_, buffer, sizeof buffer, 0);
    if (got < 0) return std::nullopt;
    auto packet = decodeSacnPacket(std::span<const uint8_t>(buffer, static_cast<std::size_t>(got)));
    EXPECT_TRUE(packet.has_value()) << "a datagram of " << got << " bytes that is no sACN data packet";
    return packet;
  }

  /// Packets until the first of `universe` whose slot 1 is `slot1`
  /// (included).
  std::vector<SacnPacket> until(uint16_t universe, uint8_t slot1) {
    std::vector<SacnPacket> packets;
    while (auto packet = next()) {
      packets.push_back(*packet);
      if (packet->universe == universe && packet->slots[0] == slot1) return packets;
    }
    ADD_FAILURE() << "no packet of universe " << universe << " with slot 1 at " << int{slot1};
    return packets;
  }

 private:
  int socket_ = -1;
  uint16_t port_ = 0;
};

SacnSettings settingsTo(std::vector<std::string> targets) {
  SacnSettings settings;
  settings.unicastTargets = std::move(targets);
  settings.firstUniverse = 7;
  settings.priority = 150;
  settings.sourceName = "Tactolo bench";
  settings.cid = kCid;
  return settings;
}

// Every universe at the start, then each change, with the source's fields
// and each universe's own sequence (wrapping after 255); the close ends each
// stream with three packets that say so, holding the universe's last frame.
TEST(SacnOutputTest, SendsEachUniverseInItsOwnSequenceAndEndsItsStreamOnClose) {
  Receiver receiver;
  SacnOutput output(settingsTo({"127.0.0.1"}), 2, {receiver.port(), milliseconds(1000)});
  std::vector<SacnPacket> packets;
  const auto change = [&](int index, const DmxFrame& frame) {
    output.publish(index, frame);
    const std::vector<SacnPacket> got = receiver.until(static_cast<uint16_t>(7 + index), frame[0]);
    packets.insert(packets.end(), got.begin(), got.end());
  };
  // One change of universe 8, then 300 of universe 7.
  const DmxFrame eight = frameOf({{1, 255}, {2, 17}, {512, 9}});
  change(1, eight);
  for (int step = 1; step <= 300; ++step) change(0, frameOf({{1, static_cast<uint8_t>(step % 250 + 1)}}));
  const DmxFrame seven = frameOf({{1, 253}, {10, 201}});
  change(0, seven);
  EXPECT_EQ(output.state().name, "sACN");
  EXPECT_EQ(output.state().lastError, "");
  output.close();
  output.publish(0, frameOf({{1, 1}}));
  while (auto packet = receiver.next(milliseconds(200))) packets.push_back(*packet);

  std::map<uint16_t, std::vector<SacnPacket>> byUniverse;
  for (const SacnPacket& packet : packets) byUniverse[packet.universe].push_back(packet);
  ASSERT_EQ(byUniverse.size(), 2u);
  for (const auto& [universe, sent] : byUniverse) {
    SCOPED_TRACE(universe);
    ASSERT_GE(sent.size(), 5u);
    EXPECT_EQ(sent.front().slots, DmxFrame{});
    EXPECT_EQ(sent.back().slots, universe == 7 ? seven : eight);
    for (std::size_t i = 0; i < sent.size(); ++i) {
      const uint8_t ends = i + 3 >= sent.size() ? kSacnOptionStreamTerminated : 0;
      const SacnPacket want{kCid, "Tactolo bench", 150, static_cast<uint8_t>(i),
                            ends, universe,        0,   sent[i].slots};
      ASSERT_EQ(sent[i], want) << "packet " << i;
    }
  }
}

TEST(SacnOutputTest, RefreshesAnUnchangedUniverseOncePerPeriodOnly) {
  Receiver receiver;
  SacnOutput output(settingsTo({"127.0.0.1"}), 1, {receiver.port(), milliseconds(100)});
  const DmxFrame frame = frameOf({{3, 99}});
  output.publish(0, frame);
  ASSERT_FALSE(receiver.until(7, 0).empty());

  std::vector<std::chrono::steady_clock::time_point> arrivals;
  const auto end = std::chrono::steady_clock::now() + milliseconds(450);
  while (std::chrono::steady_clock::now() < end) {
    auto packet = receiver.next(milliseconds(150));
    if (!packet) break;
    if (packet->slots != frame) continue;  // the zero frame of the start
    arrivals.push_back(std::chrono::steady_clock::now());
  }
  // The change, then about one refresh per 100 ms: judged by the refreshes'
  // average, as a busy machine may hand two of them to the reader at once.
  ASSERT_GE(arrivals.size(), 3u);
  EXPECT_LE(arrivals.size(), 6u);
  const auto refreshes = static_cast<long>(arrivals.size() - 2);
  EXPECT_GE((arrivals.back() - arrivals[1]) / refreshes, milliseconds(60));
}

TEST(SacnOutputTest, SendErrorStaysInTheStateWhileTheOtherTargetsStillHear) {
  Receiver receiver;
  // A broadcast without SO_BROADCAST is refused (EACCES) by every send.
  SacnOutput output(settingsTo({"127.0.0.1", "255.255.255.255"}), 1, {receiver.port(), milliseconds(1000)});
  output.publish(0, frameOf({{1, 5}}));
  ASSERT_FALSE(receiver.until(7, 5).empty());
  output.publish(0, frameOf({{1, 6}}));
  ASSERT_FALSE(receiver.until(7, 6).empty());
  std::string error;
  const auto deadline = std::chrono::steady_clock::now() + milliseconds(1000);
  while (error.empty() && std::chrono::steady_clock::now() < deadline) {
    error = output.state().lastError;
    std::this_thread::sleep_for(milliseconds(1));
  }
  EXPECT_NE(error.find("sACN universe 7 to 255.255.255.255: "), std::string::npos) << error;
}

TEST(SacnOutputTest, MulticastsEachUniverseToItsGroup) {
  // Universe 258 is group 239.255.1.2.
  Receiver member(true);
  ip_mreq join{};
  inet_pton(AF_INET, "239.255.1.2", &join.imr_multiaddr);
  join.imr_interface.s_addr = htonl(INADDR_ANY);
  if (setsockopt(member.fd(), IPPROTO_IP, IP_ADD_MEMBERSHIP, &join, sizeof join) != 0) {
    GTEST_SKIP() << "this computer cannot join a multicast group";
  }
  SacnSettings settings = settingsTo({});
  settings.firstUniverse = 257;
  SacnOutput output(settings, 2, {member.port(), milliseconds(1000)});
  output.publish(1, frameOf({{1, 33}}));
  const std::vector<SacnPacket> packets = member.until(258, 33);
  ASSERT_FALSE(packets.empty());
  for (const SacnPacket& packet : packets) EXPECT_EQ(packet.universe, 258) << "only the group's universe";
  if (!output.state().lastError.empty()) ADD_FAILURE() << output.state().lastError;
}

TEST(SacnOutputTest, RefusesSettingsItCannotSend) {
  struct Case {
    const char* what;
    std::function<void(SacnSettings&, int&)> change;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"no universe", [](SacnSettings&, int& n) { n = 0; }, "0 universes"},
      {"65 universes", [](SacnSettings&, int& n) { n = 65; }, "65 universes"},
      {"universe 0", [](SacnSettings& s, int&) { s.firstUniverse = 0; }, "universes 0 to 0"},
      {"past 63999", [](SacnSettings& s, int& n) { s.firstUniverse = 63999, n = 2; }, "63999 to 64000"},
      {"priority 201", [](SacnSettings& s, int&) { s.priority = 201; }, "priority 201"},
      {"no CID", [](SacnSettings& s, int&) { s.cid = {}; }, "no CID"},
      {"unknown host", [](SacnSettings& s, int&) { s.unicastTargets.push_back("x.invalid"); },
       "\"x.invalid\""},
  };
  for (const Case& c : cases) {
    SacnSettings settings = settingsTo({"127.0.0.1"});
    int universes = 1;
    c.change(settings, universes);
    EXPECT_THAT([&] { SacnOutput(settings, universes); }, ThrowsMessage<std::exception>(HasSubstr(c.message)))
        << c.what;
  }
}

}  // namespace
}  // namespace tactolo::host
