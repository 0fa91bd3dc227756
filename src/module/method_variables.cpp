#include "module/method_variables.h"

#include <stdexcept>
#include <string>

namespace tactolo {

double FrequencySelectedVariables::SubbandHistory(int age, int subband) const {
  if (age < 0 || age >= kHistoryLength || subband < 0 || subband >= subbandCount_) {
    throw std::out_of_range("no sub-band history entry " + std::to_string(age) + ", " +
                            std::to_string(subband));
  }
  const int row = (newestRow_ + age) % kHistoryLength;
  return history_[static_cast<std::size_t>(row) * subbandCount_ + subband];
}

}  // namespace tactolo
