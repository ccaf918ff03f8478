#!/usr/bin/env bash
# Installs the release package with SALVORA.INF in a Wine prefix of its own,
# checks what a user would (the shell finds all three handlers through the
# registry alone, the logon entry starts the tray), removes it again with the
# uninstall section, and compares every file and registry key before and
# after. Lane i686 installs the release package itself (scripts/package.sh)
# and drives it with the 32-bit shell host and the 32-bit system programs;
# lane win64 the same INF with the programs that run natively here
# (scripts/package.sh win64).
#   install_test.sh TOP i686|win64
set -uo pipefail
top=$1
case ${2:-win64} in
  i686) pkg=$top/build/dist/salvora host=$top/build/win32/bin/shellhost.exe sys='C:\windows\syswow64' ;;
  *) pkg=$top/build/dist-win64/salvora host=$top/build/win64/bin/shellhost.exe sys='C:\windows\system32' ;;
esac
# The stand-in driver and the tools that steer it are 64-bit in both lanes.
bin=$top/build/win64/bin
prefix=$top/build/wine/install-${2:-win64}
work=$prefix.check
fail() { echo "FAIL: $*"; exit 1; }
[[ -f $pkg/SALVORA.INF ]] || fail "no package in $pkg (scripts/package.sh win64)"

rm -rf "$prefix" "$work"
mkdir -p "$work"
SALVORA_WINEPREFIX=$prefix SALVORA_BIN=$bin "$top/scripts/wine-env.sh" test >/dev/null || fail "no prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
trap 'wineserver -k 2>/dev/null' EXIT

# Files of the C: drive and the registry as saved by a session that ended,
# without the times Wine writes beside each key.
snapshot() {
  wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  (cd "$prefix/drive_c" && find . -type f | LC_ALL=C sort) > "$work/$1.files"
  for hive in system user; do
    sed -e 's/^\(\[.*\]\) [0-9]*$/\1/' -e '/^#time=/d' "$prefix/$hive.reg" | sed "s/^/$hive: /"
  done | LC_ALL=C sort > "$work/$1.reg"
}
snapshot before

mkdir -p "$prefix/drive_c/setup"
cp "$pkg"/* "$prefix/drive_c/setup/"
wineserver -p
$wine "$sys\\rundll32.exe" setupapi.dll,InstallHinfSection DefaultInstall 132 'C:\setup\SALVORA.INF' ||
  fail "the install section failed"

installed='C:\PROGRA~1\SALVORA'
for f in slvrtray.exe slvrsext.dll; do
  [[ -n $($wine cmd.exe /c "if exist $installed\\$f echo yes" 2>/dev/null) ]] || fail "$f not installed"
done
[[ -n $($wine cmd.exe /c 'if exist C:\windows\inf\salvora.inf echo yes' 2>/dev/null) ]] ||
  fail "the INF was not kept for the removal"

# The shell's way to the extension: the registry alone.
$wine "$bin/vsalvoractl.exe" reset >/dev/null && $wine "$bin/vsalvoractl.exe" drive D on >/dev/null || fail "no stand-in driver"
mkdir -p "$prefix/drives/d/folder" && : > "$prefix/drives/d/file.txt"
for item in 'D:\ &Clear Trashcan' 'D:\folder &ForceDelete' 'D:\file.txt &ForceDelete'; do
  path=${item%% *} text=${item#* }
  out=$($wine "$host" menu "$path" 2>&1 | tr -d '\r')
  grep -qF -- "$text" <<<"$out" || fail "no handler for $path through the registry: $out"
done

# The logon entry starts the tray; its window then exists until it is closed.
run=$($wine "$sys\\reg.exe" query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' /v 'Salvora Tray' 2>/dev/null |
      tr -d '\r' | sed -n 's/.*REG_SZ *//p')
[[ $run == *slvrtray.exe ]] || fail "no logon entry: '$run'"
$wine "$run" </dev/null >/dev/null 2>&1 &
$wine "$bin/trayposter.exe" post SLVRTrayWindow - 16 0 0 >/dev/null || fail "the logon entry started no tray"
wait

# "Add/Remove Programs" runs UninstallString through Windows 95's setupx;
# Wine has no 16-bit setup engine, so the same section runs through setupapi.
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Salvora'
uninstall=$($wine "$sys\\reg.exe" query "$key" /v UninstallString 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
[[ $uninstall == 'RunDll setupx.dll,InstallHinfSection DefaultUninstall 4 salvora.inf' ]] ||
  fail "uninstall entry: '$uninstall'"
$wine "$sys\\rundll32.exe" setupapi.dll,InstallHinfSection DefaultUninstall 132 'C:\windows\inf\salvora.inf' ||
  fail "the uninstall section failed"
rm -rf "$prefix/drive_c/setup" "$prefix/drives/d/folder" "$prefix/drives/d/file.txt"
snapshot after

# The handler lists under Drive, Directory and * are the shell's: they stay,
# empty, where the install was the first to make them.
# Wine itself stamps its device keys with the session's date.
shell_lists='\\\\shellex(\\\\ContextMenuHandlers|\\\\PropertySheetHandlers)?\]$'
wine_own='"DriverDateData"='
changes() { LC_ALL=C comm "$1" "$work/before.reg" "$work/after.reg" | grep -vE ": $|$wine_own"; }
added=$(changes -13 | grep -vE "$shell_lists")
removed=$(changes -23)
files=$(diff "$work/before.files" "$work/after.files")
echo "registry lines added: ${added:-none}"
echo "registry lines removed: ${removed:-none}"
echo "files changed: ${files:-none}"
[[ -z $added$removed$files ]] || fail "install and removal left traces"
echo "PASS: installed, found, started and removed without a trace"
