// The analyze command as a user runs it: exit status, output and errors.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "command_run.h"

namespace tactolo::testing {
namespace {

using ::testing::HasSubstr;

/// Beats from `from` seconds on.
std::vector<Beat> after(const std::vector<Beat>& beats, double from) {
  std::vector<Beat> out;
  for (const Beat& b : beats) {
    if (b.time >= from) out.push_back(b);
  }
  return out;
}

TEST(AnalyzeCommand, EachMethodFindsTheBeatsOfTheDrumPatternHalfASecondApart) {
  for (const char* method : {"0", "1", "2"}) {
    SCOPED_TRACE(method);
    const CommandRun run = runTactolo(std::string("analyze synth:120 --method ") + method);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto beats = parseBeats(run.out);
    // 29 seconds after the first hold 58 beats at 120 BPM.
    ASSERT_GE(beats.size(), 50u) << run.out;
    for (std::size_t i = 1; i < beats.size(); ++i) {
      EXPECT_NEAR(beats[i].time - beats[i - 1].time, 0.5, 0.041) << beats[i].time;
      EXPECT_EQ(beats[i].bpm, 120) << beats[i].time;
      EXPECT_EQ(beats[i].kind, "detected");
    }
  }
}

TEST(AnalyzeCommand, KeepHoldsTheTempoThroughATempoStepAtItsSpeed) {
  // 120 BPM up to 15 s, then 150. Without keep the window follows the music.
  const CommandRun free = runTactolo("analyze synth:120/150");
  ASSERT_EQ(free.status, 0) << free.err;
  const auto followed = after(parseBeats(free.out), 16.0);
  ASSERT_GE(followed.size(), 30u);
  for (const Beat& b : followed) EXPECT_EQ(b.bpm, 150) << b.time;

  // Kept at 120 at 10 s, it goes on at 120 (or twice or half that): after
  // the step, generated beats come where no detected beat falls in the sync
  // window.
  for (const auto& [options, period, count] :
       {std::tuple{"", 0.5, 10u}, {"--double", 0.25, 40u}, {"--half", 1.0, 5u}}) {
    SCOPED_TRACE(options);
    const CommandRun kept = runTactolo(std::string("analyze synth:120/150 --keep-at 10 ") + options);
    ASSERT_EQ(kept.status, 0) << kept.err;
    EXPECT_EQ(kept.err, "");
    const auto beats = after(parseBeats(kept.out), 15.5);
    std::size_t intervals = 0;
    for (std::size_t i = 1; i < beats.size(); ++i) {
      EXPECT_EQ(beats[i].bpm, 120) << beats[i].time;
      if (beats[i].kind == "generated" && beats[i - 1].kind == "generated") {
        EXPECT_NEAR(beats[i].time - beats[i - 1].time, period, 0.0015) << beats[i].time;
        ++intervals;
      }
    }
    EXPECT_GE(intervals, count);
  }
}

TEST(AnalyzeCommand, KeepWithoutATempoOrAfterTheEndWarns) {
  const CommandRun early = runTactolo("analyze synth:120 --keep-at 0");
  EXPECT_EQ(early.status, 0);
  EXPECT_EQ(
      early.err,
      "tactolo: warning: keep at 0.000 s did nothing: the last tempo measured was 0 BPM, and keep takes "
      "30 to 240\n");
  for (const Beat& b : parseBeats(early.out)) EXPECT_EQ(b.kind, "detected");
  const CommandRun late = runTactolo("analyze synth:120 --keep-at 31");
  EXPECT_EQ(late.status, 0);
  EXPECT_EQ(late.err, "tactolo: warning: keep at 31.000 s was never pressed: the audio ended before\n");
}

TEST(AnalyzeCommand, BadOptionsAndSourcesAreOneLineWithStatus2) {
  // An empty message: any one line will do.
  const std::pair<std::string, std::string> cases[] = {
      {"synth:120 --method 3", "--method: must be 0..2, not '3'"},
      {"synth:120 --band low", "--band: must be bass, hihat or both, not 'low'"},
      {"synth:120 --band bass --method 1", "--band needs --method 0 (standard weight)"},
      {"synth:120 --sensitivity 101", "--sensitivity: must be -100..100, not '101'"},
      {"synth:120 --correction 199", "--correction: must be 200..2000, not '199'"},
      {"synth:120 --subbands 64", "--subbands needs --method 2 (frequency-selected sound energy)"},
      {"synth:120 --method 2 --subbands 12", "--subbands: must be 8, 16, 32, 64, 128 or 256, not '12'"},
      {"synth:120 --method 2 --subbands 8 --ranked 9", "--ranked: must be 1..8, not '9'"},
      {"synth:120 --method 2 --ranked 0", "--ranked: must be 1..64, not '0'"},
      {"synth:120 --keep-at 1.5s",
       "--keep-at: must be seconds from 0 to 86400 (at most 3 decimals), not '1.5s'"},
      {"synth:120 --half", "--half needs --keep-at"},
      {"synth:120 --keep-at 5 --half --double", ""},
      {"synth:120 --gain 0x10", "--gain: must be 0..100, not '0x10'"},
      {"synth:120 --gain +5", ""},
      {"synth:120 --max-bpm ' 30'", ""},
      {"synth:120 --max-bpm OFF", ""},
      {"synth:120 --max-bpm 20", ""},
      {"synth:abc", ""},
      {"/nonexistent/tactolo.wav", ""},
      {"", ""},
  };
  for (const auto& [args, message] : cases) {
    const CommandRun run = runTactolo("analyze " + args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(run.out, "") << args;
    if (message.empty()) {
      EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << args << ": " << run.err;
    } else {
      EXPECT_EQ(run.err, "tactolo: " + message + "\n") << args;
    }
  }
  EXPECT_EQ(runTactolo("frobnicate").status, 2);
  for (const std::string options :
       {"--band hihat --sensitivity -100 --correction 250", "--method 2 --subbands 256 --ranked 256",
        "--method 2 --subbands 8 --ranked 1", "--gain 100 --max-bpm off", "--max-bpm 300"}) {
    EXPECT_EQ(runTactolo("analyze synth:120 " + options).status, 0) << options;
  }
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

using AnalyzeFileTest = SoundFileTest;

TEST_F(AnalyzeFileTest, MaximumTempoCapsTheBeatRateAndSilentOrEmptyFilesGiveNoBeats) {
  // Clicks every 200 ms (300 BPM); a 120 BPM limit keeps accepted beats at
  // least 500 ms apart.
  std::vector<float> clicks(44100 * 6, 0.0f);
  for (std::size_t at = 0; at + 200 < clicks.size(); at += 8820) {
    for (std::size_t i = 0; i < 200; ++i) clicks[at + i] = (i % 2) ? 0.9f : -0.9f;
  }
  const CommandRun limited =
      runTactolo("analyze " + writeMono("clicks.wav", clicks) + " --method 1 --max-bpm 120");
  ASSERT_EQ(limited.status, 0) << limited.err;
  const auto beats = beatTimes(limited.out);
  ASSERT_GE(beats.size(), 3u) << limited.out;
  for (std::size_t i = 1; i < beats.size(); ++i) EXPECT_GE(beats[i] - beats[i - 1], 0.5 - 1e-9);

  for (const auto& file :
       {writeMono("silent.wav", std::vector<float>(44100 * 3, 0.0f)), writeMono("empty.wav", {})}) {
    const CommandRun run = runTactolo("analyze " + file);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "") << file;
  }
}

}  // namespace
}  // namespace tactolo::testing
