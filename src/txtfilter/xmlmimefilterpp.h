#pragma once
// The MIME filter object: reads plain text from the source protocol below it
// and hands HTML to the browser's sink above it.

#include <atomic>
#include <memory>
#include <string>

#include "platform/comptr.h"
#include "platform/comtypes.h"
#include "txtfilter/outputqueue.h"
#include "txtfilter/transcodedsource.h"
#include "txtfilter/texttohtml.h"

namespace txtfilter {

// Apartment-threaded: every call on one object comes from one thread at a
// time. The object may be aggregated: then its IUnknown operations go to the
// outer object and the creator gets the inner IUnknown (Inner()).
class XMLMimeFilterPP final : public platform::IInternetProtocol, public platform::IInternetProtocolSink {
public:
    static constexpr size_t kSourceBlock = 4096;

    // A new object with one reference on its inner unknown; `outer` may be null.
    static XMLMimeFilterPP* Create(platform::IUnknown* outer);
    platform::IUnknown* Inner() { return &m_inner; }

    // IUnknown (delegating)
    platform::HRESULT QueryInterface(platform::REFIID iid, void** out) override;
    platform::ULONG AddRef() override;
    platform::ULONG Release() override;

    // IInternetProtocolRoot / IInternetProtocol
    platform::HRESULT Start(platform::LPCSTR_UTF8 url, platform::IInternetProtocolSink* sink,
                            platform::IInternetBindInfo* bindInfo, platform::DWORD flags,
                            uintptr_t reserved) override;
    platform::HRESULT Continue(platform::PROTOCOLDATA* data) override;
    platform::HRESULT Abort(platform::HRESULT reason, platform::DWORD options) override;
    platform::HRESULT Terminate(platform::DWORD options) override;
    platform::HRESULT Suspend() override;
    platform::HRESULT Resume() override;
    platform::HRESULT Read(void* buffer, platform::ULONG size, platform::ULONG* read) override;
    platform::HRESULT Seek(int64_t move, platform::DWORD origin, uint64_t* newPosition) override;
    platform::HRESULT LockRequest(platform::DWORD options) override;
    platform::HRESULT UnlockRequest() override;

    // IInternetProtocolSink: the source's reports pass on to the browser's sink.
    platform::HRESULT Switch(platform::PROTOCOLDATA* data) override;
    platform::HRESULT ReportProgress(platform::ULONG statusCode, platform::LPCSTR_UTF8 statusText) override;
    platform::HRESULT ReportData(platform::DWORD bscf, platform::ULONG progress, platform::ULONG progressMax) override;
    platform::HRESULT ReportResult(platform::HRESULT result, platform::DWORD error,
                                   platform::LPCSTR_UTF8 resultText) override;

    // The converter's steps on this object's queue.
    virtual void WriteTail();
    virtual void WriteHead();
    // E_INVALIDARG for a null block. The converter reads `length` bytes and
    // never writes into the block.
    virtual platform::HRESULT ConvertBlock(const uint8_t* bytes, size_t length);

    // Reads the settings afresh (Start does this); the INI file is the host
    // program's own unless SetIniPathForTesting named another.
    void ReadTextStyle();
    static void SetIniPathForTesting(const std::string& path);

    // The encoding the current text is read as ("GB18030", "UTF-16BE"...),
    // empty until decided. The sink hears it too, as BINDSTATUS_TEXTENCODING.
    const std::string& TextEncoding() const;

    // For tests and benchmarks: bytes held by the current queue.
    size_t QueuedBytes() const { return m_queue ? m_queue->HeldBytes() : 0; }

private:
    class InnerUnknown final : public platform::IUnknown {
    public:
        explicit InnerUnknown(XMLMimeFilterPP* owner) : m_owner(owner) {}
        platform::HRESULT QueryInterface(platform::REFIID iid, void** out) override;
        platform::ULONG AddRef() override;
        platform::ULONG Release() override;

    private:
        XMLMimeFilterPP* m_owner;
    };

    explicit XMLMimeFilterPP(platform::IUnknown* outer);
    virtual ~XMLMimeFilterPP();
    platform::HRESULT ReadConverted(void* buffer, platform::ULONG size, platform::ULONG* read);
    platform::HRESULT PassThrough(void* buffer, platform::ULONG size, platform::ULONG* read);
    void ReportVerifiedType();
    void ReportEncoding();
    void ConvertArrived(const uint8_t* block, size_t length);

    std::atomic<platform::ULONG> m_refs{1};
    bool m_firstBlock = true;
    bool m_converting = false;  // the first block was converted: the document stays HTML
    platform::ComPtr<platform::IInternetProtocolSink> m_sink;
    platform::ComPtr<platform::IInternetProtocol> m_source;
    platform::DWORD m_startFlags = 0;
    std::unique_ptr<OutputQueue> m_queue;
    std::unique_ptr<CTextToHtml> m_converter;
    std::unique_ptr<CTranscodedSource> m_text;  // the source's text in the locale's set
    bool m_encodingReported = false;
    InnerUnknown m_inner;
    platform::IUnknown* m_outer;
    // The block read from the source, behind room for carried bytes.
    uint8_t m_buffer[CTextToHtml::kMaxCarry + kSourceBlock + 2];
};

}  // namespace txtfilter
