#!/usr/bin/env bash
# Everything from a clean clone: packages, the three builds, the Wine prefix
# with the stand-in driver, then every lane through ctest:
#   scripts/test.sh        native tests, the win32 audit, the Wine tests of the
#                          x86-64 build and of the i686 build (the deliverables
#                          themselves, under 32-bit Wine and CPU emulation)
#   scripts/test.sh i686   the i686 lane alone
# A machine that cannot run the i686 lane says why and runs the others.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

lanes=${1:-all}
case "$lanes" in
  all|i686) ;;
  *) echo "usage: $0 [i686]" >&2; exit 2 ;;
esac

status=0
scripts/bootstrap.sh || exit 1
i686=yes
scripts/bootstrap.sh i686
case $? in
  0) ;;
  3) i686=no ;;
  *) i686=no; status=1 ;;
esac
if [[ $lanes == i686 ]]; then
  [[ $i686 == yes ]] || exit 1
  scripts/build.sh win32 win64 || exit 1
else
  scripts/build.sh native win32 win64 || exit 1
fi
scripts/wine-env.sh test || exit 1

if [[ $lanes == all ]]; then
  echo "== native tests"
  ctest --preset native || status=1
fi
# Straight from the scripts, in either lane and on a machine without the
# i686 lane: ctest in build/win32 would first list the i686 lane's tests,
# which needs 32-bit Wine and a session.
echo "== win32 audit"
tests/pe/check-pe.sh i686-w64-mingw32-objdump build/win32/bin/slvrtray.exe \
  build/win32/bin/slvrsext.dll || status=1
tests/pe/refuses-newer.sh i686-w64-mingw32-objdump build/win32/bin/libnewer_instructions.dll || status=1
# The release package, and the same one with the programs this machine runs
# natively for the x86-64 lane's install test.
echo "== release package"
{ scripts/package.sh win32 && scripts/package.sh win64; } || status=1

# One Wine session for the whole run: each test process then starts in a
# fraction of a second instead of waiting for the server to come and go.
export WINEPREFIX=$top/build/wine/test WINEDEBUG=-all
scripts/wine-session.sh start
trap 'scripts/wine-session.sh stop' EXIT
# A window for the whole session keeps Wine's desktop process (and so no
# ctest pipe) alive between the GUI tests.
scripts/wine-run build/win64/bin/sessionkeeper.exe >/dev/null 2>&1 </dev/null &
if [[ $lanes == all ]]; then
  echo "== Wine tests (x86-64)"
  ctest --preset win64 || status=1
fi
if [[ $i686 == yes ]]; then
  echo "== Wine tests (i686)"
  ctest --preset i686 || status=1
else
  echo "== Wine tests (i686): skipped, see above"
fi
exit $status
