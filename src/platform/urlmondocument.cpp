#include "platform/urlmondocument.h"

#include <atomic>

#include "platform/urlmonsession.h"

namespace platform {

// The sink the source and the filter report to: it keeps the verified MIME
// type. It may outlive the document (a protocol may hold it), so it refers to
// the document only until the document detaches it.
class CUrlmonDocument::Sink final : public IInternetProtocolSink {
public:
    Sink(std::string* outType, std::string* encoding) : m_outType(outType), m_encoding(encoding) {}
    void Detach() {
        m_outType = nullptr;
        m_encoding = nullptr;
    }

    HRESULT QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IInternetProtocolSink) {
            *out = static_cast<IInternetProtocolSink*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG n = --m_refs;
        if (n == 0) delete this;
        return n;
    }
    HRESULT Switch(PROTOCOLDATA*) override { return S_OK; }
    HRESULT ReportProgress(ULONG status, LPCSTR_UTF8 text) override {
        if (status == BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE && text && *text && m_outType) *m_outType = text;
        if (status == BINDSTATUS_TEXTENCODING && text && m_encoding) *m_encoding = text;
        return S_OK;
    }
    HRESULT ReportData(DWORD, ULONG, ULONG) override { return S_OK; }
    HRESULT ReportResult(HRESULT, DWORD, LPCSTR_UTF8) override { return S_OK; }

private:
    ~Sink() = default;
    std::atomic<ULONG> m_refs{1};
    std::string* m_outType;
    std::string* m_encoding;
};

// Stands between the filter and the source and remembers how the source's
// last Read went, so the document can tell a filter that is still collecting
// output (pull again) from a source that has nothing yet (pending).
class CUrlmonDocument::SourceWatch final : public IInternetProtocol {
public:
    explicit SourceWatch(IInternetProtocol* source) : m_source(source) {}

    bool SourceStarved() const { return m_starved; }
    uint64_t Bytes() const { return m_bytes; }

    HRESULT QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IInternetProtocolRoot || iid == IID_IInternetProtocol) {
            *out = static_cast<IInternetProtocol*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG n = --m_refs;
        if (n == 0) delete this;
        return n;
    }
    HRESULT Start(LPCSTR_UTF8 url, IInternetProtocolSink* sink, IInternetBindInfo* info, DWORD flags,
                  uintptr_t reserved) override {
        return m_source->Start(url, sink, info, flags, reserved);
    }
    HRESULT Continue(PROTOCOLDATA* data) override { return m_source->Continue(data); }
    HRESULT Abort(HRESULT reason, DWORD options) override { return m_source->Abort(reason, options); }
    HRESULT Terminate(DWORD options) override { return m_source->Terminate(options); }
    HRESULT Suspend() override { return m_source->Suspend(); }
    HRESULT Resume() override { return m_source->Resume(); }
    HRESULT Read(void* buffer, ULONG size, ULONG* read) override {
        ULONG n = 0;
        HRESULT hr = m_source->Read(buffer, size, &n);
        if (read) *read = n;
        m_bytes += n;
        // A source that answers S_OK without bytes to a real request has nothing yet either.
        m_starved = hr == E_PENDING || (hr == S_OK && n == 0 && size > 0);
        return hr;
    }
    HRESULT Seek(int64_t move, DWORD origin, uint64_t* pos) override { return m_source->Seek(move, origin, pos); }
    HRESULT LockRequest(DWORD options) override { return m_source->LockRequest(options); }
    HRESULT UnlockRequest() override { return m_source->UnlockRequest(); }

private:
    ~SourceWatch() = default;
    std::atomic<ULONG> m_refs{1};
    ComPtr<IInternetProtocol> m_source;
    bool m_starved = false;
    uint64_t m_bytes = 0;
};

// What the document tells the filter it starts: the encoding the reader chose.
class CUrlmonDocument::BindInfo final : public IInternetBindInfo {
public:
    explicit BindInfo(std::string encoding) : m_encoding(std::move(encoding)) {}
    HRESULT QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IInternetBindInfo) {
            *out = static_cast<IInternetBindInfo*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG n = --m_refs;
        if (n == 0) delete this;
        return n;
    }
    LPCSTR_UTF8 BindString(ULONG kind) override {
        return kind == BINDSTRING_TEXTENCODING && !m_encoding.empty() ? m_encoding.c_str() : nullptr;
    }

private:
    ~BindInfo() = default;
    std::atomic<ULONG> m_refs{1};
    const std::string m_encoding;
};

CUrlmonDocument::CUrlmonDocument(IInternetProtocol* source, std::string mimeType, std::string url,
                                 CInternetSession* session)
    : m_source(source),
      m_session(session ? session : &CInternetSession::Process()),
      m_inType(std::move(mimeType)),
      m_url(std::move(url)),
      m_outType(m_inType) {}

CUrlmonDocument::~CUrlmonDocument() { Close(); }

HRESULT CUrlmonDocument::Open() {
    if (m_opened) return E_UNEXPECTED;
    m_opened = true;
    if (!m_source) {
        m_error = E_POINTER;
        return m_error;
    }
    m_sink = new Sink(&m_outType, &m_textEncoding);
    HRESULT hr = m_source->Start(m_url.c_str(), m_sink, nullptr, 0, 0);
    if (Failed(hr)) {
        m_error = hr;
        return hr;
    }

    std::optional<CInternetSession::Filter> found = m_session->FindMimeFilter(m_inType);
    if (!found) return S_OK;
    ComPtr<IInternetProtocol> filter;
    if (Failed(found->factory->CreateInstance(nullptr, IID_IInternetProtocol, filter.PutVoid())) || !filter)
        return S_OK;  // no filter object: the document passes through
    m_watch = new SourceWatch(m_source.Get());
    PROTOCOLFILTERDATA data{sizeof(PROTOCOLFILTERDATA), nullptr, m_watch, nullptr, 0};
    // A filter that needs the bind information after Start takes a reference.
    auto* bindInfo = new BindInfo(m_chosenEncoding);
    hr = filter->Start(m_url.c_str(), m_sink, bindInfo, PI_FILTER_MODE, reinterpret_cast<uintptr_t>(&data));
    bindInfo->Release();
    if (Failed(hr)) return S_OK;  // a refusing filter (switch off) leaves the text as it is
    m_filter = std::move(filter);
    // A read with no room lets the filter verify its output type before the caller replies.
    ULONG none = 0;
    char dummy;
    hr = m_filter->Read(&dummy, 0, &none);
    if (Failed(hr) && hr != E_PENDING) {
        m_error = hr;
        m_done = true;
    }
    return S_OK;
}

CUrlmonDocument::ReadResult CUrlmonDocument::Read(char* buffer, size_t size, size_t* got) {
    if (got) *got = 0;
    if (!got || (!buffer && size > 0)) {
        m_error = E_POINTER;
        return Error;
    }
    if (!m_opened || Failed(m_error)) {
        if (!Failed(m_error)) m_error = E_UNEXPECTED;
        return Error;
    }
    if (m_done) return Done;
    if (size > 0xFFFFFFFFu) size = 0xFFFFFFFFu;
    return m_filter ? ReadFromFilter(buffer, size, got) : ReadFromSource(buffer, size, got);
}

CUrlmonDocument::ReadResult CUrlmonDocument::ReadFromFilter(char* buffer, size_t size, size_t* got) {
    for (;;) {
        ULONG n = 0;
        const uint64_t before = m_watch->Bytes();
        HRESULT hr = m_filter->Read(buffer + *got, static_cast<ULONG>(size - *got), &n);
        *got += n;
        if (hr == S_FALSE) {
            m_done = true;
            return Done;
        }
        if (hr == S_OK) return More;
        if (hr != E_PENDING) {
            m_error = hr;
            return Error;
        }
        if (*got > 0) return More;
        // The filter holds back output until a block is full: pull more text
        // unless the source itself is waiting or the filter read nothing.
        if (m_watch->SourceStarved() || m_watch->Bytes() == before) return Pending;
    }
}

CUrlmonDocument::ReadResult CUrlmonDocument::ReadFromSource(char* buffer, size_t size, size_t* got) {
    ULONG n = 0;
    HRESULT hr = m_source->Read(buffer, static_cast<ULONG>(size), &n);
    *got = n;
    m_plainBytes += n;
    if (hr == S_FALSE) {
        m_done = true;
        return Done;
    }
    if (hr == S_OK) return (n == 0 && size > 0) ? Pending : More;
    if (hr == E_PENDING) return n ? More : Pending;
    m_error = hr;
    return Error;
}

void CUrlmonDocument::Close() {
    if (m_filter) {
        m_filter->Terminate(0);  // the filter passes Terminate on to the source
        m_filter.Reset();
    } else if (m_source && m_opened && m_sink) {
        m_source->Terminate(0);
    }
    m_source.Reset();
    if (m_watch) {
        m_plainBytes += m_watch->Bytes();
        m_watch->Release();
        m_watch = nullptr;
    }
    if (m_sink) {
        m_sink->Detach();
        m_sink->Release();
        m_sink = nullptr;
    }
}

HRESULT CUrlmonDocument::Pump(const std::function<bool(const char*, size_t)>& write,
                              const std::function<void()>& wait) {
    char buffer[16384];
    for (;;) {
        size_t got = 0;
        ReadResult r = Read(buffer, sizeof buffer, &got);
        if (got && !write(buffer, got)) return E_ABORT;
        switch (r) {
        case More: break;
        case Done: return S_OK;
        case Pending:
            if (!wait) return E_PENDING;
            wait();
            break;
        case Error: return m_error;
        }
    }
}

uint64_t CUrlmonDocument::SourceBytes() const { return m_plainBytes + (m_watch ? m_watch->Bytes() : 0); }

}  // namespace platform
