# The shell extension as the Windows 95 shell meets it: registered the way
# the installer would, asked by the shell host for the context menus of the
# protected drive D:, of a folder and of a file on it (and of the
# unprotected E:, which gets nothing). Screenshots: each menu as the shell
# shows it, the extension's items between the shell's own.
set -euo pipefail
host=$DEMO_BIN/shellhost.exe
dll="Z:${DEMO_BIN//\//\\}\\slvrsext.dll"

run "$host" register "$dll"
# Menus drawn straight onto the X screen come out black in the pictures; on
# a virtual desktop of its own the host's windows and menus are drawn whole.
desktop=shellext
size=640x400
run reg.exe add 'HKCU\Software\Wine\Explorer\Desktops' /v "$desktop" /d "$size" /f >/dev/null
run reg.exe add 'HKCU\Software\Wine\AppDefaults\shellhost.exe\Explorer' /v Desktop /d "$desktop" /f >/dev/null
ctl reset
ctl drive D on 4096 2000 10 7

d=$WINEPREFIX/drives/d
mkdir -p "$d/Reports"
printf 'Third quarter\r\n' >"$d/Reports/Q3.TXT"

for path in 'D:\' 'D:\Reports' 'D:\Reports\Q3.TXT' 'E:\'; do
  echo "-- menu $path"
  run "$host" menu "$path"
done
echo "-- menu of two folders: no Undelete for more than one"
mkdir -p "$d/Old"
run "$host" menu 'D:\Reports' 'D:\Old'

# popup NAME PATH: the host shows the menu as the shell does and closes it
# again after a while; the picture is taken once the menu is up.
popup() {
  local out
  out=$(mktemp)
  run "$host" menu --popup --hold 4000 "$2" >"$out" &
  local job=$!
  for _ in $(seq 100); do grep -q 'menu shown' "$out" && break; sleep 0.1; done
  if grep -q 'menu shown' "$out"; then
    sleep 0.5   # the X server draws what Wine flushed a moment ago
    shot "$1"
    crop "$1" "${size%x*}" "${size#*x}"
  else
    echo "the $2 menu did not come up" >&2
  fi
  wait "$job" || true
  cat "$out"
  rm -f "$out"
}

popup shellext-1-drive 'D:\'
popup shellext-2-folder 'D:\Reports'
popup shellext-3-file 'D:\Reports\Q3.TXT'
