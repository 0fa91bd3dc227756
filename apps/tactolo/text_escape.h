// Texts from outside (file names above all) written where a line break or a
// byte that is not UTF-8 would do harm: one line of standard error, a JSON
// document.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tactolo::app {

/// Length of the valid UTF-8 sequence that starts at `text[at]`, 1 to 4;
/// 0 when the bytes there are not UTF-8 (a stray continuation byte, a
/// truncated or overlong sequence, a surrogate, a code point above
/// U+10FFFF).
std::size_t utf8SequenceLength(std::string_view text, std::size_t at);

/// `text` as one printable line: a backslash as \\, line breaks and tabs as
/// \n, \r and \t, other control characters (C0, DEL and C1) and every byte
/// that is not part of valid UTF-8 as \xHH; everything else as it is.
std::string escapeLine(std::string_view text);

/// escapeLine with backslashes left as they are: for a line whose quoted
/// parts carry their own escapes already (`tactolo script`'s transcript),
/// so that whatever else it holds cannot break it or its UTF-8.
std::string escapeBytes(std::string_view text);

/// `text` as a JSON string, quotes included: \", \\, \n, \r, \t and \u00XX
/// for other control characters, and U+FFFD (the replacement character) for
/// each byte that is not part of valid UTF-8, so that the document is valid
/// UTF-8 JSON whatever the text holds.
std::string jsonString(std::string_view text);

}  // namespace tactolo::app
