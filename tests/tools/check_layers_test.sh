#!/usr/bin/env bash
# The layering check on planted includes: an upward one and one between siblings are
# caught with their file and line; includes within a layer and downward ones pass.
set -euo pipefail
check="$1"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/platform/linux" "$tree/session" "$tree/download" "$tree/terminal" "$tree/app"
printf '#include "platform/os_handle.hpp"\n#include "session/session.hpp"\n' > "$tree/download/fine.cpp"
printf '#include "platform/linux/port_handles.hpp"\n' > "$tree/platform/linux/fine.cpp"
"$check" "$tree"

printf '#include <vector>\n#include "app/program.hpp"\n' > "$tree/platform/linux/planted.cpp"
printf '#include "download/download_link.hpp"\n' > "$tree/terminal/planted.hpp"
if out=$("$check" "$tree" 2>&1); then
  echo "an upward include was not caught"; exit 1
fi
grep -q 'platform/linux/planted.cpp:2: platform (layer 0) includes app (layer 6)' <<<"$out" || { echo "$out"; exit 1; }
grep -q 'terminal/planted.hpp:1: terminal (layer 4) includes download (layer 4)' <<<"$out" || { echo "$out"; exit 1; }
echo "planted includes caught"
