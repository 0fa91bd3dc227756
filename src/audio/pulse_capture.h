// Live capture from the sound server (PulseAudio, or PipeWire's PulseAudio
// service) through libpulse.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/capture_analysis.h"
#include "audio/capture_library.h"
#include "audio/server_source.h"

struct pa_context;
struct pa_operation;
struct pa_source_info;
struct pa_stream;
struct pa_threaded_mainloop;

namespace tactolo {

/// Longest wait for the sound server in any one call, in milliseconds. A
/// server that does not answer in time counts as no server.
constexpr int kServerTimeoutMs = 2000;
/// Capture fragment: the newest audio reaches the ring in pieces of about
/// this length, in microseconds. The detection cycle reads the ring once per
/// 20 ms tick, so one piece per tick is all it can use: smaller pieces wake
/// libpulse's thread more often for nothing (at 5 ms the capture costs about
/// twice the CPU), larger ones make the newest audio older when it is read.
constexpr int kCaptureFragmentUs = 20000;
/// A running record stream delivers samples all the time (a sink's monitor
/// delivers silence while nothing plays), so a capture that has received
/// nothing for this long, in milliseconds, has stalled: the server hangs.
constexpr int kCaptureStallMs = 1000;
/// The same for the first samples after the start or after the server
/// resumed a suspended source: an idle null sink renders 2 s at a time, and
/// its monitor delivers its first samples only when that block ends.
constexpr int kCaptureFirstSamplesMs = kServerTimeoutMs + kCaptureStallMs;

/// The source as the device list and the input operations show it: `info`
/// as libpulse hands it to a source query's callback.
ServerSource serverSourceOf(const pa_source_info& info);

/// ErrorGetCode's code for a failed libpulse call: `pulseError` is the
/// context's error number (PA_ERR_...), `connected` whether the context was
/// still connected to the server afterwards.
int32_t captureErrorOfPulse(int pulseError, bool connected);

/// What an ErrorGetCode() code of this back-end means, in a few words for
/// users ("no sound server: none runs, it did not answer within 2 s, or it
/// went away"); "unknown error" for a code it never reports.
std::string captureErrorMeaning(int32_t code);

/// CaptureLibrary over the sound server.
///
/// Devices are the server's sources in the server's order, monitors of
/// playback devices included; inputs are the ports of the source (see
/// ServerSource). RecordGetDeviceInfo(0) reads the list afresh; higher
/// numbers read from that same list, so a listing loop sees one consistent
/// list; with no server the list is empty (kErrorNoServer).
///
/// RecordInit(n) connects to the server and opens the source that entry n
/// of the last list named (listing first if n is past it; -1 is the first
/// enabled source). It fails with kErrorNoServer without a server,
/// kErrorDevice when that source is gone or disabled, kErrorAlready while a
/// device is open. RecordFree ends the capture and disconnects.
///
/// RecordStart(44100, 2, kSampleFloat) records the open source as 32-bit
/// float stereo at 44100 Hz in fragments of kCaptureFragmentUs; other
/// formats fail with kErrorFormat, a start without an open device with
/// kErrorInit (kErrorNoServer if the server was missing when last tried),
/// a second start with kErrorAlready. The server's refusal is mapped by
/// captureErrorOfPulse(). The record callback is never called: the data is
/// pulled with ChannelGetData and ChannelGetLevel.
///
/// Threads: libpulse runs its own thread, whose read callback only writes
/// the captured frames (times the input gain) into a FrameRing. Every other
/// call is for one thread (the host's); calls that talk to the server wait
/// for its answer, at most kServerTimeoutMs each. ChannelGetData and
/// ChannelGetLevel never wait on the server: they read the ring and two
/// atomics (the failure code, and when the capture counts as stalled
/// without further samples), and allocate nothing. When the server or the
/// source goes away during a capture, the next ChannelGetData fails (-1,
/// code kErrorNoServer or kErrorDevice) and so does ChannelGetLevel. So do
/// they, with kErrorNoServer, when the server hangs: no samples for
/// kCaptureStallMs, or none within kCaptureFirstSamplesMs of the start or of
/// the server resuming the source (a source the server reports suspended is
/// waited for). ChannelStop and RecordFree still clean up, and a RecordInit
/// after the server is back connects again. Switching the capture to another
/// source is not allowed (the source going away ends it rather than silently
/// moving it).
///
/// The client and the stream carry the application name "Tactolo", an icon
/// name and the media role "music", so mixers show who records.
class PulseCaptureLibrary final : public CaptureLibrary {
 public:
  /// `server`: a server address ("unix:/run/user/1000/pulse/native"); empty
  /// for libpulse's default (PULSE_SERVER, then the user's session). Starts
  /// libpulse's thread; never spawns a server. Throws std::runtime_error
  /// when the thread cannot start.
  explicit PulseCaptureLibrary(std::string server = "");
  ~PulseCaptureLibrary() override;
  PulseCaptureLibrary(const PulseCaptureLibrary&) = delete;
  PulseCaptureLibrary& operator=(const PulseCaptureLibrary&) = delete;

  /// Sets the input gain in dB (0..kMaxInputGainDb; std::out_of_range
  /// otherwise). It multiplies every sample captured from then on, before
  /// spectrum and level; 0 dB (the default) leaves them as they are.
  void setInputGainDb(double db);
  double inputGainDb() const { return gainDb_; }

  uint32_t GetVersion() override;
  bool RecordGetDeviceInfo(int32_t device, RecordDeviceInfo& info) override;
  bool RecordFree() override;
  bool RecordInit(int32_t device) override;
  std::optional<std::string> RecordGetInputName(int32_t input) override;
  uint32_t RecordGetInput(int32_t input) override;
  /// Switching an input on makes its port active; switching one off changes
  /// nothing (see ServerSource). A volume of 0..1 sets the source's volume
  /// (1 = 100 %); a negative volume leaves it.
  bool RecordSetInput(int32_t input, uint32_t flags, float volume) override;
  ChannelHandle RecordStart(uint32_t rate, uint32_t channels, uint32_t flags, RecordProc proc,
                            void* user) override;
  bool ChannelStop(ChannelHandle handle) override;
  int32_t ErrorGetCode() override;
  int32_t ChannelGetData(ChannelHandle handle, float* buffer, uint32_t request) override;
  uint32_t ChannelGetLevel(ChannelHandle handle) override;

 private:
  struct Capture;
  class Lock;

  bool fail(int32_t code);
  /// A new context connected to the server, or nullptr (error_ set).
  pa_context* connect();
  void disconnect(pa_context*& context);
  bool connected(pa_context* context) const;
  /// The code for the last failure on `context`: kErrorNoServer after a
  /// timeout, else captureErrorOfPulse().
  int32_t serverError(pa_context* context) const;
  /// Waits on the main loop until `done()` or the context fails or
  /// kServerTimeoutMs pass; returns done().
  template <class Done>
  bool waitFor(pa_context* context, Done done);
  /// Waits for `operation` to finish (cancels it on timeout) and releases it;
  /// true when it completed.
  bool complete(pa_context* context, pa_operation* operation);
  /// The server's sources, or nullopt (error_ set).
  std::optional<std::vector<ServerSource>> listSources(pa_context* context);
  /// The source called `name`, or nullopt (error_ set: kErrorDevice when
  /// the server has no such source).
  std::optional<ServerSource> findSource(pa_context* context, const std::string& name);
  /// The input `input` of the open source, or nullptr (error_ set).
  const ServerSource* openSource(int32_t input);
  void endCapture();

  std::string server_;
  pa_threaded_mainloop* mainloop_ = nullptr;
  bool timedOut_ = false;  // set by the wait's timer; under the main loop lock

  // Everything below belongs to the host's thread.
  std::vector<ServerSource> sources_;   // the last device list
  pa_context* context_ = nullptr;       // connection of the open device
  std::optional<ServerSource> device_;  // the open source
  bool serverMissing_ = false;          // the last connection attempt failed
  std::unique_ptr<Capture> capture_;    // the running capture's stream and ring
  ChannelHandle running_ = 0;
  ChannelHandle lastHandle_ = 0;
  int32_t error_ = kErrorOk;
  double gainDb_ = 0.0;
  std::atomic<float> gainFactor_{1.0f};  // read by the capture thread
  CaptureAnalysis analysis_;
};

}  // namespace tactolo
