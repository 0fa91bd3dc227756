#!/usr/bin/env bash
# Checks the include direction of the layers. Every `#include "FOLDER/..."`
# in src/ and apps/ must name a layer at or below the including file's own:
# the order is the one of the layer diagram in docs/architecture.md (its lines
# "    src/NAME ...", top first). Layers marked "[host side]" there stand
# beside the plug-in: they and the executables (apps/) include only host-side
# layers and src/platform and src/audio, since they reach the plug-in through
# its loaded library, and no layer of the plug-in includes them. Prints one
# line per offending include (FILE:LINE) and fails when there is any.
#
#   bash scripts/check_layers.sh [ROOT]
set -euo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
notes="$root/docs/architecture.md"
shared_layers=(platform audio)

mapfile -t layers < <(sed -n 's#^    src/\([a-z_]*\)[[:space:]].*#\1#p' "$notes")
mapfile -t host_side < <(sed -n 's#^    src/\([a-z_]*\)[[:space:]]*\[host side\].*#\1#p' "$notes")
if [ "${#layers[@]}" -eq 0 ]; then
  echo "check_layers: no layer diagram (lines \"    src/NAME ...\") in $notes" >&2
  exit 2
fi
declare -A rank=()
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$((${#layers[@]} - i)); done
declare -A shared=() hostSide=()
for layer in "${shared_layers[@]}"; do shared[$layer]=1; done
for layer in "${host_side[@]}"; do hostSide[$layer]=1; done

failures=0
report() {
  echo "$1"
  failures=$((failures + 1))
}

while IFS= read -r -d '' file; do
  rel="${file#"$root"/}"
  own=""
  if [[ "$rel" == src/* ]]; then
    own="${rel#src/}"
    own="${own%%/*}"
    if [ -z "${rank[$own]+set}" ]; then
      report "$rel: src/$own is not a layer of docs/architecture.md"
      continue
    fi
  fi
  while IFS=: read -r line target; do
    folder="${target%%/*}"
    if [ -z "${rank[$folder]+set}" ]; then
      report "$rel:$line: includes \"$target\": $folder is not a layer of docs/architecture.md"
    elif [ -z "$own" ] || [ -n "${hostSide[$own]+set}" ]; then
      if [ -z "${shared[$folder]+set}" ] && [ -z "${hostSide[$folder]+set}" ]; then
        report "$rel:$line: includes \"$target\": hosts include only the host side and ${shared_layers[*]}, and reach the plug-in through its library"
      elif [ -n "$own" ] && [ "${rank[$folder]}" -gt "${rank[$own]}" ]; then
        report "$rel:$line: includes \"$target\": $own may include only itself and the layers below it"
      fi
    elif [ -n "${hostSide[$folder]+set}" ]; then
      report "$rel:$line: includes \"$target\": the plug-in does not include the host side"
    elif [ "${rank[$folder]}" -gt "${rank[$own]}" ]; then
      report "$rel:$line: includes \"$target\": $own may include only itself and the layers below it"
    fi
  done < <(awk '/^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]*\/[^"]*"/ {
                 target = $0; sub(/^[^"]*"/, "", target); sub(/".*/, "", target); print FNR ":" target }' "$file")
done < <(find "$root/src" "$root/apps" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)

if [ "$failures" -gt 0 ]; then
  echo "check_layers: $failures include(s) against the layer order (see docs/architecture.md)" >&2
  exit 1
fi
echo "check_layers: includes follow the layer order ${layers[*]}"
