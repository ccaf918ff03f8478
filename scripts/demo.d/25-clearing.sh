# The tray applet empties the Trashcans of the protected drives D: and E:
# from its menu item "Clear Trashcan now...". D:'s Trashcan holds a few
# deleted documents, E:'s the thousands of temporary files an editor left
# behind, each with the driver's index file salvora.inf. Screenshots: the
# search counting the files, the results list, the removal under way.
set -euo pipefail
desktop=shell
size=1024x768
poster() { run "$DEMO_BIN/trayposter.exe" -d "$desktop" "$@"; }
search="Salvora: Searching files"
results="Salvora: Display search results"
removal="Salvora: Removing files"

ctl reset
ctl drive D on 4096 2000 10 7
ctl drive E on 4096 2000 10 0

# The Trashcans as the driver would have filled them. Enough files on E:
# that the search and the removal stay on the screen long enough to be seen.
d=$WINEPREFIX/drives/d/recycled/trashcan
e=$WINEPREFIX/drives/e/recycled/trashcan
rm -rf "$WINEPREFIX/drives/d/recycled" "$WINEPREFIX/drives/e/recycled"
mkdir -p "$d" "$e"
for name in BUDGET96.XLS LETTER.DOC MINUTES.TXT Q3REPORT.DOC SCAN0001.BMP; do
  head -c $((RANDOM * 8)) /dev/zero >"$d/$name"
done
printf 'index of deleted files\r\n' >"$d/salvora.inf"
for i in $(seq -w 1 12000); do : >"$e/~WRL$i.TMP"; done
printf 'index of deleted files\r\n' >"$e/salvora.inf"
echo "D: Trashcan: $(ls "$d" | wc -l) files, E: Trashcan: $(ls "$e" | wc -l) files"

run explorer.exe /desktop=$desktop,$size &
desktop_job=$!
poster wait Shell_TrayWnd -
run explorer.exe /desktop=$desktop,$size "$DEMO_BIN/slvrtray.exe"

echo "-- Clear Trashcan now..., chosen from the menu by its mnemonic"
poster post SLVRTrayWindow - 0x401 1000 0x205    # WM_USER+1, icon 1000, WM_RBUTTONUP
poster wait "#32768" -
poster post "#32768" - 0x102 0x74 0               # WM_CHAR 't'
poster wait "#32770" "$search"
shot clearing-1-search

echo "-- the drives found, each checked for removal"
poster wait "#32770" "$results"
sleep 0.5
shot clearing-2-results

echo "-- OK: the removal"
poster post "#32770" "$results" 0x111 1 0         # WM_COMMAND IDOK
poster wait "#32770" "$removal"
sleep 1
shot clearing-3-removal
for _ in $(seq 600); do
  [[ -z "$(ls -A "$d")" && -z "$(ls -A "$e")" ]] && break
  sleep 0.1
done
echo "D: Trashcan: $(ls "$d" | wc -l) files, E: Trashcan: $(ls "$e" | wc -l) files"

echo "-- Exit from the menu"
poster post SLVRTrayWindow - 0x401 1000 0x205
poster wait "#32768" -
poster post "#32768" - 0x102 0x78 0               # WM_CHAR 'x'
for _ in $(seq 100); do kill -0 "$desktop_job" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$desktop_job" 2>/dev/null; then
  kill "$desktop_job" 2>/dev/null || true
fi
ctl log
