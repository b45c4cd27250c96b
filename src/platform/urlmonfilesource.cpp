#include "platform/urlmonfilesource.h"

#include <sys/stat.h>

#include <cerrno>

namespace platform {

namespace {

// "file:///a%20b.txt" -> "/a b.txt"; a plain path is returned as it is.
std::string PathFromUrl(const std::string& url) {
    if (url.compare(0, 7, "file://") != 0) return url;
    std::string rest = url.substr(7);
    if (rest.compare(0, 9, "localhost") == 0) rest.erase(0, 9);
    std::string path;
    for (size_t i = 0; i < rest.size(); ++i) {
        auto hex = [](char c) {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            if (c >= 'A' && c <= 'F') return c - 'A' + 10;
            return -1;
        };
        if (rest[i] == '%' && i + 2 < rest.size() && hex(rest[i + 1]) >= 0 && hex(rest[i + 2]) >= 0) {
            path += static_cast<char>(hex(rest[i + 1]) * 16 + hex(rest[i + 2]));
            i += 2;
        } else {
            path += rest[i];
        }
    }
    return path;
}

}  // namespace

ComPtr<CFileSourceProtocol> CFileSourceProtocol::Create() {
    return ComPtr<CFileSourceProtocol>::Adopt(new CFileSourceProtocol);
}

CFileSourceProtocol::~CFileSourceProtocol() { Close(); }

void CFileSourceProtocol::Close() {
    if (m_file) std::fclose(m_file);
    m_file = nullptr;
}

HRESULT CFileSourceProtocol::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IInternetProtocolRoot || iid == IID_IInternetProtocol) {
        *out = static_cast<IInternetProtocol*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG CFileSourceProtocol::AddRef() { return ++m_refs; }

ULONG CFileSourceProtocol::Release() {
    ULONG n = --m_refs;
    if (n == 0) delete this;
    return n;
}

HRESULT CFileSourceProtocol::Start(LPCSTR_UTF8 url, IInternetProtocolSink* sink, IInternetBindInfo*, DWORD,
                                   uintptr_t) {
    if (!url) return E_INVALIDARG;
    if (m_file) return E_UNEXPECTED;
    const std::string path = PathFromUrl(url);
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return INET_E_RESOURCE_NOT_FOUND;
    m_file = std::fopen(path.c_str(), "rb");
    if (!m_file) return INET_E_RESOURCE_NOT_FOUND;
    m_size = static_cast<uint64_t>(st.st_size);
    m_position = 0;
    m_ended = false;
    m_sink = ComPtr<IInternetProtocolSink>(sink);
    if (m_sink) {
        const ULONG size = m_size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<ULONG>(m_size);
        m_sink->ReportData(BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION | BSCF_DATAFULLYAVAILABLE,
                           size, size);
    }
    return S_OK;
}

HRESULT CFileSourceProtocol::Continue(PROTOCOLDATA*) { return S_OK; }

HRESULT CFileSourceProtocol::Abort(HRESULT, DWORD) {
    Close();
    m_aborted = true;
    return S_OK;
}

HRESULT CFileSourceProtocol::Terminate(DWORD) {
    m_sink.Reset();
    return S_OK;
}

HRESULT CFileSourceProtocol::Suspend() { return E_NOTIMPL; }
HRESULT CFileSourceProtocol::Resume() { return E_NOTIMPL; }

HRESULT CFileSourceProtocol::Read(void* buffer, ULONG size, ULONG* read) {
    if (read) *read = 0;
    if (!read || (!buffer && size > 0)) return E_POINTER;
    if (m_aborted) return E_ABORT;
    if (m_ended) return S_FALSE;
    if (!m_file) return E_UNEXPECTED;
    size_t n = size ? std::fread(buffer, 1, size, m_file) : 0;
    *read = static_cast<ULONG>(n);
    m_position += n;
    if (n < size) {
        if (std::ferror(m_file)) return INET_E_DOWNLOAD_FAILURE;
        m_ended = true;
        return S_FALSE;
    }
    // A file that grew or shrank since Start is read to its real end.
    if (m_position >= m_size) {
        int c = std::fgetc(m_file);
        if (c == EOF) {
            m_ended = true;
            return S_FALSE;
        }
        std::ungetc(c, m_file);
    }
    return S_OK;
}

HRESULT CFileSourceProtocol::Seek(int64_t, DWORD, uint64_t*) { return E_NOTIMPL; }
HRESULT CFileSourceProtocol::LockRequest(DWORD) { return S_OK; }
HRESULT CFileSourceProtocol::UnlockRequest() { return S_OK; }

}  // namespace platform
