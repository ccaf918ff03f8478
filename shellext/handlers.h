// The three handlers, each in its own namespace with its own classes, and
// the pieces their classes share.
#ifndef SALVORA_SHELLEXT_HANDLERS_H
#define SALVORA_SHELLEXT_HANDLERS_H

#include "shellext/comobject.h"
#include "shellext/decisions.h"
#include "shellext/selection.h"

// A new class factory of the handler, asked for riid.
namespace DriveHandler {
HRESULT GetClassObject(REFIID riid, void** ppv);
}
namespace FolderHandler {
HRESULT GetClassObject(REFIID riid, void** ppv);
}
namespace FileHandler {
HRESULT GetClassObject(REFIID riid, void** ppv);
}

// CreateInstance of every factory: an initialiser of the factory's own
// handler, and only for IShellExtInit.
template <class Initialiser>
HRESULT CreateInitialiser(Com::IUnknown* outer, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = NULL;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    if (!IsEqualGUID(riid, Com::kIShellExtInit))
        return E_NOINTERFACE;
    HRESULT result = CreateAndQuery<Initialiser>(riid, ppv);
    return SUCCEEDED(result) ? result : E_UNEXPECTED;
}

// The initialiser's answer to a companion interface: a new companion of the
// same handler for every request, when the last selection is accepted.
template <class Companion>
HRESULT HandOutCompanion(HandlerKind handler, CompanionKind companion, REFIID riid, void** ppv)
{
    *ppv = NULL;
    if (!AcceptsCompanion(handler, companion))
        return E_NOINTERFACE;
    return CreateAndQuery<Companion>(riid, ppv);
}

#endif
