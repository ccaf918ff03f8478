// The rule of code page 932 (Shift-JIS, the Japanese edition's ANSI code
// page), which the native tests hand the portable code to read paths as
// Japanese Windows 95 does: lead bytes 0x81-0x9F and 0xE0-0xFC. Among the
// second bytes, from 0x40 up, are '\' (0x5C) and '|' (0x7C). The Wine tests
// that run under code page 932 name their files with the same characters.
#ifndef SALVORA_TESTS_CODEPAGE932_H
#define SALVORA_TESTS_CODEPAGE932_H

#include "paths/leadbytes.h"

inline LeadBytes CodePage932()
{
    LeadBytes rule;
    rule.Add(0x81, 0x9F);
    rule.Add(0xE0, 0xFC);
    return rule;
}

// Names of two bytes each whose second byte is a separator or a look-alike.
#define SJIS_HYO "\x95\x5c"        // a kanji, second byte '\'
#define SJIS_SO "\x83\x5c"         // katakana, second byte '\'
#define SJIS_PIPE "\x83\x7c"       // katakana, second byte '|'
#define SJIS_DOT "\x81\x44"        // full-width full stop, no '.'
#define SJIS_BLANK "\x81\x40"      // full-width blank, no ' '

#endif
