#!/usr/bin/env bash
# Checks that the plug-in library exports its C entry and nothing else: every
# other symbol of the plug-in stays inside it, so a host can only reach the
# plug-in through the entry, and two builds of the logic never mix.
#
#   bash scripts/check_exports.sh path/to/libtactolo-plugin.so
set -euo pipefail
library="$1"
expected="tactolo_automation
tactolo_check_vuconf
tactolo_create_object
tactolo_library_info
tactolo_shutdown"
# Symbols the linker itself defines in every shared object are not exports
# of the plug-in.
actual="$(nm -D --defined-only "$library" | awk '{print $NF}' |
  grep -v -x -E '_init|_fini|_edata|_end|__bss_start' | sort)"
if [ "$actual" != "$expected" ]; then
  echo "check_exports: $library exports other symbols than its C entry:" >&2
  diff <(echo "$expected") <(echo "$actual") >&2 || true
  exit 1
fi
echo "check_exports: $library exports only its C entry"
