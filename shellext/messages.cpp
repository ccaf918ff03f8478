#include "shellext/messages.h"

#include "paths/modulepath.h"
#include "shellext/server.h"

const char kShellExtCaption[] = "Salvora Shell Extension";

int MessageFromString(HWND owner, UINT stringId, const char* caption, UINT style)
{
    char text[kPathBufferSize];
    text[0] = '\0';
    LoadStringA(DllModule, stringId, text, sizeof text);
    return MessageBoxA(owner, text, caption, style);
}

void PathMessage(HWND owner, UINT stringId, const char* path)
{
    char format[kPathBufferSize] = "";
    LoadStringA(DllModule, stringId, format, sizeof format);
    char text[kMessageSize];
    const char* args[1] = {path};
    wvsprintfA(text, format, (va_list)args);
    MessageBeep(0);
    MessageBoxA(owner, text, kShellExtCaption, MB_OK | MB_ICONEXCLAMATION);
}
