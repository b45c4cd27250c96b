// The exported functions of Pagora_txt.so, looked up by name by the program.

#include <cstdint>

#include "platform/registrystore.h"
#include "txtfilter/filterclassfactory.h"
#include "txtfilter/filterids.h"
#include "txtfilter/filterregistrar.h"
#include "txtfilter/libraryrefs.h"
#include "txtfilter/textswitch.h"

#define PAGORA_EXPORT extern "C" __attribute__((visibility("default")))

using namespace platform;
using namespace txtfilter;

PAGORA_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (clsid != CLSID_XMLMimeFilterPP) return CLASS_E_CLASSNOTAVAILABLE;
    CFilterClassFactory* factory = CFilterClassFactory::Get();
    HRESULT hr = factory->QueryInterface(iid, out);
    factory->Release();
    return hr;
}

PAGORA_EXPORT HRESULT DllCanUnloadNow() { return CLibraryRefs::CanUnload() ? S_OK : S_FALSE; }

PAGORA_EXPORT HRESULT DllRegisterServer() {
    return CFilterRegistrar::Register(RegistryStore::Instance(), CFilterRegistrar::OwnModulePath());
}

PAGORA_EXPORT HRESULT DllUnregisterServer() { return CFilterRegistrar::Unregister(RegistryStore::Instance()); }

// The switch is a static guarded by a static mutex, so it needs no set-up:
// IntiHookText and UnIntiHookText keep their names and results only.
PAGORA_EXPORT int32_t IntiHookText() { return 0; }

PAGORA_EXPORT int32_t UnIntiHookText() { return 0; }

PAGORA_EXPORT int32_t HookText(int32_t on) {
    CTextSwitch::Set(on);
    return 0;
}
