# The drive menu's "&Clear Trashcan" on the protected drive D:, run by the
# shell host as the shell would after a right-click on the drive. D:'s
# Trashcan holds thousands of files an editor left behind and the driver's
# index salvora.inf. Screenshots: the scan counting the files, the question
# that names their number and size, and the removal under way.
set -euo pipefail
host=$DEMO_BIN/shellhost.exe
desktop=shellext
poster() { run "$DEMO_BIN/trayposter.exe" -d "$desktop" "$@"; }
scan="Salvora: Scanning for deleted files"
removal="Salvora: Removing deleted files"

ctl reset
ctl drive D on 4096 2000 10 7
d=$WINEPREFIX/drives/d/recycled/trashcan
rm -rf "$WINEPREFIX/drives/d/recycled"
mkdir -p "$d"
for i in $(seq -w 1 9000); do head -c 700 /dev/zero >"$d/~WRL$i.TMP"; done
printf 'index of deleted files\r\n' >"$d/salvora.inf"
echo "D: Trashcan: $(ls "$d" | wc -l) files"

run "$host" invoke 1 'D:\' &
job=$!
poster wait "#32770" "$scan"
shot driveclearing-1-scan
crop driveclearing-1-scan 640 400
poster wait "#32770" Salvora
sleep 0.5
shot driveclearing-2-question
crop driveclearing-2-question 640 400
echo "-- Yes"
poster post "#32770" Salvora 0x111 6 0            # WM_COMMAND IDYES
poster wait "#32770" "$removal"
sleep 1
shot driveclearing-3-removal
crop driveclearing-3-removal 640 400
wait "$job" || true
echo "D: Trashcan: $(ls -A "$d" | wc -l) files"
ctl log | tail -3
