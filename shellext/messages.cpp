#include "shellext/messages.h"

#include "modulepath/modulepath.h"
#include "shellext/server.h"

const char kShellExtCaption[] = "Salvora Shell Extension";

int MessageFromString(HWND owner, UINT stringId, const char* caption, UINT style)
{
    char text[kPathBufferSize];
    text[0] = '\0';
    LoadStringA(DllModule, stringId, text, sizeof text);
    return MessageBoxA(owner, text, caption, style);
}
