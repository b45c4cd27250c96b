#pragma once
// The class object of XMLMimeFilterPP: makes filter objects, keeps the library loaded.

#include "platform/comtypes.h"

namespace txtfilter {

// One shared instance per library, made on first use under a lock. Every
// reference to it and every LockServer(true) keeps DllCanUnloadNow at S_FALSE.
class CFilterClassFactory final : public platform::IClassFactory {
public:
    // The shared factory with a new reference.
    static CFilterClassFactory* Get();

    platform::HRESULT QueryInterface(platform::REFIID iid, void** out) override;
    platform::ULONG AddRef() override;
    platform::ULONG Release() override;
    // With an outer object only IUnknown may be asked for (CLASS_E_NOAGGREGATION otherwise).
    platform::HRESULT CreateInstance(platform::IUnknown* outer, platform::REFIID iid, void** out) override;
    platform::HRESULT LockServer(int lock) override;

private:
    CFilterClassFactory() = default;
    ~CFilterClassFactory() = default;
};

}  // namespace txtfilter
