#include "platform/urlmonsession.h"

#include <algorithm>
#include <cctype>

namespace platform {

namespace {

std::string Lower(const char* s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

}  // namespace

// The session is process-wide and never destroyed, so its count only guards
// against misuse; it never deletes itself.
HRESULT CInternetSession::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IInternetSession) {
        *out = static_cast<IInternetSession*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG CInternetSession::AddRef() { return 2; }
ULONG CInternetSession::Release() { return 1; }

HRESULT CInternetSession::RegisterMimeFilter(IClassFactory* factory, REFCLSID clsid, LPCSTR_UTF8 mimeType) {
    if (!factory || !mimeType) return E_INVALIDARG;
    Entry e{Lower(mimeType), Filter{ComPtr<IClassFactory>(factory), clsid}};
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.push_back(std::move(e));
    return S_OK;
}

HRESULT CInternetSession::UnregisterMimeFilter(IClassFactory* factory, LPCSTR_UTF8 mimeType) {
    if (!factory || !mimeType) return E_INVALIDARG;
    const std::string type = Lower(mimeType);
    ComPtr<IClassFactory> dropped;  // released after the lock is let go
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) {
            if (it->type == type && it->filter.factory.Get() == factory) {
                dropped = std::move(it->filter.factory);
                m_entries.erase(std::next(it).base());
                break;
            }
        }
    }
    return dropped ? S_OK : S_FALSE;
}

std::optional<CInternetSession::Filter> CInternetSession::FindMimeFilter(const std::string& mimeType) {
    const std::string type = Lower(mimeType.c_str());
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it)
        if (it->type == type) return it->filter;
    return std::nullopt;
}

CInternetSession& CInternetSession::Process() {
    // Leaked on purpose: factories of unloaded libraries must not be released during exit.
    static CInternetSession* s_session = new CInternetSession;
    return *s_session;
}

HRESULT CoInternetGetSession(DWORD mode, IInternetSession** out, DWORD reserved) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (mode != 0 || reserved != 0) return E_INVALIDARG;
    IInternetSession* s = &CInternetSession::Process();
    s->AddRef();
    *out = s;
    return S_OK;
}

}  // namespace platform
