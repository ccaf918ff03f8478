#!/usr/bin/env bash
# Creates or refreshes a Wine prefix that poses as Windows 95:
#   scripts/wine-env.sh test   build/wine/test: null graphics driver (headless tests)
#   scripts/wine-env.sh demo   build/wine/demo: X11 driver, undecorated windows (screenshots)
# SALVORA_WINEPREFIX and SALVORA_BIN choose another prefix and win64 bin folder.
# Version win95, extra drive letters mapped to folders of the prefix with the
# drive types the tests need, and the stand-in driver installed as an
# auto-start kernel service from the win64 build; and once, the Unix locale
# that the tests run under code page 932 need. Safe to re-run: it ends the
# prefix's session first, so the next session loads the driver afresh and
# reads the drive types and labels again. Touches nothing outside build/.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-test}
case "$kind" in
  test) graphics=null ;;
  demo) graphics=x11 ;;
  *) echo "usage: $0 test|demo" >&2; exit 2 ;;
esac

# Another engineer's build or prefix can be named, so that parallel work
# never shares one driver's state.
prefix=${SALVORA_WINEPREFIX:-$top/build/wine/$kind}
bin=${SALVORA_BIN:-$top/build/win64/bin}
[[ -f $bin/vsalvora.sys ]] || { echo "wine-env: $bin/vsalvora.sys missing: build the win64 preset first" >&2; exit 1; }

export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64

wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
# A prefix made before the 32-bit Wine came (scripts/bootstrap.sh i686) has
# an empty 32-bit system folder, which no update fills: it is made anew.
if [[ -x /usr/lib/wine/wine && -f $prefix/system.reg &&
      ! -f $prefix/drive_c/windows/syswow64/kernel32.dll ]]; then
  echo "wine-env: $prefix has no 32-bit system: making it anew"
  rm -rf "$prefix"
fi
if [[ ! -f $prefix/system.reg ]]; then
  mkdir -p "$prefix"
  echo "wine-env: creating $prefix"
  $wine wineboot -i >/dev/null 2>&1
  wineserver -w
fi

# letter  type      label ("" for none)
drives=(
  "d hd DATADISK"
  "e hd"
  "f floppy"
  "m ramdisk RAMDRIVE"
  "n network"
  "r cdrom"
)
reg=$prefix/salvora-env.reg
{
  printf 'REGEDIT4\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine]\r\n"Version"="win95"\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\r\n"Graphics"="%s"\r\n\r\n' "$graphics"
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Decorated"="N"\r\n\r\n'
  printf '[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\r\n'
  for d in "${drives[@]}"; do
    set -- $d
    printf '"%s:"="%s"\r\n' "$1" "$2"
  done
  printf '\r\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\vsalvora]\r\n'
  printf '"Type"=dword:00000001\r\n"Start"=dword:00000002\r\n"ErrorControl"=dword:00000001\r\n'
  printf '"ImagePath"="C:\\\\windows\\\\system32\\\\drivers\\\\vsalvora.sys"\r\n\r\n'
} > "$reg"

for d in "${drives[@]}"; do
  set -- $d
  root=$prefix/drives/$1
  mkdir -p "$root"
  ln -sfn "$root" "$prefix/dosdevices/$1:"
  if [[ $# -ge 3 ]]; then printf '%s' "$3" > "$root/.windows-label"; else rm -f "$root/.windows-label"; fi
done

# Wine's own fonts (Marlett draws the caption buttons) are not found in
# Debian's data folder by this Wine: give the prefix links to them.
for font in /usr/share/wine/fonts/*.ttf; do
  [[ -e $font ]] && ln -sfn "$font" "$prefix/drive_c/windows/Fonts/${font##*/}"
done

# The Japanese edition's ANSI code page 932 for the tests that run under it
# (scripts/wine-run with SALVORA_ANSI_CODEPAGE=932): Wine takes it from the
# Unix locale ja_JP.UTF-8, which must exist for Japanese names to reach the
# disk. Made here from the locales package's sources, beside the prefixes.
locales=$top/build/wine/locale
if [[ ! -f $locales/ja_JP.UTF-8/LC_CTYPE ]]; then
  mkdir -p "$locales"
  localedef -i ja_JP -f UTF-8 "$locales/ja_JP.UTF-8" >/dev/null 2>&1 || true
  [[ -f $locales/ja_JP.UTF-8/LC_CTYPE ]] ||
    echo "wine-env: cannot make the locale ja_JP.UTF-8 (is the package locales installed?)" >&2
fi

cp "$bin/vsalvora.sys" "$prefix/drive_c/windows/system32/drivers/vsalvora.sys"
$wine reg.exe import "Z:${reg//\//\\}" >/dev/null 2>&1
# The registry reaches the disk when the session ends.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
echo "wine-env: $prefix ready (graphics $graphics)"
