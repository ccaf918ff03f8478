#!/usr/bin/env bash
# The demo: builds everything, prepares the Wine environment with the
# stand-in delete-tracking driver, then runs each part of the demo in
# scripts/demo.d in order. Screenshots go to build/demo/ (with a display of
# your own the windows also appear on it).
#
# scripts/demo.sh --gallery also copies the screenshots that docs/gallery.md
# shows into docs/gallery/, for a commit.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
gallery=0
[[ "${1:-}" == --gallery ]] && gallery=1

scripts/bootstrap.sh
# SALVORA_BIN names a win64 bin folder built elsewhere (then nothing is
# built here); SALVORA_WINEPREFIX and SALVORA_SHOTS move the prefix and the
# screenshots.
[[ -n "${SALVORA_BIN:-}" ]] || scripts/build.sh native win32 win64
scripts/wine-env.sh demo

export WINEPREFIX=${SALVORA_WINEPREFIX:-$top/build/wine/demo} WINEDEBUG=-all
export DEMO_BIN=${SALVORA_BIN:-$top/build/win64/bin} DEMO_SHOTS=${SALVORA_SHOTS:-$top/build/demo}
mkdir -p "$DEMO_SHOTS"
rm -f "$DEMO_SHOTS"/*.png

cleanup() {
  scripts/wine-session.sh stop
  [[ -n "${xvfb:-}" ]] && kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT

# The demo prefix draws through X11: use the caller's display, or a private
# Xvfb when there is none.
if [[ -z "${DISPLAY:-}" ]]; then
  for n in $(seq 57 90); do [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || break; done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi
scripts/wine-session.sh start

# Helpers for the parts.
run() { "$top/scripts/wine-run" "$@"; }
ctl() { run "$DEMO_BIN/vsalvoractl.exe" "$@"; }
# shot NAME [WINDOW-NAME]: the whole screen, or one window by its caption.
shot() {
  local file=$DEMO_SHOTS/$1.png
  for _ in $(seq 50); do
    if [[ -n "${2:-}" ]]; then
      xwd -silent -display "$DISPLAY" -name "$2" 2>/dev/null | xwdtopnm 2>/dev/null | pnmtopng >"$file" 2>/dev/null
    else
      xwd -silent -display "$DISPLAY" -root 2>/dev/null | xwdtopnm 2>/dev/null | pnmtopng >"$file" 2>/dev/null
    fi
    [[ -s $file ]] && { echo "screenshot: $file"; return 0; }
    sleep 0.2
  done
  echo "screenshot $1 failed" >&2
}
# crop NAME WIDTH HEIGHT: keeps the screenshot's top left corner, where a
# virtual desktop of that size is drawn.
crop() {
  local png=$DEMO_SHOTS/$1.png
  [[ -s $png ]] || return 0
  pngtopnm "$png" | pamcut -left 0 -top 0 -width "$2" -height "$3" | pnmtopng >"$png.tmp" &&
    mv "$png.tmp" "$png"
}
export -f run ctl shot crop
export top

for part in scripts/demo.d/*.sh; do
  echo "== ${part##*/}"
  bash "$part"
done
echo "Screenshots: $DEMO_SHOTS"

if ((gallery)); then
  mkdir -p docs/gallery
  for name in $(grep -o 'gallery/[A-Za-z0-9_-]*\.png' docs/gallery.md | sort -u); do
    if [[ -s $DEMO_SHOTS/${name#gallery/} ]]; then
      cp "$DEMO_SHOTS/${name#gallery/}" "docs/$name"
    else
      echo "gallery: no screenshot for $name" >&2
    fi
  done
  echo "Gallery: docs/gallery/ (shown by docs/gallery.md)"
fi
