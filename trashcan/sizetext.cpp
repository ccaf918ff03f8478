#include "trashcan/sizetext.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

long KBytesFromBytes(unsigned long long bytes)
{
    unsigned long long kb = bytes / 1024 + (bytes % 1024 ? 1 : 0);
    return kb > 0x7FFFFFFFull ? 0x7FFFFFFFL : (long)kb;
}

namespace {

// Appends the decimal digits of v, at least minDigits of them.
char* PutDigits(unsigned long long v, int minDigits, char* p)
{
    char reversed[24];
    int n = 0;
    do {
        reversed[n++] = (char)('0' + v % 10);
        v /= 10;
    } while (v && n < (int)sizeof reversed);
    while (n < minDigits && n < (int)sizeof reversed)
        reversed[n++] = '0';
    while (n)
        *p++ = reversed[--n];
    return p;
}

}  // namespace

void FormatFixed(double value, int decimals, char* out, size_t outSize)
{
    if (decimals < 0)
        decimals = 0;
    if (decimals > 9)
        decimals = 9;
    unsigned long long scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    // Half up on the value as shown, not on its binary neighbour: printf's
    // own rounding would give 2.12 for 2.125.
    double scaled = floor(fabs(value) * (double)scale + 0.5);
    if (scaled > 1e18)
        scaled = 1e18;
    unsigned long long units = (unsigned long long)scaled;
    char text[48];
    char* p = text;
    if (value < 0 && units)
        *p++ = '-';
    p = PutDigits(units / scale, 1, p);
    if (decimals) {
        *p++ = '.';
        p = PutDigits(units % scale, decimals, p);
    }
    *p = '\0';
    snprintf(out, outSize, "%2s", text);
}

void FormatSize(long sizeKB, char* out, size_t outSize, unsigned char decimals)
{
    char number[48];
    if (sizeKB == -1) {
        snprintf(out, outSize, "????");
    } else if (sizeKB <= 1024) {
        snprintf(out, outSize, "%lu KByte", (unsigned long)(unsigned int)sizeKB);
    } else if (sizeKB <= 1048576) {
        FormatFixed(((double)sizeKB + 1023.0) / 1024.0, decimals, number, sizeof number);
        snprintf(out, outSize, "%s MByte", number);
    } else {
        FormatFixed((double)sizeKB / 1048576.0, decimals, number, sizeof number);
        snprintf(out, outSize, "%s GByte", number);
    }
}

void FormatTraySize(long sizeKB, char* out, size_t outSize)
{
    if (sizeKB <= 1024) {
        snprintf(out, outSize, "%lu KByte", (unsigned long)(unsigned int)sizeKB);
        return;
    }
    char number[48];
    FormatFixed(((double)sizeKB + 1023.0) / 1024.0, 2, number, sizeof number);
    snprintf(out, outSize, "%s MByte", number);
}

int RemovalPercent(long done, long total)
{
    if (total <= 0)
        return 0;
    return (int)floor((double)done / ((double)total * 0.01) + 0.5);
}

bool IsIndexFileName(const char* name)
{
    static const char index[] = "salvora.inf";
    for (size_t i = 0;; ++i) {
        char c = name[i];
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
        if (c != index[i])
            return false;
        if (c == '\0')
            return true;
    }
}
