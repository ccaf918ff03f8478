# The stand-in driver as the product will find it: loaded at session start,
# reachable as \\.\VSALVORA, controlled by vsalvoractl.
set -euo pipefail
ctl reset
ctl drive D on 4096 2000 10 7
echo "-- driver after start-up, drive D: protected"
ctl status
ctl state off
echo "-- tracking switched off through the control tool"
ctl status
ctl state on
