// Message boxes with texts from the DLL's string table.
#ifndef SALVORA_SHELLEXT_MESSAGES_H
#define SALVORA_SHELLEXT_MESSAGES_H

#include <windows.h>

// A message formatted with wvsprintfA, which writes at most 1,024
// characters: the longest path fits into every one.
const int kMessageSize = 1025;

// The caption of the extension's messages.
extern const char kShellExtCaption[];

// Shows string stringId with MessageBoxA; returns the button pressed.
int MessageFromString(HWND owner, UINT stringId, const char* caption, UINT style);

// A beep, then the extension's exclamation message: string stringId, a
// wvsprintfA format, filled in with one path.
void PathMessage(HWND owner, UINT stringId, const char* path);

#endif
