#pragma once
// A source protocol over bytes that arrive while the document is read (an HTTP body).

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/comptr.h"
#include "platform/comtypes.h"

namespace platform {

// A producer thread feeds the bytes with Append and ends the stream with
// Finish; the reading thread reads them through the IInternetProtocol
// interface (usually through a filter or a CUrlmonDocument). Append and Finish
// are safe from any thread, concurrently with Read.
//
// Read answers: S_OK with bytes when more may follow; E_PENDING when nothing
// is buffered and the stream is not finished; S_FALSE (with the last bytes or
// none) once Finish(S_OK) was called and the buffer is drained; the failure
// given to Finish once the buffer is drained after a failed Finish;
// E_ABORT after Abort or Terminate.
class CStreamSourceProtocol final : public IInternetProtocol {
public:
    static ComPtr<CStreamSourceProtocol> Create();

    // Appends bytes of the document. Ignored after Finish.
    void Append(std::string_view bytes);
    // Ends the document: S_OK for a complete one, a failure (e.g.
    // INET_E_DOWNLOAD_FAILURE) for a broken one. Only the first call counts.
    void Finish(HRESULT result = S_OK);
    // Called on the producer's thread after every Append and after Finish, so
    // the reader can be woken (e.g. a QIODevice emitting readyRead). Set it
    // before the producer starts.
    void SetDataCallback(std::function<void()> callback);

    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // Start accepts any url; the sink is kept only to be released by Terminate.
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

private:
    CStreamSourceProtocol() = default;
    ~CStreamSourceProtocol() = default;

    std::atomic<ULONG> m_refs{1};
    std::mutex m_mutex;
    std::deque<std::string> m_chunks;  // fed bytes not yet read
    size_t m_offset = 0;               // read position inside m_chunks.front()
    bool m_finished = false;
    bool m_aborted = false;
    HRESULT m_result = S_OK;
    std::function<void()> m_callback;
    ComPtr<IInternetProtocolSink> m_sink;
};

}  // namespace platform
