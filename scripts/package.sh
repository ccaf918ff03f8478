#!/usr/bin/env bash
# The release package: builds the win32 deliverables (or the preset given)
# and writes build/dist/ (build/dist-PRESET/ for another preset) with
# salvora-VERSION.zip and the same files unpacked beside it: slvrtray.exe,
# slvrsext.dll, SALVORA.INF and README.TXT. The version is the programs'
# own, read back from their VERSIONINFO.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
preset=${1:-win32}
case "$preset" in
  win32) windres=i686-w64-mingw32-windres; dist=build/dist ;;
  win64) windres=x86_64-w64-mingw32-windres; dist=build/dist-win64 ;;
  *) echo "usage: $0 [win32|win64]" >&2; exit 2 ;;
esac

scripts/bootstrap.sh
scripts/build.sh "$preset" >/dev/null
bin=build/$preset/bin

version_of() {
  "$windres" -i "$1" -O rc | sed -n 's/^ *FILEVERSION *\([0-9]*\), *\([0-9]*\), *\([0-9]*\), *\([0-9]*\).*/\1.\2.\3.\4/p' | head -n 1
}
version=$(version_of "$bin/slvrtray.exe")
[[ -n $version && $version == "$(version_of "$bin/slvrsext.dll")" ]] ||
  { echo "package: the programs carry no version, or not the same one" >&2; exit 1; }

rm -rf "$dist"
mkdir -p "$dist/salvora"
cp "$bin/slvrtray.exe" "$bin/slvrsext.dll" "$dist/salvora/"
python3 scripts/mkinf.py release/salvora.inf.in shellext/slvrsext.reg "$dist/salvora/SALVORA.INF"
sed "s/@VERSION@/$version/; s/\$/\r/" release/readme.txt > "$dist/salvora/README.TXT"
python3 - "$dist/salvora" "$dist/salvora-$version.zip" <<'PY'
import os, sys, zipfile
folder, archive = sys.argv[1:3]
with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
    for name in ("slvrtray.exe", "slvrsext.dll", "SALVORA.INF", "README.TXT"):
        z.write(os.path.join(folder, name), name)
PY
echo "package: $dist/salvora-$version.zip"
