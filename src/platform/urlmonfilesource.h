#pragma once
// A source protocol that delivers the bytes of a local file.

#include <cstdio>
#include <string>

#include "platform/comptr.h"
#include "platform/comtypes.h"

namespace platform {

// Start(url) opens the file named by `url` (a plain absolute path, or a
// "file://" address whose path is percent-decoded). The whole file is
// available at once, so Start reports ReportData with BSCF_FIRSTDATANOTIFICATION
// | BSCF_LASTDATANOTIFICATION | BSCF_DATAFULLYAVAILABLE to the sink (the caller
// knows the MIME type; none is reported).
// Read answers S_OK while bytes remain after the copy, S_FALSE with the last
// bytes (or none), a read error as INET_E_DOWNLOAD_FAILURE and E_ABORT after Abort.
// Start answers INET_E_RESOURCE_NOT_FOUND when the file cannot be opened.
// One thread at a time.
class CFileSourceProtocol final : public IInternetProtocol {
public:
    static ComPtr<CFileSourceProtocol> Create();

    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT Start(LPCSTR_UTF8 url, IInternetProtocolSink* sink, IInternetBindInfo* bindInfo, DWORD flags,
                  uintptr_t reserved) override;
    HRESULT Continue(PROTOCOLDATA* data) override;
    HRESULT Abort(HRESULT reason, DWORD options) override;
    HRESULT Terminate(DWORD options) override;
    HRESULT Suspend() override;
    HRESULT Resume() override;
    HRESULT Read(void* buffer, ULONG size, ULONG* read) override;
    HRESULT Seek(int64_t move, DWORD origin, uint64_t* newPosition) override;
    HRESULT LockRequest(DWORD options) override;
    HRESULT UnlockRequest() override;

    // The size of the opened file (0 before Start).
    uint64_t Size() const { return m_size; }

private:
    CFileSourceProtocol() = default;
    ~CFileSourceProtocol();
    void Close();

    ULONG m_refs = 1;
    std::FILE* m_file = nullptr;
    uint64_t m_size = 0;
    uint64_t m_position = 0;
    bool m_ended = false;
    bool m_aborted = false;
    ComPtr<IInternetProtocolSink> m_sink;
};

}  // namespace platform
