// What every concrete COM object of the server shares: its reference count,
// its share of ObjectCount and the plain QueryInterface of an object that
// answers IUnknown and one interface.
#ifndef SALVORA_SHELLEXT_COMOBJECT_H
#define SALVORA_SHELLEXT_COMOBJECT_H

#include <new>
#include <stdint.h>

#include "shellext/comdecl.h"
#include "shellext/server.h"

// Derived is the concrete (final) class; Interface is the one COM interface
// it implements. The object holds nothing but the table and RefCount.
template <class Derived, class Interface>
class TComObject : public Interface {
public:
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        return (ULONG)++RefCount;
    }

    ULONG STDMETHODCALLTYPE Release() override
    {
        int32_t left = --RefCount;
        if (left == 0)
            delete static_cast<Derived*>(this);
        return (ULONG)left;
    }

protected:
    // The creator holds the first reference.
    TComObject() : RefCount(1) { InterlockedIncrement(&ObjectCount); }
    ~TComObject() { InterlockedDecrement(&ObjectCount); }

    HRESULT AnswerSelf(void** ppv)
    {
        *ppv = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }

    HRESULT AnswerOwn(REFIID riid, void** ppv, REFIID own)
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualGUID(riid, Com::kIUnknown) || IsEqualGUID(riid, own))
            return AnswerSelf(ppv);
        *ppv = NULL;
        return E_NOINTERFACE;
    }

    int32_t RefCount;
};

// Creates an object, asks it for riid and lets go of the creator's
// reference, so that the caller holds the only one (and a refused interface
// destroys the object at once). E_UNEXPECTED, with *ppv untouched, when
// there is no memory for it.
template <class Object>
HRESULT CreateAndQuery(REFIID riid, void** ppv)
{
    Object* object = new (std::nothrow) Object;
    if (!object)
        return E_UNEXPECTED;
    HRESULT result = object->QueryInterface(riid, ppv);
    object->Release();
    return result;
}

#endif
