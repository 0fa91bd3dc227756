#include "audio/spectrum.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <new>
#include <numbers>
#include <stdexcept>

namespace tactolo {

namespace {

float* allocateFloats(std::size_t count) {
  void* memory = fftwf_malloc(count * sizeof(float));
  if (memory == nullptr) {
    throw std::bad_alloc();
  }
  return static_cast<float*>(memory);
}

uint32_t levelOf(float peak) {
  const float scaled =
      std::min(peak * static_cast<float>(kLevelFullScale), static_cast<float>(kLevelFullScale));
  return static_cast<uint32_t>(std::lround(scaled));
}

}  // namespace

std::mutex& fftwPlannerMutex() {
  static std::mutex mutex;
  return mutex;
}

void SpectrumAnalyzer::AlignedFree::operator()(float* memory) const { fftwf_free(memory); }

SpectrumAnalyzer::SpectrumAnalyzer()
    : window_(allocateFloats(kFftSize)),
      input_(allocateFloats(kFftSize)),
      spectrum_(allocateFloats(2 * (kFftSize / 2 + 1))) {
  double sum = 0.0;
  for (int i = 0; i < kFftSize; ++i) {
    const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / kFftSize);
    window_[i] = static_cast<float>(w);
    sum += w;
  }
  scale_ = static_cast<float>(2.0 / sum);
  std::fill(input_.get(), input_.get() + kFftSize, 0.0f);
  {
    std::lock_guard lock(fftwPlannerMutex());
    plan_ = fftwf_plan_dft_r2c_1d(kFftSize, input_.get(), reinterpret_cast<fftwf_complex*>(spectrum_.get()),
                                  FFTW_ESTIMATE);
  }
  if (plan_ == nullptr) {
    throw std::runtime_error("FFTW could not plan a 2048-point real FFT");
  }
}

SpectrumAnalyzer::~SpectrumAnalyzer() {
  std::lock_guard lock(fftwPlannerMutex());
  fftwf_destroy_plan(plan_);
}

void SpectrumAnalyzer::analyze(const float* interleaved, float* magnitudes) {
  for (int i = 0; i < kFftSize; ++i) {
    input_[i] = 0.5f * (interleaved[2 * i] + interleaved[2 * i + 1]) * window_[i];
  }
  fftwf_execute(plan_);
  const float* bins = spectrum_.get();
  for (int k = 0; k < kSpectrumBins; ++k) {
    const float re = bins[2 * k];
    const float im = bins[2 * k + 1];
    magnitudes[k] = std::sqrt(re * re + im * im) * scale_;
  }
}

uint32_t levelWord(const float* interleaved, std::size_t frames) {
  const std::size_t counted = std::min(frames, kLevelFrames);
  const float* sample = interleaved + 2 * (frames - counted);
  float left = 0.0f;
  float right = 0.0f;
  for (std::size_t i = 0; i < counted; ++i) {
    left = std::max(left, std::fabs(sample[2 * i]));
    right = std::max(right, std::fabs(sample[2 * i + 1]));
  }
  return levelOf(left) | (levelOf(right) << 16);
}

}  // namespace tactolo
