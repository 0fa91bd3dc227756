// The analyze command as a user runs it: exit status, output and errors.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "command_run.h"

namespace {

namespace fs = std::filesystem;
using tactolo::testing::CommandRun;
using tactolo::testing::runTactolo;
using ::testing::HasSubstr;

struct Beat {
  double time;
  int bpm;
  std::string kind;
};

std::vector<Beat> parseBeats(const std::string& out) {
  std::vector<Beat> beats;
  std::istringstream lines(out);
  Beat beat{};
  while (lines >> beat.time >> beat.bpm >> beat.kind) beats.push_back(beat);
  return beats;
}

fs::path writeWav(const std::string& name, const std::vector<float>& mono,
                  int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16) {
  const fs::path path = fs::temp_directory_path() / name;
  return tactolo::testing::writeSound(path, mono, format) ? path : fs::path();
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
        << ", \"bpm\": " << beats[0].bpm << ", \"kind\": \"" << beats[0].kind << "\"}";
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
  const CommandRun limited = runTactolo("analyze " + file.string() + " --method 1 --max-bpm 120");
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
