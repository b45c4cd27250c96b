#pragma once
// Finding and loading in-process COM-style servers: GUID texts and
// CoGetClassObject through the registry store's CLSID entries and dlopen.

#include <optional>
#include <string>

#include "platform/comtypes.h"

namespace platform {

class RegistryStore;

// "{5C3E9A10-4B7D-4F21-8E6A-2D9B40C7A115}" (upper-case hex, with braces).
std::string GuidToString(const GUID& guid);
// Parses the braced form, any case; nullopt for anything else.
std::optional<GUID> GuidFromString(const std::string& text);

// Looks up HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32 (its default value
// is the library path), loads that library and asks its DllGetClassObject for
// `iid`. Only in-process servers exist here, so `context` must include
// CLSCTX_INPROC_SERVER; `serverInfo` must be null. Results: S_OK;
// E_POINTER for a null `out`; E_INVALIDARG for a bad context or server info;
// REGDB_E_CLASSNOTREG when the class is not registered; HRESULT_MOD_NOT_FOUND
// when the library cannot be loaded; CO_E_ERRORINDLL when it lacks the export;
// otherwise what DllGetClassObject answers. A loaded library stays loaded until
// CoFreeUnusedLibraries finds that it can be unloaded.
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* serverInfo, REFIID iid, void** out);
// The same with an explicit registry store (tests); the function above uses RegistryStore::Instance().
HRESULT CoGetClassObjectFrom(RegistryStore& store, REFCLSID clsid, DWORD context, void* serverInfo,
                             REFIID iid, void** out);

// Unloads every library loaded by CoGetClassObject whose DllCanUnloadNow answers S_OK.
void CoFreeUnusedLibraries();

}  // namespace platform
