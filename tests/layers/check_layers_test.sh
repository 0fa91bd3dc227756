#!/usr/bin/env bash
# scripts/check_layers.sh finds includes against the layer order: an upward
# include in a layer, a host that includes the plug-in's logic, a folder that
# is no layer; and it passes a tree whose includes all go down.
#
#   bash tests/layers/check_layers_test.sh ROOT
set -uo pipefail
root="$1"
tree="$(mktemp -d)"
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/docs" "$tree/src/platform" "$tree/src/module" "$tree/src/shell" "$tree/src/host" "$tree/apps/host"
cp "$root/docs/architecture.md" "$tree/docs/"

printf '#include "platform/numbers.h"\n' > "$tree/src/module/state.h"
printf '#include "module/state.h"\n#include "platform/clock.h"\n' > "$tree/src/shell/entry.cpp"
printf '#include <vector>\n#include "platform/clock.h"\n#include "local.h"\n' > "$tree/apps/host/main.cpp"
printf '#include "platform/clock.h"\n' > "$tree/src/host/loop.h"
printf '#include "host/loop.h"\n' >> "$tree/apps/host/main.cpp"

fail() {
  echo "FAILED: $1"
  echo "$output"
  exit 1
}

output="$(bash "$root/scripts/check_layers.sh" "$tree" 2>&1)" || fail "a clean tree is refused"

printf '// base\n\n#include "shell/entry.h"\n' > "$tree/src/platform/clock.h"
printf '#include "platform/clock.h"\n#include "mainwindow/main_form.h"\n' >> "$tree/apps/host/main.cpp"
printf '#include "shell/entry.h"\n' >> "$tree/src/host/loop.h"
printf '#include "host/loop.h"\n' >> "$tree/src/shell/entry.cpp"
printf '#include "widgets/button.h"\n' >> "$tree/src/module/state.h"
output="$(bash "$root/scripts/check_layers.sh" "$tree" 2>&1)" && fail "a tree with upward includes passes"
grep -q '^src/platform/clock.h:3: includes "shell/entry.h"' <<<"$output" || fail "the upward include is not named"
grep -q '^apps/host/main.cpp:6: includes "mainwindow/main_form.h": hosts include only' <<<"$output" ||
  fail "the host's include of the logic is not named"
grep -q '^src/module/state.h:2: includes "widgets/button.h": widgets is not a layer' <<<"$output" ||
  fail "the unknown folder is not named"
grep -q '^src/host/loop.h:2: includes "shell/entry.h": hosts include only' <<<"$output" ||
  fail "the host side's include of the logic is not named"
grep -q '^src/shell/entry.cpp:3: includes "host/loop.h": the plug-in does not include the host side' <<<"$output" ||
  fail "the plug-in's include of the host side is not named"
[ "$(grep -c ': includes ' <<<"$output")" -eq 5 ] || fail "an include that follows the order is reported"
echo "check_layers finds every include against the order"
