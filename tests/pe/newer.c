/* One of each kind of instruction that a 386 with a 387 lacks, for the
   audit to refuse: P6, 486 and Pentium additions, MMX, SSE and SSE3. Never
   run. */
__asm__(".text\n"
        "cmove %eax, %ebx\n"
        "fcmovb %st(1), %st\n"
        "fcomi %st(1), %st\n"
        "fucomip %st(1), %st\n"
        "nopl 0(%eax)\n"
        "bswap %eax\n"
        "xadd %eax, (%ebx)\n"
        "cmpxchg %ebx, (%ecx)\n"
        "cpuid\n"
        "rdtsc\n"
        "cmpxchg8b (%esi)\n"
        "emms\n"
        "movd %eax, %mm0\n"
        "movaps %xmm0, %xmm1\n"
        "fisttpl (%eax)\n");
