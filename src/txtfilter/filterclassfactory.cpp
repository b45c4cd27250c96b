#include "txtfilter/filterclassfactory.h"

#include <new>

#include "txtfilter/libraryrefs.h"
#include "txtfilter/xmlmimefilterpp.h"

using namespace platform;

namespace txtfilter {

CFilterClassFactory* CFilterClassFactory::Get() {
    // A static object rather than a heap one: it lives exactly as long as the
    // library, and unloading the library frees it.
    static CFilterClassFactory s_factory;
    s_factory.AddRef();
    return &s_factory;
}

HRESULT CFilterClassFactory::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

// The factory's references are counted as library locks: the library must
// not be unloaded while anybody holds its class object.
ULONG CFilterClassFactory::AddRef() {
    CLibraryRefs::Lock();
    return 2;
}

ULONG CFilterClassFactory::Release() {
    CLibraryRefs::Unlock();
    return 1;
}

HRESULT CFilterClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer && iid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
    XMLMimeFilterPP* filter = nullptr;
    try {
        filter = XMLMimeFilterPP::Create(outer);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    // The new object holds one reference on its inner unknown; the query adds
    // the caller's, and dropping ours leaves exactly that one.
    IUnknown* inner = filter->Inner();
    HRESULT hr = inner->QueryInterface(iid, out);
    inner->Release();
    return hr;
}

HRESULT CFilterClassFactory::LockServer(int lock) {
    if (lock)
        CLibraryRefs::Lock();
    else
        CLibraryRefs::Unlock();
    return S_OK;
}

}  // namespace txtfilter
