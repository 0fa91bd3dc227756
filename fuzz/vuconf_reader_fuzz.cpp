// Fuzz target for the VU configuration file reader.
//
// Any bytes either read as a complete layout or fail with VuFileError;
// nothing else may escape, crash or trip a sanitizer. A layout that reads
// must write again (unless its name holds a CR, which the writer refuses)
// and read back equal, and every byte string survives a decode and encode
// of the Windows-1252 text unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "vu/vu_file_format.h"
#include "vu/windows1252.h"

using namespace tactolo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  if (Utf8ToWindows1252(Windows1252ToUtf8(bytes)) != bytes) std::abort();
  (void)Utf8ToWindows1252(bytes);  // arbitrary bytes as UTF-8: never fails
  (void)ParseRoundedDecimal(bytes);

  VuLayout layout;
  try {
    layout = ParseVuLayoutBytes(bytes);
  } catch (const VuFileError&) {
    return 0;
  }
  std::string written;
  try {
    written = FormatVuLayout(layout);
  } catch (const VuFileError&) {
    if (layout.VuName.find('\r') == std::string::npos) std::abort();
    return 0;
  }
  if (ParseVuLayoutBytes(written) != layout) std::abort();
  return 0;
}
