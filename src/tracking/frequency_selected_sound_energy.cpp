#include "tracking/frequency_selected_sound_energy.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace tactolo {

namespace {

struct WidthRule {
  int16_t count;
  double slope;
  double offset;
};

// a and b of the width rule per sub-band count. With these exact decimal
// values the widths fill at most bins 0..1020; the first width of 64 is 1
// (a + b lies just below 2) and the first of 256 is 0.
constexpr std::array<WidthRule, 6> kWidthRules{{
    {8, 34.2857142857143, -26.2857142857143},
    {16, 7.86666666666667, -2.86666666666667},
    {32, 1.87096774193548, 1.12903225806452},
    {64, 0.444444444444, 1.555555555555},
    {128, 0.110236220472441, 0.889763779527559},
    {256, 0.0235294117647059, 0.976470588235294},
}};

// The factor of a sub-band's threshold falls with its variance.
constexpr double kFactorSlope = -0.0025714;
constexpr double kFactorOffset = 1.5142857;

// Two doubles in one value of the compiler's vector extension: one SSE2
// register on x86-64, a plain pair elsewhere. Each lane is computed with the
// same double operations as a scalar would be.
typedef double Lanes __attribute__((vector_size(16)));

Lanes load(const double* at) {
  Lanes v;
  std::memcpy(&v, at, sizeof v);
  return v;
}

void store(double* at, Lanes v) { std::memcpy(at, &v, sizeof v); }

// Mean, variance and factor of the history of sub-bands base .. base +
// 2 x kPairs - 1. Each sum runs from the newest entry to the oldest; the
// 2 x kPairs sub-bands keep independent sums going, which the processor
// overlaps when the sums stay in registers (hence the unrolled loops).
template <int kPairs>
void blockStatistics(const std::array<const double*, FrequencySelectedSoundEnergy::kHistoryLength>& rows,
                     int base, double* average, double* variance, double* factor) {
  constexpr double length = FrequencySelectedSoundEnergy::kHistoryLength;
  std::array<Lanes, kPairs> sum{};
  for (const double* row : rows) {
#pragma GCC unroll 8
    for (int k = 0; k < kPairs; ++k) sum[k] += load(row + base + 2 * k);
  }
  std::array<Lanes, kPairs> mean;
  for (int k = 0; k < kPairs; ++k) mean[k] = sum[k] / length;
  std::array<Lanes, kPairs> squares{};
  for (const double* row : rows) {
#pragma GCC unroll 8
    for (int k = 0; k < kPairs; ++k) {
      const Lanes d = load(row + base + 2 * k) - mean[k];
      squares[k] += d * d;
    }
  }
  for (int k = 0; k < kPairs; ++k) {
    const Lanes v = squares[k] / length;
    store(average + base + 2 * k, mean[k]);
    store(variance + base + 2 * k, v);
    store(factor + base + 2 * k, v * kFactorSlope + kFactorOffset);
  }
}

static_assert(std::ranges::all_of(FrequencySelectedSoundEnergy::kSubbandCounts,
                                  [](int n) { return n % 8 == 0; }),
              "the statistics take eight sub-bands at a time");

}  // namespace

FrequencySelectedSoundEnergy::FrequencySelectedSoundEnergy() {
  width_.reserve(kMaxSubbands);
  energy_.reserve(kMaxSubbands);
  history_.reserve(static_cast<std::size_t>(kHistoryLength) * kMaxSubbands);
  average_.reserve(kMaxSubbands);
  variance_.reserve(kMaxSubbands);
  factor_.reserve(kMaxSubbands);
  rank_.reserve(kMaxSubbands);
  ranking_.reserve(kMaxSubbands);
  ConfigureSubbands();
}

void FrequencySelectedSoundEnergy::ConfigureSubbands() {
  const std::size_t n = static_cast<std::size_t>(subbandCount_);
  for (const WidthRule& rule : kWidthRules) {
    if (rule.count == subbandCount_) {
      slope_ = rule.slope;
      offset_ = rule.offset;
    }
  }
  width_.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    width_[i] = static_cast<int16_t>(std::floor(slope_ * static_cast<double>(i + 1) + offset_));
  }
  energy_.assign(n, kEnergyFloor);
  history_.assign(n * kHistoryLength, 0.0);
  newestRow_ = 0;
  average_.assign(n, 0.0);
  variance_.assign(n, 0.0);
  factor_.assign(n, 0.0);
  rank_.resize(n);
  ranking_.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    rank_[i] = static_cast<int16_t>(i);
    ranking_[i] = {0.0, static_cast<int16_t>(i)};
  }
}

bool FrequencySelectedSoundEnergy::run(const float* spectrum, double gainFactor) {
  const int n = subbandCount_;

  int bin = 0;
  for (int i = 0; i < n; ++i) {
    const int width = width_[i];
    double sum = 0.0;
    for (int j = bin; j < bin + width; ++j) {
      const double v = spectrum[j];
      sum += v * v * gainFactor;
    }
    double energy = width * sum / 1024.0;
    // A non-finite energy (from a non-finite spectrum value) counts as the
    // floor, so that means, variances and the ranking stay ordinary numbers.
    if (!std::isfinite(energy) || energy < kEnergyFloor) energy = kEnergyFloor;
    energy_[i] = energy;
    bin += width;
  }

  // Mean, variance and factor of the 43 previous energies.
  std::array<const double*, kHistoryLength> rows;
  for (int age = 0; age < kHistoryLength; ++age) {
    rows[age] = &history_[static_cast<std::size_t>((newestRow_ + age) % kHistoryLength) * n];
  }
  int base = 0;
  for (; base + 16 <= n; base += 16) {
    blockStatistics<8>(rows, base, average_.data(), variance_.data(), factor_.data());
  }
  for (; base < n; base += 8) {
    blockStatistics<4>(rows, base, average_.data(), variance_.data(), factor_.data());
  }

  // The oldest row becomes the newest.
  newestRow_ = (newestRow_ + kHistoryLength - 1) % kHistoryLength;
  std::copy(energy_.begin(), energy_.end(), history_.begin() + static_cast<std::ptrdiff_t>(newestRow_) * n);

  if (!subbandCheck_) {
    for (int i = 0; i < n; ++i) {
      if (exceedsThreshold(i)) return true;
    }
    return false;
  }

  rankByVariance();
  for (int r = n - 1; r >= subbandValue_ - 1; --r) {
    if (exceedsThreshold(rank_[r])) return true;
  }
  return false;
}

void FrequencySelectedSoundEnergy::rankByVariance() {
  // Falling variance, equal variances in numeric order: a total order, so any
  // sort gives the one ranking that inserting the sub-bands one by one in
  // numeric order gives. Variances are finite (energies are). The ranking of
  // the previous tick is the start: variances move little from one tick to
  // the next, so an insertion sort has little to do.
  const int n = subbandCount_;
  for (int r = 0; r < n; ++r) ranking_[r].first = variance_[ranking_[r].second];
  auto before = [](const std::pair<double, int16_t>& a, const std::pair<double, int16_t>& b) {
    return a.first > b.first || (a.first == b.first && a.second < b.second);
  };
  for (int r = 1; r < n; ++r) {
    const auto entry = ranking_[r];
    int to = r;
    for (; to > 0 && before(entry, ranking_[to - 1]); --to) ranking_[to] = ranking_[to - 1];
    ranking_[to] = entry;
  }
  for (int r = 0; r < n; ++r) rank_[r] = ranking_[r].second;
}

void FrequencySelectedSoundEnergy::chooseSubbandCount(int listPosition) {
  if (listPosition < 0 || listPosition >= static_cast<int>(kSubbandCounts.size())) {
    throw std::out_of_range("no sub-band count at list position " + std::to_string(listPosition));
  }
  subbandCount_ = kSubbandCounts[static_cast<std::size_t>(listPosition)];
  if (subbandValue_ > subbandCount_) subbandValue_ = subbandCount_;
  ConfigureSubbands();
}

void FrequencySelectedSoundEnergy::chooseRanked(bool checked) { subbandCheck_ = checked; }

void FrequencySelectedSoundEnergy::moveSlider(int sliderValue) {
  if (sliderValue >= 1 && sliderValue <= subbandCount_) subbandValue_ = static_cast<int16_t>(sliderValue);
}

std::string FrequencySelectedSoundEnergy::midLabelText() const { return std::to_string(subbandCount_ / 2); }

std::string FrequencySelectedSoundEnergy::maxLabelText() const { return std::to_string(subbandCount_); }

}  // namespace tactolo
