#include "tools/shellhost/dropdata.h"

#include <shlobj.h>
#include <string.h>

HGLOBAL MakeDropList(const std::vector<std::string>& paths)
{
    // The list ends with an empty name; readers of an empty list look one
    // character past it.
    SIZE_T size = sizeof(DROPFILES) + 2;
    for (const std::string& p : paths)
        size += p.size() + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!memory)
        return NULL;
    char* base = static_cast<char*>(GlobalLock(memory));
    DROPFILES* header = reinterpret_cast<DROPFILES*>(base);
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    char* text = base + sizeof(DROPFILES);
    for (const std::string& p : paths) {
        memcpy(text, p.c_str(), p.size() + 1);
        text += p.size() + 1;
    }
    *text = '\0';
    GlobalUnlock(memory);
    return memory;
}

namespace {

// Owns one handed-out medium: ReleaseStgMedium releases this instead of
// freeing the memory, so the data object learns that it was released.
class MediumOwner : public IUnknown {
public:
    MediumOwner(DropDataObject* source, HGLOBAL memory) : source_(source), memory_(memory)
    {
        source_->AddRef();
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!IsEqualIID(riid, IID_IUnknown)) {
            *ppv = NULL;
            return E_NOINTERFACE;
        }
        *ppv = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG left = --refs_;
        if (left == 0) {
            GlobalFree(memory_);
            source_->MediumReleased();
            source_->Release();
            delete this;
        }
        return left;
    }

private:
    virtual ~MediumOwner() {}
    ULONG refs_ = 1;
    DropDataObject* source_;
    HGLOBAL memory_;
};

bool AsksForDropList(const FORMATETC* format)
{
    return format && format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) &&
           format->dwAspect == DVASPECT_CONTENT;
}

}  // namespace

DropDataObject::DropDataObject(const std::vector<std::string>& paths) : paths_(paths) {}

HRESULT STDMETHODCALLTYPE DropDataObject::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
        *ppv = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = NULL;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE DropDataObject::AddRef()
{
    return (ULONG)++refs_;
}

ULONG STDMETHODCALLTYPE DropDataObject::Release()
{
    LONG left = --refs_;
    if (left == 0)
        delete this;
    return (ULONG)left;
}

HRESULT STDMETHODCALLTYPE DropDataObject::GetData(FORMATETC* format, STGMEDIUM* medium)
{
    ++getDataCalls_;
    if (!medium)
        return E_INVALIDARG;
    memset(medium, 0, sizeof *medium);
    if (failGetData_)
        return E_FAIL;
    if (!AsksForDropList(format))
        return DV_E_FORMATETC;
    HGLOBAL memory = MakeDropList(paths_);
    if (!memory)
        return E_OUTOFMEMORY;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    if (trackRelease_) {
        medium->pUnkForRelease = new MediumOwner(this, memory);
        ++mediaOut_;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropDataObject::GetDataHere(FORMATETC*, STGMEDIUM*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE DropDataObject::QueryGetData(FORMATETC* format)
{
    return AsksForDropList(format) ? S_OK : DV_E_FORMATETC;
}

HRESULT STDMETHODCALLTYPE DropDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out)
{
    if (out)
        out->ptd = NULL;
    return DATA_S_SAMEFORMATETC;
}

HRESULT STDMETHODCALLTYPE DropDataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE DropDataObject::EnumFormatEtc(DWORD, IEnumFORMATETC** formats)
{
    if (formats)
        *formats = NULL;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE DropDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*)
{
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE DropDataObject::DUnadvise(DWORD)
{
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT STDMETHODCALLTYPE DropDataObject::EnumDAdvise(IEnumSTATDATA** advises)
{
    if (advises)
        *advises = NULL;
    return OLE_E_ADVISENOTSUPPORTED;
}
