# "&ForceDelete" on the folder "D:\Old Projects" of the protected drive D:,
# run by the shell host as the shell would after a right-click on it. The
# folder holds build output, a read-only README.TXT and thousands of report
# pages, a hidden one among them. Screenshots: the question about the folder,
# the question about the read-only file with "Yes to all", and the progress
# dialog deleting the rest without asking.
set -euo pipefail
host=$DEMO_BIN/shellhost.exe
desktop=shellext
poster() { run "$DEMO_BIN/trayposter.exe" -d "$desktop" "$@"; }
folder_question="Salvora: Confirm Folder ForceDelete"
file_question="Salvora: Confirm File ForceDelete"
progress="Salvora:  FORCE DELETE"

ctl reset
ctl drive D on 4096 2000 10 7
tree="$WINEPREFIX/drives/d/Old Projects"
rm -rf "$tree"
mkdir -p "$tree/Build/obj" "$tree/Reports"
for i in $(seq -w 1 200); do : >"$tree/Build/obj/module$i.o"; done
printf 'Old projects, kept for reference\r\n' >"$tree/README.TXT"
chmod a-w "$tree/README.TXT"                      # reads as read-only
for i in $(seq -w 1 6000); do : >"$tree/Reports/page$i.txt"; done
: >"$tree/Reports/.thumbs"                        # a dot file reads as hidden
echo "D:\\Old Projects: $(find "$tree" | wc -l) entries"

run "$host" invoke 0 'D:\Old Projects' &
job=$!
poster wait "#32770" "$folder_question"
sleep 0.5   # the X server draws what Wine flushed a moment ago
shot forcedelete-1-question
crop forcedelete-1-question 640 400
echo "-- Yes: the walk stops at the read-only file to ask"
poster post "#32770" "$folder_question" 0x111 6 0        # WM_COMMAND IDYES
poster wait "#32770" "$file_question"
sleep 0.5
shot forcedelete-2-readonly
crop forcedelete-2-readonly 640 400
echo "-- Yes to all: the rest goes without asking"
poster post "#32770" "$file_question" 0x111 12807 0      # WM_COMMAND "Yes to all"
poster wait "#32770" "$progress"
shot forcedelete-3-progress
crop forcedelete-3-progress 640 400
wait "$job" || true
if [[ -e $tree ]]; then
  echo "D:\\Old Projects is still there: $(find "$tree" | wc -l) entries" >&2
  exit 1
fi
echo "D:\\Old Projects is gone"
ctl log | tail -3
