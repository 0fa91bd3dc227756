// The analyze command as a user runs it: exit status, output and errors.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

struct CommandRun {
  int status = -1;
  std::string out;
  std::string err;
};

CommandRun runTactolo(const std::string& args) {
  const fs::path errFile = fs::temp_directory_path() / ("tactolo-err-" + std::to_string(::getpid()));
  const std::string command = std::string(TACTOLO_BINARY) + " " + args + " 2>" + errFile.string();
  CommandRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::array<char, 4096> buffer{};
  while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) run.out.append(buffer.data(), n);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(errFile);
  std::stringstream text;
  text << err.rdbuf();
  run.err = text.str();
  fs::remove(errFile);
  return run;
}

struct Beat {
  double time;
  int bpm;
};

std::vector<Beat> parseBeats(const std::string& out) {
  std::vector<Beat> beats;
  std::istringstream lines(out);
  Beat beat{};
  while (lines >> beat.time >> beat.bpm) beats.push_back(beat);
  return beats;
}

fs::path writeWav(const std::string& name, const std::vector<float>& mono,
                  int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16) {
  const fs::path path = fs::temp_directory_path() / name;
  SF_INFO info{};
  info.samplerate = 44100;
  info.channels = 1;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) return {};
  if (!mono.empty()) sf_writef_float(file, mono.data(), static_cast<sf_count_t>(mono.size()));
  sf_close(file);
  return path;
}

TEST(AnalyzeCommand, DrumPatternAt120GivesBeatsHalfASecondApart) {
  const CommandRun run = runTactolo("analyze synth:120");
  ASSERT_EQ(run.status, 0) << run.err;
  const auto beats = parseBeats(run.out);
  std::vector<Beat> settled;
  for (const Beat& b : beats) {
    if (b.time >= 3.0) settled.push_back(b);
  }
  // 27 seconds after settling hold 54 beats at 120 BPM.
  ASSERT_GE(settled.size(), 50u) << run.out;
  ASSERT_LE(settled.size(), 56u) << run.out;
  int at120 = 0;
  for (std::size_t i = 1; i < settled.size(); ++i) {
    EXPECT_NEAR(settled[i].time - settled[i - 1].time, 0.5, 0.021) << settled[i].time;
    at120 += settled[i].bpm == 120;
  }
  EXPECT_GE(at120, static_cast<int>(settled.size()) - 3);
}

TEST(AnalyzeCommand, JsonDocumentHoldsTheSameBeats) {
  const CommandRun text = runTactolo("analyze synth:120");
  const CommandRun json = runTactolo("analyze synth:120 --json");
  ASSERT_EQ(json.status, 0) << json.err;
  EXPECT_THAT(json.out, HasSubstr("\"source\": \"synth:120\""));
  EXPECT_THAT(json.out, HasSubstr("\"duration\": 30.000"));
  const auto beats = parseBeats(text.out);
  ASSERT_FALSE(beats.empty());
  std::ostringstream first;
  first << "{\"time\": " << std::fixed << std::setprecision(3) << beats[0].time
        << ", \"bpm\": " << beats[0].bpm << "}";
  EXPECT_THAT(json.out, HasSubstr(first.str()));
  std::size_t entries = 0;
  for (std::size_t at = json.out.find("\"time\""); at != std::string::npos;
       at = json.out.find("\"time\"", at + 1)) {
    ++entries;
  }
  EXPECT_EQ(entries, beats.size());
}

TEST(AnalyzeCommand, MaximumTempoCapsTheBeatRate) {
  // Clicks every 200 ms (300 BPM); a 120 BPM limit keeps accepted beats at
  // least 500 ms apart.
  std::vector<float> clicks(44100 * 6, 0.0f);
  for (std::size_t at = 0; at + 200 < clicks.size(); at += 8820) {
    for (std::size_t i = 0; i < 200; ++i) clicks[at + i] = (i % 2) ? 0.9f : -0.9f;
  }
  const fs::path file = writeWav("tactolo-clicks.wav", clicks);
  const CommandRun limited = runTactolo("analyze " + file.string() + " --max-bpm 120");
  ASSERT_EQ(limited.status, 0) << limited.err;
  const auto beats = parseBeats(limited.out);
  ASSERT_GE(beats.size(), 3u) << limited.out;
  for (std::size_t i = 1; i < beats.size(); ++i) EXPECT_GE(beats[i].time - beats[i - 1].time, 0.5 - 1e-9);
  fs::remove(file);
}

TEST(AnalyzeCommand, SilentAndEmptyFilesGiveNoBeats) {
  const fs::path silent = writeWav("tactolo-silent.wav", std::vector<float>(44100 * 3, 0.0f));
  CommandRun run = runTactolo("analyze " + silent.string());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  const fs::path empty = writeWav("tactolo-empty.wav", {});
  run = runTactolo("analyze " + empty.string());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  fs::remove(silent);
  fs::remove(empty);
}

TEST(AnalyzeCommand, FileBrokenPartWayIsAnalysedToTheBreakAndReported) {
  // Clicks every 500 ms over a hiss that leaves the encoder little to pack.
  std::vector<float> clicks(44100 * 4);
  for (std::size_t i = 0; i < clicks.size(); ++i) {
    clicks[i] = static_cast<float>((i % 22050 < 200 ? 0.9 : 0.05) * std::sin(0.37 * double(i) * double(i)));
  }
  const fs::path file = writeWav("tactolo-broken.flac", clicks, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  {
    std::fstream bytes(file, std::ios::in | std::ios::out | std::ios::binary);
    bytes.seekp(static_cast<std::streamoff>(fs::file_size(file) / 2));
    for (int i = 0; i < 1000; ++i) bytes.put(static_cast<char>(i * 37 + 11));
  }
  const CommandRun run = runTactolo("analyze " + file.string());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.err, HasSubstr("error while reading audio file '" + file.string() + "'"));
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  const auto beats = parseBeats(run.out);
  ASSERT_FALSE(beats.empty());
  EXPECT_LT(beats.back().time, 2.5);
  fs::remove(file);
}

TEST(AnalyzeCommand, BadInputGivesOneLineAndStatus2) {
  const fs::path notAudio = fs::temp_directory_path() / "tactolo-not-audio.wav";
  std::ofstream(notAudio) << "this is text, not sound\n";
  for (const std::string& args :
       {std::string("analyze /nonexistent/tactolo.wav"), "analyze " + notAudio.string(),
        std::string("analyze synth:abc"), std::string("analyze synth:120 --gain 101"),
        std::string("analyze synth:120 --max-bpm fast"), std::string("analyze synth:120 --max-bpm 20"),
        std::string("analyze"), std::string("frobnicate")}) {
    const CommandRun run = runTactolo(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(run.out, "") << args;
    ASSERT_FALSE(run.err.empty()) << args;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << args << ": " << run.err;
  }
  fs::remove(notAudio);
}

}  // namespace
