#include "audio/input_gain.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace tactolo {

float inputGainFactor(double db) {
  // Written so that NaN fails the test too.
  if (!(db >= 0.0 && db <= kMaxInputGainDb)) {
    char text[64];
    std::snprintf(text, sizeof text, "input gain must be 0 to %g dB, not %g", kMaxInputGainDb, db);
    throw std::out_of_range(text);
  }
  return static_cast<float>(std::pow(10.0, db / 20.0));
}

}  // namespace tactolo
