#!/usr/bin/env bash
# The audit refuses every instruction of newer.c, each by its name, and the
# strings of newer.rc that newer.h names.
# usage: refuses-newer.sh OBJDUMP FILE
set -uo pipefail
out=$("$(dirname "$0")/check-pe.sh" "$1" "$2=$(dirname "$0")/newer.h") && { echo "the audit passed $2"; exit 1; }
status=0
for op in cmove fcmovb fcomi fucomip nop bswap xadd cmpxchg cpuid rdtsc cmpxchg8b emms movd movaps fisttp; do
  grep -q ": $op, which a 386 with a 387 lacks" <<<"$out" || { echo "not refused: $op"; status=1; }
done
for problem in "IDS_NEWER_MISSING (1) is not in its string table" \
               "IDS_NEWER_LONG (2) holds 261 characters, more than the 260 of its buffer" \
               "IDS_MENU_NEWER (3) holds 52 characters, more than the 50 of its buffer"; do
  grep -qF ": $problem" <<<"$out" || { echo "not refused: $problem"; status=1; }
done
[[ $status == 0 ]] || echo "$out"
exit $status
