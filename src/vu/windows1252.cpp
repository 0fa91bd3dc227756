#include "vu/windows1252.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <stdexcept>
#include <utility>

namespace tactolo {
namespace {

constexpr std::array<unsigned char, 5> kUndefinedBytes{0x81, 0x8D, 0x8F, 0x90, 0x9D};

bool isUndefinedByte(long codePoint) {
  for (unsigned char b : kUndefinedBytes) {
    if (codePoint == b) return true;
  }
  return false;
}

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

/// One glibc iconv conversion, closed when it goes out of scope.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("no text converter from ") + from + " to " + to);
    }
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  /// Converts `in` onto the end of `out` until it is used up (returns 0) or
  /// a character does not convert (returns errno; `in` starts at it).
  int convert(std::string_view& in, std::string& out) {
    std::array<char, 256> chunk;
    while (!in.empty()) {
      char* inPtr = const_cast<char*>(in.data());  // iconv's signature; it does not write
      size_t inLeft = in.size();
      char* outPtr = chunk.data();
      size_t outLeft = chunk.size();
      const size_t result = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
      const int error = errno;
      out.append(chunk.data(), chunk.size() - outLeft);
      in.remove_prefix(in.size() - inLeft);
      if (result != static_cast<size_t>(-1)) continue;
      if (error != E2BIG) return error;
    }
    return 0;
  }

 private:
  iconv_t cd_;
};

/// The code point at the start of UTF-8 text and its length in bytes; -1
/// with length 1 for a byte that starts no valid sequence.
std::pair<long, size_t> decodeUtf8(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  size_t length = 0;
  long codePoint = 0;
  if (lead < 0x80) return {lead, 1};
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    codePoint = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    codePoint = lead & 0x07;
  } else {
    return {-1, 1};
  }
  if (text.size() < length) return {-1, 1};
  for (size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (!isContinuation(byte)) return {-1, 1};
    codePoint = (codePoint << 6) | (byte & 0x3F);
  }
  return {codePoint, length};
}

}  // namespace

std::string Windows1252ToUtf8(std::string_view bytes) {
  Converter converter("UTF-8", "WINDOWS-1252");
  std::string text;
  text.reserve(bytes.size() + bytes.size() / 2);
  while (!bytes.empty() && converter.convert(bytes, text) != 0) {
    // An undefined byte: the C1 control character of the same value.
    const auto byte = static_cast<unsigned char>(bytes.front());
    text += static_cast<char>(0xC0 | (byte >> 6));
    text += static_cast<char>(0x80 | (byte & 0x3F));
    bytes.remove_prefix(1);
  }
  return text;
}

std::string Utf8ToWindows1252(std::string_view text) {
  Converter converter("WINDOWS-1252", "UTF-8");
  std::string bytes;
  bytes.reserve(text.size());
  while (!text.empty() && converter.convert(text, bytes) != 0) {
    const auto [codePoint, length] = decodeUtf8(text);
    bytes += isUndefinedByte(codePoint) ? static_cast<char>(codePoint) : '?';
    text.remove_prefix(length);
  }
  return bytes;
}

size_t Utf8Length(std::string_view text) {
  size_t count = 0;
  for (char c : text) {
    if (!isContinuation(static_cast<unsigned char>(c))) ++count;
  }
  return count;
}

std::string_view Utf8Prefix(std::string_view text, size_t count) {
  size_t end = 0;
  size_t started = 0;
  for (; end < text.size(); ++end) {
    if (!isContinuation(static_cast<unsigned char>(text[end])) && started++ == count) break;
  }
  return text.substr(0, end);
}

}  // namespace tactolo
