#!/usr/bin/env bash
# Configures (once) and builds the three builds: win32 (the Windows 95
# deliverables), win64 (the same source for wine64, with the Wine tests) and
# native (portable code and unit tests).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=$(nproc 2>/dev/null || echo 2)
for preset in "${@:-native win32 win64}"; do
  for p in $preset; do
    [[ -f build/$p/build.ninja ]] || cmake --preset "$p" >/dev/null
    echo "== build $p"
    cmake --build "build/$p" -j "$jobs"
  done
done
