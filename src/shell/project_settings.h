// The main window's settings in the host's project: seventeen control states
// as decimal text under the window's name followed by a suffix
// ("TactoloMain_GainValue"), and the names of the chosen recording device and
// input beside their positions. The audio-source keys go to the host's
// device store, the others to its general store.
//
// Saved are the states of the controls, not the module's variables: a load
// sets the controls, and their own handlers carry the values on, exactly as a
// user's change would (a list position or an option button raises its click,
// a check box its click when its value changes, a slider its change).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tactolo {

class TactoloMain;
struct BeatVariables;

/// A stored setting the window cannot take: the load ends at it.
class ProjectSettingError : public std::runtime_error {
 public:
  /// "Project setting TactoloMain_GainValue = \"abc\": REASON".
  ProjectSettingError(const std::string& key, const std::string& text, const std::string& reason);
};

/// Writes the settings of the (loaded) window, in this order:
/// "_DeviceIndex", "_DeviceName", "_InputIndex" and "_InputName" (device
/// store; a name is the selected entry's text, empty when none is),
/// "_AlgorithmIndex",
/// "_GainValue", "_SendBeat", "_SendVu", "_MaxBPMCheck", "_MaxBPMValue",
/// "_VuGainValue", "_VuConfig", "_SWMBassHihatIndex" (the first selected
/// band option, 0 when none is), "_SWMSensitivity", "_SWMCorrection",
/// "_FSSESubbandIndex", "_FSSESubbandCheck", "_FSSESubbandValue",
/// "_BPMTolerance". A host write that fails ends it there.
void SaveSettings(TactoloMain& window);

/// Reads the settings of the (loaded) window, each with its default when
/// the store has none, and applies each at once, in this order: device,
/// input, method, gain, maximum-tempo check, beat output (then
/// SendBeat := box checked), VU output (then SendVu := box checked), maximum
/// tempo, band option, sensitivity, correction, sub-band count, ranked
/// selection, sub-band slider, tolerance (the slider only moves: it is read
/// when keep mode next uses it), VU gain (the slider moves and the gain factor
/// follows it, as the slider's scroll handler sets it), and the VU
/// configuration (only a position below the list's count; -1 clears).
///
/// The device and the input are chosen by their stored name when there is
/// one (lists shift as devices come and go): the entry of that name, the
/// one at the stored position when two share it. A name the list does not
/// hold keeps the entry chosen now, says so in a message box, and the load
/// goes on with the next keys (after a device that is not there, with the
/// method: its input is not looked for). Without a stored name the position
/// is applied as it is. The position is read, and must be a number, either
/// way.
///
/// A stored value is a number as ParseInt16 (shell/window_placement.h) takes
/// it. Text that is no such number, a value the control refuses, a method or
/// device position of -1 (no method or no device to run with), or an error
/// in a handler ends the load at that key with ProjectSettingError; the keys
/// before it stay applied, the keys after it are not read. A host read that
/// fails ends it the same way with the host's error.
void LoadSettings(TactoloMain& window, BeatVariables& vars);

}  // namespace tactolo
