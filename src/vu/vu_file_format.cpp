#include "vu/vu_file_format.h"

#include <array>
#include <cctype>
#include <limits>
#include <utility>

#include "vu/windows1252.h"

namespace tactolo {
namespace {

constexpr int64_t kMagnitudeCap = 1'000'000'000'000'000;  // 10^15
constexpr int kLinesPerPoint = 10;
constexpr int kFirstPointLine = 4;

constexpr std::array<const char*, kLinesPerPoint> kPointFieldNames{
    "Confirmed", "Monochrome",    "DimmerValue", "Red",          "Green",
    "Blue",      "DimmerChannel", "RedChannel",  "GreenChannel", "BlueChannel"};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool equalsIgnoringCase(std::string_view text, std::string_view word) {
  if (text.size() != word.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != word[i]) return false;
  }
  return true;
}

/// What line `number` (1-based) of a file holds, for error messages.
std::string describeLine(size_t number) {
  std::string text = "line " + std::to_string(number);
  if (number == 1) return text + " (name)";
  if (number == 2) return text + " (mode)";
  if (number == 3) return text + " (size)";
  const size_t index = number - kFirstPointLine;
  const size_t rowLines = static_cast<size_t>(kVuPointsPerRow) * kLinesPerPoint;
  const char* row = index < rowLines ? "left" : "right";
  const size_t point = (index % rowLines) / kLinesPerPoint;
  return text + " (" + row + " point " + std::to_string(point) + ", " +
         kPointFieldNames[index % kLinesPerPoint] + ")";
}

/// Walks the lines of a file in order, converting each to its field.
class LineReader {
 public:
  explicit LineReader(std::span<const std::string> lines) : lines_(lines) {}

  std::string_view next() { return lines_[number_++]; }

  bool readBool() {
    const std::string_view text = trimBlanks(next());
    if (equalsIgnoringCase(text, "true")) return true;
    if (equalsIgnoringCase(text, "false")) return false;
    const auto number = ParseRoundedDecimal(text);
    if (!number) fail("is not True, False or a number");
    return !number->zero;
  }

  int64_t readInteger(int64_t min, int64_t max) {
    const auto number = ParseRoundedDecimal(next());
    if (!number) fail("is not a number");
    if (number->rounded < min || number->rounded > max) {
      fail("is outside " + std::to_string(min) + ".." + std::to_string(max));
    }
    return number->rounded;
  }

  uint8_t readByte() { return static_cast<uint8_t>(readInteger(0, 255)); }

  int32_t readChannel() {
    return static_cast<int32_t>(
        readInteger(std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
  }

  [[noreturn]] void fail(const std::string& what) const {
    throw VuFileError(describeLine(number_) + " " + what);
  }

 private:
  std::span<const std::string> lines_;
  size_t number_ = 0;  // lines taken so far = number of the last one
};

void readPoint(LineReader& reader, VuPoint& point) {
  point.Confirmed = reader.readBool();
  point.Monochrome = reader.readBool();
  point.DimmerValue = reader.readByte();
  point.Red = reader.readByte();
  point.Green = reader.readByte();
  point.Blue = reader.readByte();
  point.DimmerChannel = reader.readChannel();
  point.RedChannel = reader.readChannel();
  point.GreenChannel = reader.readChannel();
  point.BlueChannel = reader.readChannel();
}

void appendLine(std::string& out, std::string_view text) {
  out += text;
  out += "\r\n";
}

void appendBool(std::string& out, bool value) { appendLine(out, value ? "True" : "False"); }

void appendNumber(std::string& out, int64_t value) { appendLine(out, std::to_string(value)); }

void writePoint(std::string& out, const VuPoint& point) {
  appendBool(out, point.Confirmed);
  appendBool(out, point.Monochrome);
  appendNumber(out, int64_t{point.DimmerValue});
  appendNumber(out, int64_t{point.Red});
  appendNumber(out, int64_t{point.Green});
  appendNumber(out, int64_t{point.Blue});
  appendNumber(out, int64_t{point.DimmerChannel});
  appendNumber(out, int64_t{point.RedChannel});
  appendNumber(out, int64_t{point.GreenChannel});
  appendNumber(out, int64_t{point.BlueChannel});
}

}  // namespace

std::optional<RoundedDecimal> ParseRoundedDecimal(std::string_view text) {
  text = trimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  const size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view fraction = point == std::string_view::npos ? "" : text.substr(point + 1);
  if (whole.empty() && fraction.empty()) return std::nullopt;
  auto allDigits = [](std::string_view digits) {
    for (char c : digits) {
      if (c < '0' || c > '9') return false;
    }
    return true;
  };
  if (!allDigits(whole) || !allDigits(fraction)) return std::nullopt;

  RoundedDecimal result;
  int64_t magnitude = 0;
  for (char c : whole) {
    if (c != '0') result.zero = false;
    magnitude = magnitude >= kMagnitudeCap ? kMagnitudeCap : magnitude * 10 + (c - '0');
  }
  bool restNonZero = false;  // any non-zero digit after the first fraction digit
  for (size_t i = 0; i < fraction.size(); ++i) {
    if (fraction[i] == '0') continue;
    result.zero = false;
    if (i > 0) restNonZero = true;
  }
  const int firstFraction = fraction.empty() ? 0 : fraction[0] - '0';
  if (firstFraction > 5 || (firstFraction == 5 && (restNonZero || magnitude % 2 == 1))) ++magnitude;
  result.rounded = negative ? -magnitude : magnitude;
  return result;
}

std::string FormatVuLayout(const VuLayout& layout) {
  if (layout.VuName.find_first_of("\r\n") != std::string::npos) {
    throw VuFileError("the name holds a line break");
  }
  if (layout.VuSize < kVuMinSize || layout.VuSize > kVuMaxSize) {
    throw VuFileError("the size " + std::to_string(layout.VuSize) + " is outside 1..16");
  }
  const std::string name = Utf8ToWindows1252(layout.VuName);
  if (name.size() > kVuMaxLineBytes) {
    throw VuFileError("the name is longer than " + std::to_string(kVuMaxLineBytes) + " bytes");
  }
  std::string out;
  out.reserve(2048);
  appendLine(out, name);
  appendBool(out, layout.VuStereo);
  appendNumber(out, int64_t{layout.VuSize});
  for (const VuPoint& point : layout.LeftPoints) writePoint(out, point);
  for (const VuPoint& point : layout.RightPoints) writePoint(out, point);
  return out;
}

std::vector<std::string> SplitVuLines(std::string_view bytes, size_t maxLines) {
  std::vector<std::string> lines;
  while (lines.size() < maxLines && !bytes.empty()) {
    const size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    // A CR goes with the LF after it; the last line has no LF to go with.
    if (end != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
    if (line.size() > kVuMaxLineBytes) {
      throw VuFileError(describeLine(lines.size() + 1) + " is longer than " +
                        std::to_string(kVuMaxLineBytes) + " bytes");
    }
    lines.emplace_back(line);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
  }
  return lines;
}

VuLayout ParseVuLayout(std::span<const std::string> lines) {
  if (lines.size() < kVuFileLines) {
    throw VuFileError("the file ends after " + std::to_string(lines.size()) + " lines; a configuration has " +
                      std::to_string(kVuFileLines));
  }
  LineReader reader(lines);
  VuLayout layout;
  layout.VuName = Windows1252ToUtf8(reader.next());
  layout.VuStereo = reader.readBool();
  layout.VuSize = static_cast<int16_t>(reader.readInteger(kVuMinSize, kVuMaxSize));
  for (VuPoint& point : layout.LeftPoints) readPoint(reader, point);
  for (VuPoint& point : layout.RightPoints) readPoint(reader, point);
  return layout;
}

VuLayout ParseVuLayoutBytes(std::string_view bytes) { return ParseVuLayout(SplitVuLines(bytes)); }

}  // namespace tactolo
