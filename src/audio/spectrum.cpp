#include "audio/spectrum.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <new>
#include <numbers>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
#if defined(__SSE2__)
  // Four bins at a time, with the very same single-precision operations: the
  // compiler will not do this itself for fear of a NaN setting errno.
  static_assert(kSpectrumBins % 4 == 0);
  const __m128 scale = _mm_set1_ps(scale_);
  for (int k = 0; k < kSpectrumBins; k += 4) {
    const __m128 low = _mm_loadu_ps(bins + 2 * k);       // re, im of bins k, k + 1
    const __m128 high = _mm_loadu_ps(bins + 2 * k + 4);  // and of k + 2, k + 3
    const __m128 re = _mm_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 im = _mm_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1));
    const __m128 power = _mm_add_ps(_mm_mul_ps(re, re), _mm_mul_ps(im, im));
    _mm_storeu_ps(magnitudes + k, _mm_mul_ps(_mm_sqrt_ps(power), scale));
  }
#else
  for (int k = 0; k < kSpectrumBins; ++k) {
    const float re = bins[2 * k];
    const float im = bins[2 * k + 1];
    magnitudes[k] = std::sqrt(re * re + im * im) * scale_;
  }
#endif
}

uint32_t levelWord(const float* interleaved, std::size_t frames) {
  const std::size_t counted = std::min(frames, kLevelFrames);
  const float* sample = interleaved + 2 * (frames - counted);
  float left = 0.0f;
  float right = 0.0f;
  std::size_t i = 0;
#if defined(__SSE2__)
  // Two frames at a time, lanes left, right, left, right. Like std::max(peak,
  // value), _mm_max_ps(value, peak) keeps the peak when the value is NaN.
  const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
  __m128 peaks = _mm_setzero_ps();
  for (; i + 2 <= counted; i += 2) {
    peaks = _mm_max_ps(_mm_and_ps(_mm_loadu_ps(sample + 2 * i), magnitude), peaks);
  }
  alignas(16) float lanes[4];
  _mm_store_ps(lanes, peaks);
  left = std::max(lanes[0], lanes[2]);
  right = std::max(lanes[1], lanes[3]);
#endif
  for (; i < counted; ++i) {
    left = std::max(left, std::fabs(sample[2 * i]));
    right = std::max(right, std::fabs(sample[2 * i + 1]));
  }
  return levelOf(left) | (levelOf(right) << 16);
}

}  // namespace tactolo
