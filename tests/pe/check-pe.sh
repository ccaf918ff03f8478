#!/usr/bin/env bash
# Audits the Windows 95 deliverables as the loader of Windows 95 would see
# them: i386 code, subsystem and OS version 4.0, imports only from DLLs that
# Windows 95 has, and none of the well-known entry points that arrived later
# (a missing import stops the program from loading at all).
# usage: check-pe.sh OBJDUMP FILE...
set -uo pipefail
objdump=$1; shift

allowed_dlls=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll comctl32.dll ole32.dll oleaut32.dll msvcrt.dll "
# Exported by later systems only (Windows 98, NT 4 or 2000 onwards).
newer=" IsDebuggerPresent InitializeCriticalSectionAndSpinCount TryEnterCriticalSection
  InterlockedCompareExchange InterlockedExchangeAdd GetTickCount64 GetFileSizeEx SetFilePointerEx
  GetModuleHandleExA GetModuleHandleExW GetDiskFreeSpaceExA GetDiskFreeSpaceExW SwitchToThread
  CreateWaitableTimerA SetWaitableTimer GetLongPathNameA GetSystemWindowsDirectoryA
  AddVectoredExceptionHandler RemoveVectoredExceptionHandler GetNativeSystemInfo
  SetThreadStackGuarantee FlsAlloc FlsGetValue FlsSetValue FlsFree InitOnceExecuteOnce
  GetSystemTimePreciseAsFileTime QueryPerformanceFrequency2 TrackMouseEvent SetLayeredWindowAttributes
  GetMonitorInfoA MonitorFromWindow AllowSetForegroundWindow LockSetForegroundWindow "

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
  while read -r fn; do
    [[ -n "$fn" && "$newer" == *" $fn "* ]] && problems+=("imports $fn, which Windows 95 lacks")
  done < <(awk '/DLL Name:/ { inimp = 1; next } inimp && NF == 3 && $1 ~ /^[0-9a-f]+$/ { print $3 } /^$/ { }' <<<"$out")
  if [[ ${#problems[@]} -eq 0 ]]; then
    echo "ok   $f"
  else
    status=1
    for p in "${problems[@]}"; do echo "FAIL $f: $p"; done
  fi
done
exit $status
