// The numbers a Trashcan flow shows: sizes in KByte, MByte or GByte and the
// removal percentage. Portable, so that the exact texts are unit-tested.
#ifndef SALVORA_TRASHCAN_SIZETEXT_H
#define SALVORA_TRASHCAN_SIZETEXT_H

#include <stddef.h>

// A Trashcan's byte sum in KByte, rounded up. Sums beyond what the signed
// 32-bit KByte cells hold are pinned at their largest value instead of
// wrapping into a negative size.
long KBytesFromBytes(unsigned long long bytes);

// Fixed-point text of value with the given decimals: a point as separator, no
// grouping, at least two characters wide (blank-padded), the last decimal
// rounded half up. out must hold at least 32 characters.
void FormatFixed(double value, int decimals, char* out, size_t outSize);

// The shell extension's size text of a KByte count: "????" for -1, "%lu KByte"
// up to 1024 (a negative size read as unsigned), "x.xx MByte" up to 1048576
// (the KByte count plus 1023, over 1024), else "x.xx GByte" (over 1048576).
void FormatSize(long sizeKB, char* out, size_t outSize, unsigned char decimals);

// The tray's size text: "%lu KByte" up to 1024, else the MByte text of
// FormatSize with two decimals whatever the size.
void FormatTraySize(long sizeKB, char* out, size_t outSize);

// The removal's percentage after file number done (1-based) of total,
// rounded to the nearest whole number; 0 when there is no total.
int RemovalPercent(long done, long total);

// True for the driver's index file "salvora.inf", in any letter case (ASCII
// letters only: the name is the driver's, not a user's).
bool IsIndexFileName(const char* name);

#endif
