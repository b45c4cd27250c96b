#pragma once
// Writes and removes the registry entries of the filter class (self-registration).

#include <string>

#include "platform/comtypes.h"

namespace platform {
class RegistryStore;
}

namespace txtfilter {

class CFilterRegistrar {
public:
    // Writes the ProgID keys, the CLSID key (replaced whole) with its ProgIDs,
    // "Programmable", "InprocServer32" (= `libraryPath`, ThreadingModel
    // "Apartment") and "TypeLib", and the type library's keys. Stops at the
    // first write that fails and returns E_ACCESSDENIED; S_OK otherwise.
    static platform::HRESULT Register(platform::RegistryStore& store, const std::string& libraryPath);
    // Removes what Register wrote (the key "CLSID" itself stays). S_OK.
    static platform::HRESULT Unregister(platform::RegistryStore& store);

    // The full path of the library this code is linked into (dladdr), or the
    // program's path when it is linked into a program.
    static std::string OwnModulePath();
};

}  // namespace txtfilter
