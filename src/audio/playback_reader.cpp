#include "audio/playback_reader.h"

#include <algorithm>
#include <cstring>

namespace tactolo {

void PlaybackReader::readNewest(float* out, std::size_t frames) const {
  if (muted_) {
    std::fill(out, out + 2 * frames, 0.0f);
    return;
  }
  const auto total = static_cast<int64_t>(audio_.frameCount());
  const int64_t first = played_ - static_cast<int64_t>(frames);
  // [first, played_) split into silence before 0, audio, silence from total.
  const int64_t audioBegin = std::clamp<int64_t>(first, 0, total);
  const int64_t audioEnd = std::clamp<int64_t>(played_, 0, total);
  const int64_t leading = std::clamp<int64_t>(audioBegin - first, 0, static_cast<int64_t>(frames));
  const int64_t copied = std::max<int64_t>(audioEnd - audioBegin, 0);
  const int64_t trailing = static_cast<int64_t>(frames) - leading - copied;
  float* cursor = out;
  std::fill(cursor, cursor + 2 * leading, 0.0f);
  cursor += 2 * leading;
  if (copied > 0) {
    std::memcpy(cursor, audio_.samples.data() + 2 * audioBegin,
                static_cast<std::size_t>(2 * copied) * sizeof(float));
  }
  cursor += 2 * copied;
  std::fill(cursor, cursor + 2 * trailing, 0.0f);
}

}  // namespace tactolo
