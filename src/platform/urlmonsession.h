#pragma once
// The process's URL-moniker session: which MIME filter class handles which MIME type.

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/comptr.h"
#include "platform/comtypes.h"

namespace platform {

// Holds the MIME filters registered in this process (RegisterMimeFilter keeps a
// counted reference to the class factory). Safe from any thread. The session
// object lives for the whole process; CoInternetGetSession hands out
// references to it.
class CInternetSession final : public IInternetSession {
public:
    // A registered filter: the factory that makes filter objects and its class.
    struct Filter {
        ComPtr<IClassFactory> factory;
        CLSID clsid;
    };

    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // Registers `factory` for `mimeType` (compared without case). A type may hold
    // several filters; the latest registration wins. E_INVALIDARG for null arguments.
    HRESULT RegisterMimeFilter(IClassFactory* factory, REFCLSID clsid, LPCSTR_UTF8 mimeType) override;
    // Removes the registration of exactly this factory for `mimeType`;
    // E_INVALIDARG for null arguments, S_FALSE when there was none.
    HRESULT UnregisterMimeFilter(IClassFactory* factory, LPCSTR_UTF8 mimeType) override;

    // The filter that would handle `mimeType` now, if any (the latest registration).
    std::optional<Filter> FindMimeFilter(const std::string& mimeType);
    bool HasMimeFilter(const std::string& mimeType) { return FindMimeFilter(mimeType).has_value(); }

    // The process-wide session (no reference taken).
    static CInternetSession& Process();

private:
    struct Entry {
        std::string type;  // lower case
        Filter filter;
    };
    std::mutex m_mutex;
    std::vector<Entry> m_entries;
};

// The URL-moniker session of the process with a new reference. `mode` and
// `reserved` must be 0 (E_INVALIDARG otherwise); E_POINTER for a null `out`.
HRESULT CoInternetGetSession(DWORD mode, IInternetSession** out, DWORD reserved);

}  // namespace platform
