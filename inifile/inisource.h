// The bytes ReadFile found, which the write-back gives back wherever no edit
// reached. Private to the INI store: shared by its reader and its write-back.
#ifndef SALVORA_INIFILE_INISOURCE_H
#define SALVORA_INIFILE_INISOURCE_H

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

// BufferSize until a caller sets another; the block size of reads and
// writes when BufferSize is 0.
const uint16_t DefaultBufferSize = 8192;

// Whether entry is still the line the reader made of raw: CRs dropped, the
// first limit characters kept.
inline bool ReadsAs(const char* entry, const char* raw, size_t size, size_t limit)
{
    size_t n = 0;
    for (size_t i = 0; i < size && raw[i] != '\n'; i++) {
        if (raw[i] == '\r' || n >= limit)
            continue;
        if (entry[n] != raw[i])
            return false;
        n++;
    }
    return entry[n] == 0;
}

// The file as ReadFile found it. An entry the reader made stands for bytes
// it does not hold (CRs, the rest of a long line, its own line end); while
// the entry is the one read, the write-back gives those bytes back. Entries
// are known by their address, and by their text too, as a freed entry's
// address may come back for a new one.
struct TIniSource {
    struct Origin {
        uintptr_t entry;
        size_t start;
        size_t size;  // with the line end, when the line had one
    };

    char* bytes;
    size_t size;
    size_t head;      // a UTF-8 byte-order mark, kept before the first line
    size_t tail;      // from the first NUL on: past the reader's end, kept after the lines
    size_t limit;     // the line length the entries were cut to
    bool faithful;    // false: text an ANSI program cannot edit
    Origin* origins;  // sorted by entry
    int32_t count;

    TIniSource()
        : bytes(0), size(0), head(0), tail(0), limit(0), faithful(true), origins(0), count(0)
    {
    }
    ~TIniSource()
    {
        free(bytes);
        free(origins);
    }

    static int Compare(const void* a, const void* b)
    {
        uintptr_t x = static_cast<const Origin*>(a)->entry;
        uintptr_t y = static_cast<const Origin*>(b)->entry;
        return x < y ? -1 : x > y ? 1 : 0;
    }

    // The bytes an entry was read from, or null when it is not one read.
    const Origin* Find(const char* entry) const
    {
        if (!entry || count == 0)
            return 0;
        Origin key = {reinterpret_cast<uintptr_t>(entry), 0, 0};
        const Origin* found = static_cast<const Origin*>(
            bsearch(&key, origins, static_cast<size_t>(count), sizeof(Origin), Compare));
        if (found && !ReadsAs(entry, bytes + found->start, found->size, limit))
            return 0;
        return found;
    }

private:
    TIniSource(const TIniSource&);
    TIniSource& operator=(const TIniSource&);
};

#endif
