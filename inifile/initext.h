// Character rules shared by the INI reader and its typed accessors.
#ifndef SALVORA_INIFILE_INITEXT_H
#define SALVORA_INIFILE_INITEXT_H

#include <stddef.h>

// Null names and values are taken as "".
inline const char* IniStr(const char* text)
{
    return text ? text : "";
}

inline bool IniIsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Folds ASCII letters only: the file is single-byte text of no known code page.
inline char IniUpCase(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether the first n characters of a and b agree, folding case. b holds at
// least n characters; a may be shorter, and then they differ.
inline bool IniSameText(const char* a, const char* b, size_t n)
{
    for (size_t i = 0; i < n; i++)
        if (!a[i] || IniUpCase(a[i]) != IniUpCase(b[i]))
            return false;
    return true;
}

// Compares name with the front of text, folding case; returns where the
// match ends in text, or null.
inline const char* IniMatchName(const char* text, const char* name)
{
    for (; *name; name++, text++)
        if (!*text || IniUpCase(*text) != IniUpCase(*name))
            return 0;
    return text;
}

#endif
