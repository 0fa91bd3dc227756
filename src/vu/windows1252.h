// Text of VU configuration files: 8-bit Windows-1252 on disk, UTF-8 inside.
//
// The five bytes that Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) read as the C1 control characters of the same value (U+0081 ...),
// as Windows itself maps them, and write back as the same bytes, so every
// file's text survives a load and a save unchanged.
#pragma once

#include <string>
#include <string_view>

namespace tactolo {

/// Decodes Windows-1252 bytes to UTF-8. Never fails.
std::string Windows1252ToUtf8(std::string_view bytes);

/// Encodes UTF-8 text as Windows-1252; a character it cannot hold, and a
/// byte that is not valid UTF-8, becomes "?".
std::string Utf8ToWindows1252(std::string_view text);

/// Number of characters (code points) in UTF-8 text: bytes that do not
/// continue a sequence.
size_t Utf8Length(std::string_view text);

/// The first `count` characters of UTF-8 text (all of it if it is shorter).
std::string_view Utf8Prefix(std::string_view text, size_t count);

}  // namespace tactolo
