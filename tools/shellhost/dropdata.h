// The data object the shell hands to IShellExtInit::Initialize: the
// selected paths as a CF_HDROP list in global memory (a DROPFILES header and
// the ANSI paths, each NUL-terminated, with an empty one at the end).
// Shared by the shell host and the extension's Wine tests.
#ifndef SALVORA_TOOLS_SHELLHOST_DROPDATA_H
#define SALVORA_TOOLS_SHELLHOST_DROPDATA_H

#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

// A CF_HDROP list of the paths, of any length, in new global memory.
HGLOBAL MakeDropList(const std::vector<std::string>& paths);

class DropDataObject : public IDataObject {
public:
    // Starts with one reference, the creator's.
    explicit DropDataObject(const std::vector<std::string>& paths);

    // Test controls: GetData fails; the medium names an owner (its
    // pUnkForRelease) that counts whether the receiver released it.
    void FailGetData(bool fail) { failGetData_ = fail; }
    void TrackRelease(bool track) { trackRelease_ = track; }
    int GetDataCalls() const { return getDataCalls_; }
    int MediaNotReleased() const { return mediaOut_; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDataObject: only GetData (and QueryGetData) of CF_HDROP in global
    // memory; the rest is what a read-only drop source answers.
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                      DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** advises) override;

    void MediumReleased() { --mediaOut_; }

private:
    virtual ~DropDataObject() {}

    LONG refs_ = 1;
    std::vector<std::string> paths_;
    bool failGetData_ = false;
    bool trackRelease_ = false;
    int getDataCalls_ = 0;
    int mediaOut_ = 0;
};

#endif
