#include "paths/leadbytes.h"

void LeadBytes::Add(unsigned char first, unsigned char last)
{
    for (unsigned b = first; b <= last; ++b)
        bits_[b >> 5] |= 1u << (b & 31);
}

bool LeadBytes::Any() const
{
    for (uint32_t word : bits_)
        if (word)
            return true;
    return false;
}

#ifdef _WIN32

#include <windows.h>

#include <atomic>

namespace {

// Filled by the first thread that claims it, read by any once it is ready.
LeadBytes SystemRule;
std::atomic<bool> SystemRuleClaimed(false);
std::atomic<bool> SystemRuleReady(false);

}  // namespace

LeadBytes SystemLeadBytes()
{
    if (SystemRuleReady.load(std::memory_order_acquire))
        return SystemRule;
    // The ANSI code page stays what it is while Windows runs. A thread that
    // comes here while another fills the cell reads its own copy.
    LeadBytes rule;
    for (unsigned b = 0x80; b <= 0xFF; ++b)
        if (IsDBCSLeadByte((BYTE)b))
            rule.Add((unsigned char)b, (unsigned char)b);
    if (!SystemRuleClaimed.exchange(true)) {
        SystemRule = rule;
        SystemRuleReady.store(true, std::memory_order_release);
    }
    return rule;
}

#else

LeadBytes SystemLeadBytes()
{
    return LeadBytes();
}

#endif
