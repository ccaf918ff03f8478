# The tray applet in its notification area, against the stand-in driver
# protecting drive D:. Wine shows a taskbar with a notification area on a
# virtual desktop named "shell"; the applet runs there, and trayposter plays
# the mouse over its icon. Screenshots: the icon enabled, the icon disabled,
# the open menu and the about box, each full screen and the icon's corner
# of the taskbar enlarged.
set -euo pipefail
desktop=shell
size=1024x768
poster() { run "$DEMO_BIN/trayposter.exe" -d "$desktop" "$@"; }
# The taskbar's right end, four times as large, beside the full screenshot.
corner() {
  local png=$DEMO_SHOTS/$1.png
  [[ -s $png ]] || return 0
  pngtopnm "$png" | pamcut -right -1 -bottom -1 -width 256 -height 48 | pamscale 4 |
    pnmtopng >"$DEMO_SHOTS/$1-corner.png"
  echo "screenshot: $DEMO_SHOTS/$1-corner.png"
}

ctl reset
ctl drive D on 4096 2000 10 7
ctl state on

# The desktop and its taskbar first: an icon added before the taskbar
# exists is never shown.
run explorer.exe /desktop=$desktop,$size &
desktop_job=$!
poster wait Shell_TrayWnd -
run explorer.exe /desktop=$desktop,$size "$DEMO_BIN/slvrtray.exe"
poster point Shell_TrayWnd - -12 10   # over the last icon of the notification area
sleep 0.5
shot tray-1-enabled
corner tray-1-enabled

echo "-- tracking switched off through the control tool; the icon follows"
ctl state off
sleep 1
shot tray-2-disabled
corner tray-2-disabled

echo "-- the menu, as a right-button release over the icon opens it"
poster post SLVRTrayWindow - 0x401 1000 0x205   # WM_USER+1, icon 1000, WM_RBUTTONUP
poster wait "#32768" -
sleep 0.5
shot tray-3-menu

echo "-- the about box, chosen from the menu by its mnemonic"
poster post "#32768" - 0x102 0x61 0             # WM_CHAR 'a'
poster wait "#32770" "Salvora 1.0 beta6"
sleep 0.5
shot tray-4-about
poster post "#32770" "Salvora 1.0 beta6" 0x111 1 0   # WM_COMMAND IDOK

echo "-- Exit from the menu: the icon goes, the applet ends, the desktop closes"
ctl state on
poster post SLVRTrayWindow - 0x401 1000 0x205
poster wait "#32768" -
poster post "#32768" - 0x102 0x78 0             # WM_CHAR 'x'
for _ in $(seq 100); do kill -0 "$desktop_job" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$desktop_job" 2>/dev/null; then  # did not close by itself
  kill "$desktop_job" 2>/dev/null || true
fi
ctl log
