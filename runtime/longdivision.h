// 64-bit division for 32-bit code, where the compiler calls a helper for
// every 64-bit / and %. The deliverables take these helpers from here
// rather than from the compiler's library, which is built for newer
// processors than the ones Windows 95 ran on.
#ifndef SALVORA_RUNTIME_LONGDIVISION_H
#define SALVORA_RUNTIME_LONGDIVISION_H

#include <stdint.h>

// The quotient, and the remainder into *remainder unless it is null. As
// the processor's own division: a divisor of 0 faults.
uint64_t DivideUnsigned64(uint64_t dividend, uint64_t divisor, uint64_t* remainder);

// As C divides: the quotient rounds toward zero and the remainder has the
// dividend's sign.
int64_t DivideSigned64(int64_t dividend, int64_t divisor, int64_t* remainder);

#endif
