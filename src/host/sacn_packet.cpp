#include "host/sacn_packet.h"

#include <algorithm>
#include <cstring>
#include <random>

namespace tactolo::host {

namespace {

constexpr uint8_t kAcnPacketIdentifier[12] = {'A', 'S', 'C', '-', 'E', '1', '.', '1', '7', 0, 0, 0};
constexpr uint32_t kVectorRootE131Data = 0x00000004;
constexpr uint32_t kVectorE131DataPacket = 0x00000002;
constexpr uint8_t kVectorDmpSetProperty = 0x02;
constexpr uint8_t kDmpAddressAndDataType = 0xa1;

// Offsets of the fields in the packet.
constexpr std::size_t kRootFlagsLength = 16;
constexpr std::size_t kRootVector = 18;
constexpr std::size_t kCid = 22;
constexpr std::size_t kFramingFlagsLength = 38;
constexpr std::size_t kFramingVector = 40;
constexpr std::size_t kSourceName = 44;
constexpr std::size_t kPriority = 108;
constexpr std::size_t kSyncAddress = 109;
constexpr std::size_t kSequence = 111;
constexpr std::size_t kOptions = 112;
constexpr std::size_t kUniverse = 113;
constexpr std::size_t kDmpFlagsLength = 115;
constexpr std::size_t kDmpVector = 117;
constexpr std::size_t kDmpAddressType = 118;
constexpr std::size_t kFirstAddress = 119;
constexpr std::size_t kAddressIncrement = 121;
constexpr std::size_t kValueCount = 123;
constexpr std::size_t kStartCode = 125;
constexpr std::size_t kSlots = 126;

void put16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value >> 8);
  at[1] = static_cast<uint8_t>(value);
}

void put32(uint8_t* at, uint32_t value) {
  put16(at, static_cast<uint16_t>(value >> 16));
  put16(at + 2, static_cast<uint16_t>(value));
}

uint16_t get16(const uint8_t* at) { return static_cast<uint16_t>(at[0] << 8 | at[1]); }

uint32_t get32(const uint8_t* at) { return static_cast<uint32_t>(get16(at)) << 16 | get16(at + 2); }

/// A PDU's flags and length field for a PDU that starts at `offset`.
constexpr uint16_t flagsAndLength(std::size_t offset) {
  return static_cast<uint16_t>(0x7000 | (kSacnPacketSize - offset));
}

/// How many bytes of `name` fit into `maxBytes` without splitting a UTF-8
/// character: the cut never lands on a continuation byte (10xxxxxx).
std::size_t utf8Prefix(const std::string& name, std::size_t maxBytes) {
  if (name.size() <= maxBytes) return name.size();
  std::size_t length = maxBytes;
  while (length > 0 && (static_cast<uint8_t>(name[length]) & 0xc0) == 0x80) --length;
  return length;
}

}  // namespace

void encodeSacnPacket(const SacnPacket& packet, SacnPacketBytes& out) {
  uint8_t* p = out.data();
  std::memset(p, 0, kSacnPacketSize);
  // Root layer.
  put16(p + 0, 0x0010);  // preamble size
  put16(p + 2, 0x0000);  // post-amble size
  std::memcpy(p + 4, kAcnPacketIdentifier, sizeof kAcnPacketIdentifier);
  put16(p + kRootFlagsLength, flagsAndLength(kRootFlagsLength));
  put32(p + kRootVector, kVectorRootE131Data);
  std::memcpy(p + kCid, packet.cid.data(), packet.cid.size());
  // Framing layer.
  put16(p + kFramingFlagsLength, flagsAndLength(kFramingFlagsLength));
  put32(p + kFramingVector, kVectorE131DataPacket);
  std::memcpy(p + kSourceName, packet.sourceName.data(),
              utf8Prefix(packet.sourceName, kSacnSourceNameSize - 1));
  p[kPriority] = packet.priority;
  put16(p + kSyncAddress, 0);
  p[kSequence] = packet.sequence;
  p[kOptions] = packet.options;
  put16(p + kUniverse, packet.universe);
  // DMP layer.
  put16(p + kDmpFlagsLength, flagsAndLength(kDmpFlagsLength));
  p[kDmpVector] = kVectorDmpSetProperty;
  p[kDmpAddressType] = kDmpAddressAndDataType;
  put16(p + kFirstAddress, 0);
  put16(p + kAddressIncrement, 1);
  put16(p + kValueCount, kDmxChannels + 1);
  p[kStartCode] = packet.startCode;
  std::memcpy(p + kSlots, packet.slots.data(), packet.slots.size());
}

SacnPacketBytes encodeSacnPacket(const SacnPacket& packet) {
  SacnPacketBytes bytes;
  encodeSacnPacket(packet, bytes);
  return bytes;
}

std::optional<SacnPacket> decodeSacnPacket(std::span<const uint8_t> bytes) {
  if (bytes.size() != kSacnPacketSize) return std::nullopt;
  const uint8_t* p = bytes.data();
  const bool valid = get16(p) == 0x0010 && get16(p + 2) == 0 &&
                     std::equal(std::begin(kAcnPacketIdentifier), std::end(kAcnPacketIdentifier), p + 4) &&
                     get16(p + kRootFlagsLength) == flagsAndLength(kRootFlagsLength) &&
                     get32(p + kRootVector) == kVectorRootE131Data &&
                     get16(p + kFramingFlagsLength) == flagsAndLength(kFramingFlagsLength) &&
                     get32(p + kFramingVector) == kVectorE131DataPacket &&
                     get16(p + kDmpFlagsLength) == flagsAndLength(kDmpFlagsLength) &&
                     p[kDmpVector] == kVectorDmpSetProperty && p[kDmpAddressType] == kDmpAddressAndDataType &&
                     get16(p + kFirstAddress) == 0 && get16(p + kAddressIncrement) == 1 &&
                     get16(p + kValueCount) == kDmxChannels + 1;
  if (!valid) return std::nullopt;
  SacnPacket packet;
  std::copy_n(p + kCid, packet.cid.size(), packet.cid.begin());
  const auto* name = reinterpret_cast<const char*>(p + kSourceName);
  packet.sourceName.assign(name, strnlen(name, kSacnSourceNameSize));
  packet.priority = p[kPriority];
  packet.sequence = p[kSequence];
  packet.options = p[kOptions];
  packet.universe = get16(p + kUniverse);
  packet.startCode = p[kStartCode];
  std::copy_n(p + kSlots, packet.slots.size(), packet.slots.begin());
  return packet;
}

SacnCid makeCid() {
  std::random_device source;
  SacnCid cid;
  for (std::size_t i = 0; i < cid.size(); i += 4) {
    const uint32_t word = source();
    for (std::size_t b = 0; b < 4; ++b) cid[i + b] = static_cast<uint8_t>(word >> (8 * b));
  }
  cid[6] = static_cast<uint8_t>((cid[6] & 0x0f) | 0x40);  // version 4: random
  cid[8] = static_cast<uint8_t>((cid[8] & 0x3f) | 0x80);  // variant 1 (RFC 4122)
  return cid;
}

}  // namespace tactolo::host
