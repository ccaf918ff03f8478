#!/usr/bin/env bash
# Starts or ends a lasting Wine session for $WINEPREFIX:
#   scripts/wine-session.sh start   server kept alive, services (and the stand-in driver) loaded
#   scripts/wine-session.sh stop
# The first Wine process of a session starts services.exe and winedevice.exe,
# which inherit its standard handles and keep them open for the whole
# session: started here with /dev/null, they can never hold a caller's pipe
# (ctest's test discovery would otherwise wait on it until its timeout).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
: "${WINEPREFIX:?WINEPREFIX must name the prefix}"
export WINEPREFIX WINEDEBUG=${WINEDEBUG:--all}
case "${1:-}" in
  start)
    wineserver -p >/dev/null 2>&1 </dev/null
    /usr/lib/wine/wine64 cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
    ;;
  stop)
    wineserver -k >/dev/null 2>&1 </dev/null || true
    ;;
  *) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
