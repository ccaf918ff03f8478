// The Japanese, Chinese and Korean editions of Windows 95 write paths in a
// double-byte code page (932, 936, 949, 950): a lead byte (0x81 and up)
// followed by a second byte that may be any byte from 0x40 on, '\' (0x5C)
// and '|' (0x7C) among them. A scan for separators, dots or letters must
// therefore step over whole characters. What a lead byte is comes from the
// system, or from whoever runs the portable code; on a single-byte code
// page no byte is one, and every byte is a character of its own.
#ifndef SALVORA_PATHS_LEADBYTES_H
#define SALVORA_PATHS_LEADBYTES_H

#include <stddef.h>
#include <stdint.h>

class LeadBytes {
public:
    // No lead byte: a single-byte code page.
    constexpr LeadBytes() : bits_() {}

    // Makes first..last lead bytes.
    void Add(unsigned char first, unsigned char last);

    bool IsLead(char c) const
    {
        unsigned char b = (unsigned char)c;
        return (bits_[b >> 5] >> (b & 31)) & 1;
    }

    // Whether any byte is a lead byte.
    bool Any() const;

    // The character after the one text points at (not at the terminator): a
    // lead byte with a byte after it makes one character of two, as
    // CharNextA counts; a lead byte just before the terminator stands alone.
    const char* Next(const char* text) const { return IsLead(*text) && text[1] ? text + 2 : text + 1; }

    // Whether byte index of text is the second byte of a double-byte
    // character. Read backwards: a byte that is no lead byte always ends a
    // character, so the run of lead bytes before index pairs up from there.
    bool IsSecondByte(const char* text, size_t index) const
    {
        size_t run = 0;
        while (run < index && IsLead(text[index - run - 1]))
            ++run;
        return run % 2 == 1;
    }

private:
    uint32_t bits_[8];
};

// The lead bytes of the ANSI code page the program runs under: read once
// with IsDBCSLeadByte on Windows; none in the native build, whose tests hand
// in the rule of the code page they try.
LeadBytes SystemLeadBytes();

#endif
