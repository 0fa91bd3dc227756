// A file of the built-in drum pattern for the benchmarks, written at the
// sample rate under test and removed afterwards.
#pragma once

#include <sndfile.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "audio/audio_source.h"
#include "audio/capture_library.h"

namespace tactolo {

/// Seconds of audio in a SixtySecondFile.
constexpr double kBenchFileSeconds = 60.0;

/// 60 s of the drum pattern, written as a 16-bit stereo WAV file at `rate`.
class SixtySecondFile {
 public:
  explicit SixtySecondFile(int rate)
      : path_(std::filesystem::temp_directory_path() /
              ("tactolo-bench-" + std::to_string(::getpid()) + "-" + std::to_string(rate) + ".wav")) {
    // The pattern's frames, played at `rate`: kBenchFileSeconds at that rate.
    const DecodedAudio audio = makeDrumPattern(128, kBenchFileSeconds * rate / kCaptureRate);
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    if (SNDFILE* file = sf_open(path_.c_str(), SFM_WRITE, &info)) {
      sf_writef_float(file, audio.samples.data(), static_cast<sf_count_t>(audio.frameCount()));
      sf_close(file);
    }
  }
  ~SixtySecondFile() { std::filesystem::remove(path_); }
  std::string path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace tactolo
