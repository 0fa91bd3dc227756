#include "audio/pulse_capture.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>
#include <string>

#include "audio/frame_ring.h"
#include "audio/input_gain.h"

namespace tactolo {

namespace {

constexpr const char* kAppName = "Tactolo";
constexpr const char* kIconName = "audio-input-microphone";
constexpr const char* kMediaRole = "music";
constexpr std::size_t kFrameBytes = 2 * sizeof(float);

/// The properties that name Tactolo to the server; freed by the caller.
pa_proplist* appProperties() {
  pa_proplist* properties = pa_proplist_new();
  pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, kAppName);
  pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, kIconName);
  pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, kMediaRole);
  return properties;
}

/// Collects the answers of a source query.
struct SourceQuery {
  std::vector<ServerSource> sources;
  bool failed = false;
};

void onSourceInfo(pa_context* /*context*/, const pa_source_info* info, int eol, void* userdata) {
  auto& query = *static_cast<SourceQuery*>(userdata);
  if (eol < 0) {
    query.failed = true;
  } else if (eol == 0 && info != nullptr) {
    query.sources.push_back(serverSourceOf(*info));
  }
}

void onSuccess(pa_context* /*context*/, int success, void* userdata) {
  *static_cast<bool*>(userdata) = success != 0;
}

}  // namespace

ServerSource serverSourceOf(const pa_source_info& info) {
  ServerSource source;
  source.name = info.name != nullptr ? info.name : "";
  source.description = info.description != nullptr ? info.description : source.name;
  for (uint32_t i = 0; i < info.n_ports; ++i) {
    const pa_source_port_info& port = *info.ports[i];
    source.ports.push_back(ServerPort{port.name != nullptr ? port.name : "",
                                      port.description != nullptr ? port.description : "",
                                      port.available == PA_PORT_AVAILABLE_NO});
  }
  if (info.active_port != nullptr && info.active_port->name != nullptr) {
    source.activePort = info.active_port->name;
  }
  source.channels = info.sample_spec.channels;
  return source;
}

int32_t captureErrorOfPulse(int pulseError, bool connected) {
  if (!connected) return kErrorNoServer;
  switch (pulseError) {
    case PA_ERR_NOENTITY:
    case PA_ERR_KILLED:
      return kErrorDevice;
    case PA_ERR_INVALID:
    case PA_ERR_NOTSUPPORTED:
    case PA_ERR_TOOLARGE:
      return kErrorFormat;
    case PA_ERR_CONNECTIONREFUSED:
    case PA_ERR_CONNECTIONTERMINATED:
    case PA_ERR_TIMEOUT:
    case PA_ERR_INVALIDSERVER:
    case PA_ERR_PROTOCOL:
    case PA_ERR_VERSION:
    case PA_ERR_AUTHKEY:
      return kErrorNoServer;
    default:
      return kErrorBusy;
  }
}

std::string captureErrorMeaning(int32_t code) {
  switch (code) {
    case kErrorNoServer:
      return "no sound server: none runs, it did not answer within " +
             std::to_string(kServerTimeoutMs / 1000) + " s, or it went away";
    case kErrorHandle:
      return "not started: the capture asked for is not the one running";
    case kErrorFormat:
      return "format refused: the capture is 44100 Hz, 2 channels, 32-bit float";
    case kErrorInit:
      return "no recording device is open (the device list is empty, or none was chosen)";
    case kErrorAlready:
      return "already capturing, or a device is already open";
    case kErrorDevice:
      return "no such device: the source was unplugged or removed, or has no available port";
    case kErrorNotAvailable:
      return "no such input, or a data request the back-end does not serve";
    case kErrorBusy:
      return "the device refused the capture (busy, or access denied)";
    default:
      return "unknown error";
  }
}

/// The main loop lock, held by the host's thread while it talks to libpulse.
class PulseCaptureLibrary::Lock {
 public:
  explicit Lock(pa_threaded_mainloop* mainloop) : mainloop_(mainloop) {
    pa_threaded_mainloop_lock(mainloop_);
  }
  ~Lock() { pa_threaded_mainloop_unlock(mainloop_); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  pa_threaded_mainloop* mainloop_;
};

/// One running capture: its stream, and what the stream's callbacks (on
/// libpulse's thread) share with the host's thread: the ring and the
/// failure code.
struct PulseCaptureLibrary::Capture {
  static constexpr std::size_t kChunkFrames = 512;

  Capture(pa_threaded_mainloop* loop, const std::atomic<float>& gainFactor)
      : mainloop(loop), gain(gainFactor) {}

  /// Copies `frames` captured frames into the ring, times the input gain;
  /// `data` null is a gap in the capture, written as silence.
  void deliver(const void* data, std::size_t frames) {
    const float factor = gain.load(std::memory_order_relaxed);
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (frames > 0) {
      const std::size_t chunk = std::min(frames, kChunkFrames);
      const std::size_t samples = 2 * chunk;
      if (bytes == nullptr) {
        std::fill_n(scratch.begin(), samples, 0.0f);
      } else {
        std::memcpy(scratch.data(), bytes, chunk * kFrameBytes);
        bytes += chunk * kFrameBytes;
        if (factor != 1.0f) {
          for (std::size_t i = 0; i < samples; ++i) scratch[i] *= factor;
        }
      }
      // The ring and its readers treat these frames as every back-end's.
      ring.write(scratch.data(), chunk);
      frames -= chunk;
    }
  }

  /// Without further samples, the capture counts as stalled `ms` from now.
  void stallIn(int ms) {
    stallAtUs.store(pa_rtclock_now() + static_cast<pa_usec_t>(ms) * PA_USEC_PER_MSEC,
                    std::memory_order_relaxed);
  }

  /// The capture's failure code for the read path: the stream's, or
  /// kErrorNoServer once the capture has stalled (kept from then on, so that
  /// the level and the spectrum agree).
  int32_t failed() {
    int32_t code = failure.load(std::memory_order_acquire);
    if (code == kErrorOk && pa_rtclock_now() > stallAtUs.load(std::memory_order_relaxed)) {
      failure.compare_exchange_strong(code, kErrorNoServer, std::memory_order_acq_rel);
      return failure.load(std::memory_order_acquire);
    }
    return code;
  }

  static void onRead(pa_stream* stream, std::size_t /*bytes*/, void* userdata) {
    auto& capture = *static_cast<Capture*>(userdata);
    while (pa_stream_readable_size(stream) > 0) {
      const void* data = nullptr;
      std::size_t bytes = 0;
      if (pa_stream_peek(stream, &data, &bytes) < 0 || bytes == 0) return;
      capture.deliver(data, bytes / kFrameBytes);
      pa_stream_drop(stream);
      // Samples read out of the stream's buffer after the server suspended
      // the source are old: the wait for its resumption goes on.
      if (pa_stream_is_suspended(stream) != 1) capture.stallIn(kCaptureStallMs);
    }
  }

  /// Sets the stall time for a stream that is ready or whose suspension
  /// changed: a suspended source sends nothing until the server resumes it,
  /// and the server says so, so the capture waits for it rather than
  /// stalling; otherwise the first samples are due.
  void awaitFirstSamples(pa_stream* stream) {
    if (pa_stream_is_suspended(stream) == 1) {
      stallAtUs.store(kNever, std::memory_order_relaxed);
    } else {
      stallIn(kCaptureFirstSamplesMs);
    }
  }

  static void onSuspended(pa_stream* stream, void* userdata) {
    static_cast<Capture*>(userdata)->awaitFirstSamples(stream);
  }

  static void onState(pa_stream* stream, void* userdata) {
    auto& capture = *static_cast<Capture*>(userdata);
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_READY) capture.awaitFirstSamples(stream);
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
      pa_context* context = pa_stream_get_context(stream);
      const bool connected = pa_context_get_state(context) == PA_CONTEXT_READY;
      capture.failure.store(captureErrorOfPulse(pa_context_errno(context), connected),
                            std::memory_order_release);
    }
    pa_threaded_mainloop_signal(capture.mainloop, 0);
  }

  pa_threaded_mainloop* mainloop;
  const std::atomic<float>& gain;
  pa_stream* stream = nullptr;
  FrameRing ring;
  std::atomic<int32_t> failure{kErrorOk};
  /// When, on libpulse's clock (pa_rtclock_now), the capture counts as
  /// stalled unless samples come before; written by libpulse's thread.
  static constexpr pa_usec_t kNever = ~pa_usec_t{0};
  std::atomic<pa_usec_t> stallAtUs{kNever};
  static_assert(std::atomic<pa_usec_t>::is_always_lock_free);
  std::array<float, 2 * kChunkFrames> scratch{};
};

PulseCaptureLibrary::PulseCaptureLibrary(std::string server) : server_(std::move(server)) {
  mainloop_ = pa_threaded_mainloop_new();
  if (mainloop_ == nullptr) throw std::runtime_error("cannot create the sound server's main loop");
  pa_threaded_mainloop_set_name(mainloop_, "tactolo-capture");
  if (pa_threaded_mainloop_start(mainloop_) < 0) {
    pa_threaded_mainloop_free(mainloop_);
    throw std::runtime_error("cannot start the sound server's main loop");
  }
}

PulseCaptureLibrary::~PulseCaptureLibrary() {
  {
    Lock lock(mainloop_);
    endCapture();
    disconnect(context_);
  }
  pa_threaded_mainloop_stop(mainloop_);
  pa_threaded_mainloop_free(mainloop_);
}

void PulseCaptureLibrary::setInputGainDb(double db) {
  const float factor = inputGainFactor(db);
  gainDb_ = db;
  gainFactor_.store(factor, std::memory_order_relaxed);
}

bool PulseCaptureLibrary::fail(int32_t code) {
  error_ = code;
  return false;
}

// --- Talking to the server (main loop lock held) ----------------------------

bool PulseCaptureLibrary::connected(pa_context* context) const {
  return context != nullptr && pa_context_get_state(context) == PA_CONTEXT_READY;
}

template <class Done>
bool PulseCaptureLibrary::waitFor(pa_context* context, Done done) {
  timedOut_ = false;
  pa_time_event* timer = pa_context_rttime_new(
      context, pa_rtclock_now() + static_cast<pa_usec_t>(kServerTimeoutMs) * PA_USEC_PER_MSEC,
      [](pa_mainloop_api* /*api*/, pa_time_event* /*event*/, const struct timeval* /*tv*/, void* userdata) {
        auto& self = *static_cast<PulseCaptureLibrary*>(userdata);
        self.timedOut_ = true;
        pa_threaded_mainloop_signal(self.mainloop_, 0);
      },
      this);
  while (!done() && !timedOut_) {
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) break;
    pa_threaded_mainloop_wait(mainloop_);
  }
  if (timer != nullptr) pa_threaded_mainloop_get_api(mainloop_)->time_free(timer);
  return done();
}

pa_context* PulseCaptureLibrary::connect() {
  pa_proplist* properties = appProperties();
  pa_context* context =
      pa_context_new_with_proplist(pa_threaded_mainloop_get_api(mainloop_), kAppName, properties);
  pa_proplist_free(properties);
  if (context == nullptr) {
    fail(kErrorNoServer);
    return nullptr;
  }
  pa_context_set_state_callback(
      context,
      [](pa_context* /*context*/, void* mainloop) {
        pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(mainloop), 0);
      },
      mainloop_);
  const char* server = server_.empty() ? nullptr : server_.c_str();
  if (pa_context_connect(context, server, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
      !waitFor(context, [&] { return connected(context); })) {
    disconnect(context);
    serverMissing_ = true;
    fail(kErrorNoServer);
    return nullptr;
  }
  serverMissing_ = false;
  return context;
}

int32_t PulseCaptureLibrary::serverError(pa_context* context) const {
  return timedOut_ ? kErrorNoServer : captureErrorOfPulse(pa_context_errno(context), connected(context));
}

void PulseCaptureLibrary::disconnect(pa_context*& context) {
  if (context == nullptr) return;
  pa_context_set_state_callback(context, nullptr, nullptr);
  pa_context_disconnect(context);
  pa_context_unref(context);
  context = nullptr;
}

bool PulseCaptureLibrary::complete(pa_context* context, pa_operation* operation) {
  if (operation == nullptr) return false;
  pa_operation_set_state_callback(
      operation,
      [](pa_operation* /*operation*/, void* mainloop) {
        pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(mainloop), 0);
      },
      mainloop_);
  const bool finished =
      waitFor(context, [&] { return pa_operation_get_state(operation) != PA_OPERATION_RUNNING; });
  if (!finished) pa_operation_cancel(operation);
  const bool done = pa_operation_get_state(operation) == PA_OPERATION_DONE;
  pa_operation_unref(operation);
  return done;
}

std::optional<std::vector<ServerSource>> PulseCaptureLibrary::listSources(pa_context* context) {
  SourceQuery query;
  if (!complete(context, pa_context_get_source_info_list(context, onSourceInfo, &query)) || query.failed) {
    fail(serverError(context));
    return std::nullopt;
  }
  return std::move(query.sources);
}

std::optional<ServerSource> PulseCaptureLibrary::findSource(pa_context* context, const std::string& name) {
  SourceQuery query;
  if (!complete(context, pa_context_get_source_info_by_name(context, name.c_str(), onSourceInfo, &query)) ||
      query.failed) {
    fail(serverError(context));  // PA_ERR_NOENTITY for a source the server does not know
    return std::nullopt;
  }
  if (query.sources.empty()) {
    fail(kErrorDevice);
    return std::nullopt;
  }
  return std::move(query.sources.front());
}

void PulseCaptureLibrary::endCapture() {
  if (capture_ == nullptr) return;
  // With the callbacks gone, nothing on libpulse's thread touches the
  // capture any more once the lock is released.
  pa_stream_set_read_callback(capture_->stream, nullptr, nullptr);
  pa_stream_set_state_callback(capture_->stream, nullptr, nullptr);
  pa_stream_set_suspended_callback(capture_->stream, nullptr, nullptr);
  if (pa_stream_get_state(capture_->stream) == PA_STREAM_READY) pa_stream_disconnect(capture_->stream);
  pa_stream_unref(capture_->stream);
  capture_.reset();
  running_ = 0;
}

// --- CaptureLibrary ---------------------------------------------------------

uint32_t PulseCaptureLibrary::GetVersion() {
  error_ = kErrorOk;
  return kCaptureLibraryVersion;
}

bool PulseCaptureLibrary::RecordGetDeviceInfo(int32_t device, RecordDeviceInfo& info) {
  if (device == 0) {
    Lock lock(mainloop_);
    sources_.clear();
    // The open device's connection serves when it is still up.
    pa_context* context = connected(context_) ? context_ : connect();
    if (context == nullptr) return false;
    auto sources = listSources(context);
    if (context != context_) disconnect(context);
    if (!sources) return false;
    sources_ = std::move(*sources);
  }
  if (device < 0 || static_cast<std::size_t>(device) >= sources_.size()) return fail(kErrorDevice);
  info = sources_[static_cast<std::size_t>(device)].deviceInfo();
  error_ = kErrorOk;
  return true;
}

bool PulseCaptureLibrary::RecordFree() {
  if (!device_) return fail(kErrorInit);
  Lock lock(mainloop_);
  endCapture();
  disconnect(context_);
  device_.reset();
  error_ = kErrorOk;
  return true;
}

bool PulseCaptureLibrary::RecordInit(int32_t device) {
  if (device_) return fail(kErrorAlready);
  Lock lock(mainloop_);
  pa_context* context = connect();
  if (context == nullptr) return false;
  const auto listed = [&] { return device >= 0 && static_cast<std::size_t>(device) < sources_.size(); };
  if (device == -1 || !listed()) {
    auto sources = listSources(context);
    if (!sources) {
      disconnect(context);
      return false;
    }
    sources_ = std::move(*sources);
  }
  if (device == -1) {
    const auto found =
        std::find_if(sources_.begin(), sources_.end(), [](const ServerSource& s) { return s.enabled(); });
    device = found == sources_.end() ? -2 : static_cast<int32_t>(found - sources_.begin());
  }
  std::optional<ServerSource> source;
  if (!listed()) {
    fail(kErrorDevice);
  } else if ((source = findSource(context, sources_[static_cast<std::size_t>(device)].name)) &&
             !source->enabled()) {
    source.reset();
    fail(kErrorDevice);
  }
  if (!source) {
    disconnect(context);
    return false;
  }
  context_ = context;
  device_ = std::move(source);
  error_ = kErrorOk;
  return true;
}

const ServerSource* PulseCaptureLibrary::openSource(int32_t input) {
  if (!device_) {
    fail(kErrorInit);
    return nullptr;
  }
  if (input < 0 || input >= device_->inputCount()) {
    fail(kErrorNotAvailable);
    return nullptr;
  }
  error_ = kErrorOk;
  return &*device_;
}

std::optional<std::string> PulseCaptureLibrary::RecordGetInputName(int32_t input) {
  const ServerSource* source = openSource(input);
  if (source == nullptr) return std::nullopt;
  return source->inputName(input);
}

uint32_t PulseCaptureLibrary::RecordGetInput(int32_t input) {
  const ServerSource* source = openSource(input);
  if (source == nullptr) return 0xFFFFFFFFu;
  return *source->inputFlags(input);
}

bool PulseCaptureLibrary::RecordSetInput(int32_t input, uint32_t flags, float volume) {
  const ServerSource* source = openSource(input);
  if (source == nullptr) return false;
  const std::optional<std::string> port = source->portToActivate(input, flags);
  if (!port && !(volume >= 0.0f)) return true;
  Lock lock(mainloop_);
  if (port) {
    bool switched = false;
    if (!complete(context_, pa_context_set_source_port_by_name(context_, source->name.c_str(), port->c_str(),
                                                               onSuccess, &switched)) ||
        !switched) {
      return fail(serverError(context_));
    }
    device_->activePort = *port;
  }
  if (volume >= 0.0f) {
    pa_cvolume levels;
    pa_cvolume_set(&levels, source->channels, pa_sw_volume_from_linear(std::min(volume, 1.0f)));
    bool set = false;
    if (!complete(context_, pa_context_set_source_volume_by_name(context_, source->name.c_str(), &levels,
                                                                 onSuccess, &set)) ||
        !set) {
      return fail(serverError(context_));
    }
  }
  error_ = kErrorOk;
  return true;
}

ChannelHandle PulseCaptureLibrary::RecordStart(uint32_t rate, uint32_t channels, uint32_t flags,
                                               RecordProc /*proc*/, void* /*user*/) {
  if (rate != static_cast<uint32_t>(kCaptureRate) || channels != 2 || (flags & kSampleFloat) == 0) {
    fail(kErrorFormat);
    return 0;
  }
  if (!device_) {
    fail(serverMissing_ ? kErrorNoServer : kErrorInit);
    return 0;
  }
  if (capture_ != nullptr) {
    fail(kErrorAlready);
    return 0;
  }
  Lock lock(mainloop_);
  if (!connected(context_)) {
    fail(kErrorNoServer);
    return 0;
  }
  const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(kCaptureRate), 2};
  pa_channel_map map;
  pa_channel_map_init_stereo(&map);
  pa_proplist* properties = appProperties();
  pa_stream* stream = pa_stream_new_with_proplist(context_, kAppName, &format, &map, properties);
  pa_proplist_free(properties);
  if (stream == nullptr) {
    fail(serverError(context_));
    return 0;
  }
  capture_ = std::make_unique<Capture>(mainloop_, gainFactor_);
  capture_->stream = stream;
  pa_stream_set_state_callback(stream, Capture::onState, capture_.get());
  pa_stream_set_read_callback(stream, Capture::onRead, capture_.get());
  pa_stream_set_suspended_callback(stream, Capture::onSuspended, capture_.get());

  pa_buffer_attr buffer;
  buffer.maxlength = static_cast<uint32_t>(-1);
  buffer.tlength = static_cast<uint32_t>(-1);
  buffer.prebuf = static_cast<uint32_t>(-1);
  buffer.minreq = static_cast<uint32_t>(-1);
  buffer.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(kCaptureFragmentUs, &format));
  // The source's own latency follows the fragment, and a source that goes
  // away ends the capture instead of moving it elsewhere.
  const auto streamFlags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE);
  const bool ready =
      pa_stream_connect_record(stream, device_->name.c_str(), &buffer, streamFlags) == 0 &&
      waitFor(context_,
              [&] {
                const pa_stream_state_t state = pa_stream_get_state(stream);
                return state == PA_STREAM_READY || state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED;
              }) &&
      pa_stream_get_state(stream) == PA_STREAM_READY;
  if (!ready) {
    fail(serverError(context_));
    endCapture();
    return 0;
  }
  running_ = ++lastHandle_;
  error_ = kErrorOk;
  return running_;
}

bool PulseCaptureLibrary::ChannelStop(ChannelHandle handle) {
  if (handle == 0 || handle != running_) return fail(kErrorHandle);
  Lock lock(mainloop_);
  endCapture();
  error_ = kErrorOk;
  return true;
}

int32_t PulseCaptureLibrary::ErrorGetCode() { return error_; }

int32_t PulseCaptureLibrary::ChannelGetData(ChannelHandle handle, float* buffer, uint32_t request) {
  if (handle == 0 || handle != running_) {
    fail(kErrorHandle);
    return -1;
  }
  if (const int32_t failure = capture_->failed(); failure != kErrorOk) {
    error_ = failure;
    return -1;
  }
  return analysis_.data(capture_->ring, buffer, request, error_);
}

uint32_t PulseCaptureLibrary::ChannelGetLevel(ChannelHandle handle) {
  if (handle == 0 || handle != running_) {
    fail(kErrorHandle);
    return 0xFFFFFFFFu;
  }
  if (const int32_t failure = capture_->failed(); failure != kErrorOk) {
    error_ = failure;
    return 0xFFFFFFFFu;
  }
  error_ = kErrorOk;
  return analysis_.level(capture_->ring);
}

}  // namespace tactolo
