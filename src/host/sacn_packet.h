// One sACN (ANSI E1.31) data packet: its encoding on the wire and back.
//
// Every packet the output sends carries a full universe: 512 slots after the
// null start code, 638 bytes in all. The three layers, byte offsets from the
// start of the UDP payload:
//   root (0..37)        preamble size 0x0010, post-amble size 0, ACN packet
//                       identifier "ASC-E1.17", flags and length, vector
//                       VECTOR_ROOT_E131_DATA (4), the source's CID
//   framing (38..114)   flags and length, vector VECTOR_E131_DATA_PACKET (2),
//                       source name (64 bytes, UTF-8, NUL-padded), priority,
//                       synchronization address (0: none), sequence number,
//                       options, universe
//   DMP (115..637)      flags and length, vector VECTOR_DMP_SET_PROPERTY (2),
//                       address and data type 0xa1, first property address 0,
//                       address increment 1, property value count 513, start
//                       code, the slots
// Numbers are big-endian; each "flags and length" is 0x7 in the top nibble
// and the length of the rest of the packet from that field on.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "host/dmx_output.h"

namespace tactolo::host {

/// The UDP port sACN receivers listen on.
constexpr uint16_t kSacnPort = 5568;
/// Bytes of a packet with 512 slots.
constexpr std::size_t kSacnPacketSize = 638;
/// The source name field's size; the name itself is at most one byte less
/// (the field always ends with a NUL).
constexpr std::size_t kSacnSourceNameSize = 64;
/// Options bits of the framing layer.
constexpr uint8_t kSacnOptionPreview = 0x80;
constexpr uint8_t kSacnOptionStreamTerminated = 0x40;

using SacnCid = std::array<uint8_t, 16>;
using SacnPacketBytes = std::array<uint8_t, kSacnPacketSize>;

/// What one data packet says.
struct SacnPacket {
  SacnCid cid{};
  /// UTF-8; encoding cuts it to 63 bytes at a character boundary.
  std::string sourceName;
  uint8_t priority = 100;  // 0..200
  uint8_t sequence = 0;
  uint8_t options = 0;
  uint16_t universe = 1;  // 1..63999
  uint8_t startCode = 0;
  DmxFrame slots{};
  bool operator==(const SacnPacket&) const = default;
};

/// The packet's bytes. Does not allocate.
void encodeSacnPacket(const SacnPacket& packet, SacnPacketBytes& out);
SacnPacketBytes encodeSacnPacket(const SacnPacket& packet);

/// The data packet in `bytes`, or nullopt when they are not one with 512
/// slots (wrong size, identifier, vectors, lengths or DMP header). The
/// source name stops at its first NUL.
std::optional<SacnPacket> decodeSacnPacket(std::span<const uint8_t> bytes);

/// A fresh random component identifier (a version 4, variant 1 UUID), as a
/// project makes once for its sACN source.
SacnCid makeCid();

}  // namespace tactolo::host
