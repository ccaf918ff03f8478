#include "trashcan/sizetext.h"

#include <math.h>
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

// out := the pieces one after the other, cut to outSize - 1 characters and
// terminated, as snprintf would: snprintf's formatter would be the largest
// piece of each Windows 95 module, and import a call Windows 95 lacks.
void Join(char* out, size_t outSize, const char* first, const char* second = "")
{
    if (outSize == 0)
        return;
    size_t n = 0;
    const char* parts[] = {first, second};
    for (const char* part : parts)
        for (; *part && n + 1 < outSize; part++)
            out[n++] = *part;
    out[n] = '\0';
}

// "%lu KByte" of a KByte count, negative ones read as unsigned.
void KByteText(long sizeKB, char* out, size_t outSize)
{
    char digits[24];
    *PutDigits((unsigned long)(unsigned int)sizeKB, 1, digits) = '\0';
    Join(out, outSize, digits, " KByte");
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
    Join(out, outSize, text[1] ? "" : " ", text);  // at least two wide
}

void FormatSize(long sizeKB, char* out, size_t outSize, unsigned char decimals)
{
    char number[48];
    if (sizeKB == -1) {
        Join(out, outSize, "????");
    } else if (sizeKB <= 1024) {
        KByteText(sizeKB, out, outSize);
    } else if (sizeKB <= 1048576) {
        FormatFixed(((double)sizeKB + 1023.0) / 1024.0, decimals, number, sizeof number);
        Join(out, outSize, number, " MByte");
    } else {
        FormatFixed((double)sizeKB / 1048576.0, decimals, number, sizeof number);
        Join(out, outSize, number, " GByte");
    }
}

void FormatTraySize(long sizeKB, char* out, size_t outSize)
{
    if (sizeKB <= 1024) {
        KByteText(sizeKB, out, outSize);
        return;
    }
    char number[48];
    FormatFixed(((double)sizeKB + 1023.0) / 1024.0, 2, number, sizeof number);
    Join(out, outSize, number, " MByte");
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
