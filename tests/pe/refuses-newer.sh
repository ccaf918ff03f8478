#!/usr/bin/env bash
# The audit refuses every instruction of newer.c, each by its name.
# usage: refuses-newer.sh OBJDUMP FILE
set -uo pipefail
out=$("$(dirname "$0")/check-pe.sh" "$1" "$2") && { echo "the audit passed $2"; exit 1; }
status=0
for op in cmove fcmovb fcomi fucomip nop bswap xadd cmpxchg cpuid rdtsc cmpxchg8b emms movd movaps fisttp; do
  grep -q ": $op, which a 386 with a 387 lacks" <<<"$out" || { echo "not refused: $op"; status=1; }
done
[[ $status == 0 ]] || echo "$out"
exit $status
