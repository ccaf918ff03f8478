# The "Salvora" page of drive D:'s property sheet, as the shell host shows
# it: first with delete tracking on (10 %, day count 7), then switched off,
# then on again with a day count of 150, which the page refuses. A valid
# day count and OK then give the driver the new settings and write them to
# Salvora.ini beside the DLL. Screenshots: the page in each state and the
# message about the day count.
set -euo pipefail
host=$DEMO_BIN/shellhost.exe
dll="Z:${DEMO_BIN//\//\\}\\slvrsext.dll"
desktop=drivepage
size=480x480
poster() { run "$DEMO_BIN/trayposter.exe" -d "$desktop" "$@"; }
tracking=" &Enable Salvora Delete Tracking for this drive"
message="Salvora Shell Extension"

run "$host" register "$dll" >/dev/null
run reg.exe add 'HKCU\Software\Wine\Explorer\Desktops' /v "$desktop" /d "$size" /f >/dev/null
run reg.exe add 'HKCU\Software\Wine\AppDefaults\shellhost.exe\Explorer' /v Desktop /d "$desktop" /f >/dev/null
# Windows 95 draws property sheets in MS Sans Serif, the page's own font,
# and sizes the page's tab by it. Wine's sheets use Tahoma ("MS Shell
# Dlg"), in which the page's 227 dialog units come out narrower than the
# page draws them in Wine's MS Sans Serif. The host runs with Windows 95's
# choice; Wine's comes back at the end.
subst='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
shell_font=$(run reg.exe query "$subst" /v 'MS Shell Dlg' 2>/dev/null | tr -d '\r' |
  sed -n 's/.*REG_SZ *//p')
run reg.exe add "$subst" /v 'MS Shell Dlg' /d 'MS Sans Serif' /f >/dev/null
ctl reset
ctl drive D on 4096 2000 10 7
ctl drive E on 4096 1000 5 0

# The demo writes Salvora.ini beside the DLL; whatever was there comes back.
ini=$DEMO_BIN/Salvora.ini
saved=$(mktemp)
had_ini=0
[[ -f $ini ]] && { cp "$ini" "$saved"; had_ini=1; }
rm -f "$ini"
restore() {
  [[ -n $shell_font ]] && run reg.exe add "$subst" /v 'MS Shell Dlg' /d "$shell_font" /f >/dev/null
  rm -f "$ini"
  [[ $had_ini == 1 ]] && cp "$saved" "$ini"
  rm -f "$saved"
}
trap restore EXIT

# crop NAME: the picture of the host's desktop only.
crop() {
  local png=$DEMO_SHOTS/$1.png
  [[ -s $png ]] || return 0
  pngtopnm "$png" | pamcut -left 0 -top 0 -width "${size%x*}" -height "${size#*x}" |
    pnmtopng >"$png.tmp" && mv "$png.tmp" "$png"
}
# overlay NAME CAPTION: the window's own picture pasted into the shot.
# Wine's message box comes out black in a picture of the whole screen, but
# whole in a picture of its own window.
overlay() {
  local png=$DEMO_SHOTS/$1.png info x y part
  info=$(xwininfo -display "$DISPLAY" -name "$2" 2>/dev/null) || return 0
  x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
  y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
  part=$(mktemp)
  xwd -silent -display "$DISPLAY" -name "$2" | xwdtopnm >"$part" 2>/dev/null &&
    pngtopnm "$png" | pnmpaste "$part" "$x" "$y" | pnmtopng >"$png.tmp" &&
    mv "$png.tmp" "$png"
  rm -f "$part"
}
picture() {
  sleep 0.5
  shot "$1"
  [[ -n ${2:-} ]] && overlay "$1" "$2"
  crop "$1"
}

echo "-- properties of D:"
run "$host" props 'D:\' &
host_job=$!
poster wait Button "$tracking"
picture drivepage-1-tracking-on

echo "-- tracking switched off: only its own box stays usable"
poster post Button "$tracking" 0xF5 0 0              # BM_CLICK
picture drivepage-2-tracking-off

echo "-- on again, with a day count of 150"
poster post Button "$tracking" 0xF5 0 0
poster post Edit - 0xB1 0 -1                         # EM_SETSEL: all of it
for c in 0x31 0x35 0x30; do poster post Edit - 0x102 $c 0; done   # WM_CHAR 1 5 0
poster post Button "&Apply" 0xF5 0 0
poster wait "#32770" "$message"
picture drivepage-3-invalid-daycount "$message"

echo "-- 14 days instead, and OK"
poster post "#32770" "$message" 0x111 1 0            # WM_COMMAND IDOK
poster post Edit - 0xB1 0 -1
for c in 0x31 0x34; do poster post Edit - 0x102 $c 0; done
poster post "#32770" 'Properties for D:\' 0x111 1 0   # the sheet's OK
wait "$host_job" || true
ctl log | tail -3
echo "Salvora.ini:"
cat "$ini" 2>/dev/null || echo "(none)"

