#!/usr/bin/env bash
# Audits the Windows 95 deliverables as the loader of Windows 95 would see
# them: i386 code, subsystem and OS version 4.0, imports only from the system
# DLLs that every Windows 95 has (not the C library's msvcrt.dll, which came
# later with other software), and none of the well-known entry points that
# arrived later (a missing import stops the program from loading at all). Wide-character
# entry points load but, apart from a few, only fail on Windows 95. Each
# deliverable must also stay within its size budget, as built.
# usage: check-pe.sh OBJDUMP FILE...
set -uo pipefail
objdump=$1; shift

allowed_dlls=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll comctl32.dll ole32.dll "
# Exported by later systems only (Windows 98, NT 4 or 2000 onwards), or by
# Windows 95 only as a stub that fails (MoveFileExA).
newer=" IsDebuggerPresent InitializeCriticalSectionAndSpinCount TryEnterCriticalSection
  InterlockedCompareExchange InterlockedExchangeAdd GetTickCount64 GetFileSizeEx SetFilePointerEx
  GetModuleHandleExA GetModuleHandleExW GetDiskFreeSpaceExA GetDiskFreeSpaceExW SwitchToThread
  CreateWaitableTimerA SetWaitableTimer GetLongPathNameA GetSystemWindowsDirectoryA
  AddVectoredExceptionHandler RemoveVectoredExceptionHandler GetNativeSystemInfo
  SetThreadStackGuarantee FlsAlloc FlsGetValue FlsSetValue FlsFree InitOnceExecuteOnce
  GetSystemTimePreciseAsFileTime QueryPerformanceFrequency2 TrackMouseEvent SetLayeredWindowAttributes
  GetMonitorInfoA MonitorFromWindow AllowSetForegroundWindow LockSetForegroundWindow
  MoveFileExA ReplaceFileA CopyFileExA GetFileAttributesExA FindFirstFileExA "

# The wide-character calls Windows 95 implements (MSDN's "Windows 95 General
# Limitations" and Microsoft's article 210341): text drawing and measuring,
# message boxes and lstrlenW. Every other W entry point is a stub that fails.
# The converters MultiByteToWideChar and WideCharToMultiByte end in no W.
working_w=" ExtTextOutW GetCharWidthW GetTextExtentExPointW GetTextExtentPointW
  GetTextExtentPoint32W MessageBoxW MessageBoxExW TextOutW lstrlenW "

# Bytes, as the win32 preset builds them: tray applets of the time were
# 20-60 KB, and the extension grows with its flows.
budget() {
  case $(basename "$1") in
    slvrtray.exe) echo 65536 ;;
    slvrsext.dll) echo 131072 ;;
    *) echo 0 ;;
  esac
}

status=0
for f in "$@"; do
  out=$("$objdump" -p "$f") || { echo "FAIL $f: objdump failed"; status=1; continue; }
  problems=()
  grep -q 'file format pei-i386' <<<"$out" || problems+=("not an i386 PE file")
  for field in MajorSubsystemVersion:4 MinorSubsystemVersion:0 MajorOSystemVersion:4 MinorOSystemVersion:0; do
    name=${field%%:*} want=${field##*:}
    got=$(awk -v n="$name" '$1 == n { print $2 }' <<<"$out")
    [[ "$got" == "$want" ]] || problems+=("$name is '$got', wanted $want")
  done
  while read -r dll; do
    [[ "$allowed_dlls" == *" ${dll,,} "* ]] || problems+=("imports from $dll")
  done < <(awk '/DLL Name:/ { print $3 }' <<<"$out")
  while read -r dll fn; do
    [[ -z "$fn" ]] && continue
    [[ "$newer" == *" $fn "* ]] && problems+=("imports $fn, which Windows 95 lacks")
    if [[ "$fn" == *W && "$working_w" != *" $fn "* ]]; then
      problems+=("imports $fn from $dll, which Windows 95 has only as a failing stub")
    fi
  done < <(awk '/DLL Name:/ { dll = $3; next } dll != "" && NF == 3 && $1 ~ /^[0-9a-f]+$/ { print dll, $3 }' <<<"$out")
  size=$(stat -c %s "$f")
  limit=$(budget "$f")
  if [[ $limit -gt 0 && $size -gt $limit ]]; then
    problems+=("$size bytes, over its budget of $limit")
  fi
  if [[ ${#problems[@]} -eq 0 ]]; then
    echo "ok   $f ($size bytes${limit:+, budget $limit})"
  else
    status=1
    for p in "${problems[@]}"; do echo "FAIL $f: $p"; done
  fi
done
exit $status
