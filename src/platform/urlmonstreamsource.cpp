#include "platform/urlmonstreamsource.h"

#include <algorithm>
#include <cstring>

namespace platform {

ComPtr<CStreamSourceProtocol> CStreamSourceProtocol::Create() {
    return ComPtr<CStreamSourceProtocol>::Adopt(new CStreamSourceProtocol);
}

void CStreamSourceProtocol::Append(std::string_view bytes) {
    std::function<void()> callback;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_finished || m_aborted) return;
        if (!bytes.empty()) m_chunks.emplace_back(bytes);
        callback = m_callback;
    }
    if (callback) callback();
}

void CStreamSourceProtocol::Finish(HRESULT result) {
    std::function<void()> callback;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_finished) return;
        m_finished = true;
        m_result = result;
        callback = m_callback;
    }
    if (callback) callback();
}

void CStreamSourceProtocol::SetDataCallback(std::function<void()> callback) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_callback = std::move(callback);
}

HRESULT CStreamSourceProtocol::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IInternetProtocolRoot || iid == IID_IInternetProtocol) {
        *out = static_cast<IInternetProtocol*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG CStreamSourceProtocol::AddRef() { return ++m_refs; }

ULONG CStreamSourceProtocol::Release() {
    ULONG n = --m_refs;
    if (n == 0) delete this;
    return n;
}

HRESULT CStreamSourceProtocol::Start(LPCSTR_UTF8, IInternetProtocolSink* sink, IInternetBindInfo*, DWORD,
                                     uintptr_t) {
    m_sink = ComPtr<IInternetProtocolSink>(sink);
    return S_OK;
}

HRESULT CStreamSourceProtocol::Continue(PROTOCOLDATA*) { return S_OK; }

HRESULT CStreamSourceProtocol::Abort(HRESULT, DWORD) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_aborted = true;
    m_chunks.clear();
    return S_OK;
}

HRESULT CStreamSourceProtocol::Terminate(DWORD) {
    m_sink.Reset();
    return S_OK;
}

HRESULT CStreamSourceProtocol::Suspend() { return E_NOTIMPL; }
HRESULT CStreamSourceProtocol::Resume() { return E_NOTIMPL; }

HRESULT CStreamSourceProtocol::Read(void* buffer, ULONG size, ULONG* read) {
    if (read) *read = 0;
    if (!read || (!buffer && size > 0)) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_aborted) return E_ABORT;
    ULONG copied = 0;
    char* out = static_cast<char*>(buffer);
    while (copied < size && !m_chunks.empty()) {
        const std::string& front = m_chunks.front();
        size_t n = std::min<size_t>(size - copied, front.size() - m_offset);
        std::memcpy(out + copied, front.data() + m_offset, n);
        copied += static_cast<ULONG>(n);
        m_offset += n;
        if (m_offset == front.size()) {
            m_chunks.pop_front();
            m_offset = 0;
        }
    }
    *read = copied;
    if (!m_chunks.empty()) return S_OK;
    if (m_finished) {
        if (Failed(m_result)) return copied ? S_OK : m_result;
        return S_FALSE;
    }
    return copied ? S_OK : E_PENDING;
}

HRESULT CStreamSourceProtocol::Seek(int64_t, DWORD, uint64_t*) { return E_NOTIMPL; }
HRESULT CStreamSourceProtocol::LockRequest(DWORD) { return S_OK; }
HRESULT CStreamSourceProtocol::UnlockRequest() { return S_OK; }

}  // namespace platform
