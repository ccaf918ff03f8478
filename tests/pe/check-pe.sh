#!/usr/bin/env bash
# Audits the Windows 95 deliverables as the loader of Windows 95 would see
# them: i386 code that a 386 with a 387 runs (and so a 486 and a Pentium),
# subsystem and OS version 4.0, imports only from the system
# DLLs that every Windows 95 has (not the C library's msvcrt.dll, which came
# later with other software), and none of the well-known entry points that
# arrived later (a missing import stops the program from loading at all). Wide-character
# entry points load but, apart from a few, only fail on Windows 95. Each
# deliverable must also stay within its size budget, as built, and its string
# table must hold every string its code names, none longer than the buffer
# the code loads it into.
# usage: check-pe.sh OBJDUMP FILE[=HEADER]...
#   HEADER: the resource header that names FILE's strings, where FILE is not
#   one of the deliverables
set -uo pipefail
objdump=$1; shift
windres=${objdump%objdump}windres
top=$(cd "$(dirname "$0")/../.." && pwd)

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

# The header that names a deliverable's strings: IDS_ names, and the menu
# commands (IDM_), which are the numbers of their own texts.
strings_header() {
  case $(basename "$1") in
    slvrtray.exe) echo "$top/tray/resource.h" ;;
    slvrsext.dll) echo "$top/shellext/resource.h" ;;
  esac
}

# How many characters the buffers of the LoadStringA calls hold, by the
# string's name; the first pattern that matches counts. The applet's menu
# texts and state lines (which its About box shows too) 50, its column
# headings 30, its messages 100 and its drive line 260; the extension's menu
# texts 50 and the rest, messages and paths, 260.
string_limits() {
  case $(basename "$1") in
    slvrtray.exe) echo "IDM_*:50 IDS_TRACKING_*:50 IDS_COLUMN_*:30 IDS_DRIVE_FORMAT:260 IDS_*:100" ;;
    *) echo "IDS_MENU_*:50 IDM_*:50 IDS_*:260" ;;
  esac
}

# Prints "NUMBER LENGTH" for each string of FILE's string tables, its
# length in characters once the resource script's escapes are read.
string_lengths() {
  "$windres" -i "$1" -O rc 2>/dev/null |
    awk '/^STRINGTABLE/ { table = 1; next }
         table && /^END/ { table = 0; next }
         table && /^ *[0-9]+, "/ {
           number = $1; sub(/,$/, "", number)
           s = substr($0, index($0, "\"") + 1); s = substr(s, 1, length(s) - 1)
           n = 0
           for (i = 1; i <= length(s); ++n) {
             c = substr(s, i, 1)
             if (c == "\"") { i += 2; continue }            # "" is one quote
             if (c != "\\") { ++i; continue }
             d = substr(s, i + 1, 1)
             if (d ~ /[0-7]/) { for (j = i + 1; j <= i + 3 && substr(s, j, 1) ~ /[0-7]/; ++j); i = j }
             else if (d == "x") { for (j = i + 2; substr(s, j, 1) ~ /[0-9a-fA-F]/; ++j); i = j }
             else i += 2
           }
           print number, n
         }'
}

# What a 386 with a 387 (or a 486, a Pentium) executes, as objdump names it
# in Intel syntax: each instruction of every executable section must be one
# of these, so that whatever came later (cmov, fcomi and fucomi, their pop
# and fcmov forms, the long nop, bswap, xadd and cmpxchg of the 486, cpuid,
# rdtsc and cmpxchg8b of the Pentium, MMX and SSE, and all that followed) is
# refused without being named. The prefixes come first; "(bad)" and ".byte"
# are data that no processor would run either (the constructor list the
# linker puts at the end of the code).
i386_prefixes=" rep repz repnz repe repne lock cs ds es fs gs ss data16 addr16 "
i386_instructions=" aaa aad aam aas adc add and arpl bound bsf bsr bt btc btr bts call lcall
  cbw cwde cwd cdq clc cld cli clts cmc cmp cmps cmpsb cmpsw cmpsd daa das dec div enter hlt
  idiv imul in inc ins insb insw insd int int3 into iret iretd jmp ljmp jcxz jecxz
  ja jae jb jbe je jne jg jge jl jle jo jno jp jnp js jns lahf lar lds lea leave les lfs lgdt
  lgs lidt lldt lmsw lods lodsb lodsw lodsd loop loope loopne lsl lss ltr mov movs movsb movsw
  movsd movsx movzx mul neg nop not or out outs outsb outsw outsd pop popa popad popf popfd push
  pusha pushad pushf pushfd rcl rcr ret retf lret rol ror sahf sal sar sbb scas scasb scasw scasd
  seta setae setb setbe sete setne setg setge setl setle seto setno setp setnp sets setns sgdt
  shl shld shr shrd sidt sldt smsw stc std sti stos stosb stosw stosd str sub test verr verw
  wait fwait xchg xlat xlatb xor
  f2xm1 fabs fadd faddp fbld fbstp fchs fclex fnclex fcom fcomp fcompp fcos fdecstp fdiv fdivp
  fdivr fdivrp ffree fiadd ficom ficomp fidiv fidivr fild fimul fincstp finit fninit fist fistp
  fisub fisubr fld fld1 fldcw fldenv fldl2e fldl2t fldlg2 fldln2 fldpi fldz fmul fmulp fnop
  fpatan fprem fprem1 fptan frndint frstor fsave fnsave fscale fsin fsincos fsqrt fst fstcw
  fnstcw fstenv fnstenv fstp fstsw fnstsw fsub fsubp fsubr fsubrp ftst fucom fucomp fucompp fxam
  fxch fxtract fyl2x fyl2xp1 (bad) .byte "

# Prints "COUNT MNEMONIC ADDRESS" for each kind of instruction in FILE's
# executable sections that a 386 with a 387 lacks (a nop with operands is
# the long nop; MMX and SSE registers give away the rest), then "sections N"
# with the number of sections disassembled.
newer_instructions() {
  "$objdump" -d --no-show-raw-insn -M intel "$1" |
    awk -v prefixes="$i386_prefixes" -v allowed="$i386_instructions" '
      BEGIN { gsub(/[ \n]+/, " ", allowed); allowed = " " allowed " " }
      /^Disassembly of section / { ++sections; next }
      $1 ~ /^[0-9a-f]+:$/ {
        n = split(substr($0, index($0, "\t") + 1), word, " ")
        i = 1
        while (i <= n && index(prefixes, " " word[i] " ")) ++i
        if (i > n) next
        op = word[i]; rest = ""
        for (j = i + 1; j <= n; ++j) rest = rest " " word[j]
        if (index(allowed, " " op " ") && !(op == "nop" && rest != "") &&
            rest !~ /(^|[^a-z])[xyz]?mm[0-9]/) next
        if (!(op in count)) first[op] = $1
        ++count[op]
      }
      END {
        for (op in count) print count[op], op, first[op]
        print "sections", sections + 0
      }'
}

status=0
for arg in "$@"; do
  f=${arg%%=*}
  header=$(strings_header "$f")
  [[ $arg == *=* ]] && header=${arg#*=}
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
  code_sections=$(grep -c ' CODE' < <("$objdump" -h "$f"))
  while read -r count op address; do
    if [[ $count == sections ]]; then
      [[ $op -ge 1 && $op -eq $code_sections ]] ||
        problems+=("$op of its $code_sections code sections disassembled")
    else
      problems+=("$op, which a 386 with a 387 lacks: $count, the first at ${address%:}")
    fi
  done < <(newer_instructions "$f" | sort -k2)
  if [[ -n $header ]]; then
    declare -A length=()
    while read -r number n; do length[$number]=$n; done < <(string_lengths "$f")
    read -ra limits <<<"$(string_limits "$f")"
    while read -r name number; do
      if [[ -z ${length[$number]+set} ]]; then
        problems+=("$name ($number) is not in its string table")
        continue
      fi
      for rule in "${limits[@]}"; do
        # shellcheck disable=SC2053
        [[ $name == ${rule%:*} ]] || continue
        ((length[$number] <= ${rule##*:})) ||
          problems+=("$name ($number) holds ${length[$number]} characters, more than the ${rule##*:} of its buffer")
        break
      done
    done < <(awk '$1 == "#define" && $2 ~ /^ID[SM]_/ && $3 ~ /^[0-9]+$/ { print $2, $3 }' "$header")
    unset length
  fi
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
