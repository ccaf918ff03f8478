#!/usr/bin/env bash
# Everything from a clean clone: packages, the three builds, the Wine prefix
# with the stand-in driver, then every native and Wine test through ctest.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/bootstrap.sh || exit 1
scripts/build.sh native win32 win64 || exit 1
scripts/wine-env.sh test || exit 1

status=0
echo "== native tests"
ctest --preset native || status=1
echo "== win32 audit"
ctest --test-dir build/win32 --output-on-failure || status=1
# The release package, and the same one with the programs this machine runs
# for the install test.
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
echo "== Wine tests"
ctest --preset win64 || status=1
exit $status
