// The text format of VU configuration files.
//
// A file is Windows-1252 text without byte-order mark, one value per line,
// exactly 323 lines:
//   1          the configuration name
//   2          stereo: "True" or "False"
//   3          points per row, 1..16
//   4..163     the 16 left points, ten lines each
//   164..323   the 16 right points, ten lines each
// A point's ten lines: Confirmed, Monochrome, DimmerValue, Red, Green, Blue,
// DimmerChannel, RedChannel, GreenChannel, BlueChannel (the colour bytes come
// before the dimmer channel). Numbers are plain decimal, booleans "True" and
// "False"; every line ends with CR LF.
//
// Reading is lenient where old files may differ and strict where a value
// could not be used: lines may end with LF alone; booleans may be in any
// letter case or a number (0 false, anything else true); numbers may carry
// blanks around them, a sign and a fraction, which rounds to the nearest
// integer with halves to even. Out-of-range values, text that is no number,
// a size outside 1..16 (0 included: it leaves no point to drive) and fewer
// than 323 lines are refused, and so is a line longer than 4096 bytes (a
// real line holds a name or a number), so that a reader never needs more
// than the first 323 lines of at most that length. Lines after 323 are
// ignored. A read either gives a complete layout or fails; it never gives
// half a file.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "vu/vu_config.h"

namespace tactolo {

/// A VU configuration file that cannot be read or written; the message says
/// what is wrong (which line, which field, or what the system refused).
class VuFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr size_t kVuFileLines = 323;
/// The longest line a file may hold, in bytes without its line end.
constexpr size_t kVuMaxLineBytes = 4096;

/// The most bytes that `lines` lines of a file can take, line ends included:
/// a reader that needs no more lines than that reads no further.
constexpr size_t VuBytesForLines(size_t lines) { return lines * (kVuMaxLineBytes + 2); }

/// A decimal number as the reader takes it: rounded to an integer (halves to
/// even) and whether its value was zero before rounding. Magnitudes beyond
/// 10^15 stay at 10^15, outside every field's range.
struct RoundedDecimal {
  int64_t rounded = 0;
  bool zero = true;
};

/// Parses [blanks][+|-]digits[.digits][blanks] (digits on at least one side
/// of the point); nothing for any other text.
std::optional<RoundedDecimal> ParseRoundedDecimal(std::string_view text);

/// The bytes of a file for this layout. Refuses a name with a line break or
/// longer than a line may be, and a size outside 1..16, which would not read
/// back as written.
std::string FormatVuLayout(const VuLayout& layout);

/// The first `maxLines` lines of a file's bytes, split at LF with one CR
/// before each LF dropped. Text after the last LF is a line of its own
/// unless it is empty. Throws VuFileError for one of these lines that is
/// longer than kVuMaxLineBytes; the bytes after them are not looked at.
std::vector<std::string> SplitVuLines(std::string_view bytes, size_t maxLines = kVuFileLines);

/// Reads a layout from a file's lines (Windows-1252, without line ends).
/// Throws VuFileError naming the first line that is wrong.
VuLayout ParseVuLayout(std::span<const std::string> lines);

/// Reads a layout from a whole file's bytes.
VuLayout ParseVuLayoutBytes(std::string_view bytes);

}  // namespace tactolo
