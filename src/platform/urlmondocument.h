#pragma once
// Runs one document of a given MIME type through the MIME filter that the
// session holds for that type (or passes it through when there is none) and
// lets the caller pull the result as it is produced.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/comptr.h"
#include "platform/comtypes.h"

namespace platform {

class CInternetSession;

// Usage (one instance per document, used from one thread at a time; it may be
// created on one thread and read on another, as long as calls never overlap):
//
//   auto src = CFileSourceProtocol::Create();           // or a CStreamSourceProtocol
//   CUrlmonDocument doc(src.Get(), "text/plain", "/home/u/book.txt");
//   if (Failed(doc.Open())) ...                          // source could not start
//   doc.MimeType();                                      // "text/html" once a filter claimed it
//   char buf[8192]; size_t got;
//   for (;;) switch (doc.Read(buf, sizeof buf, &got)) {
//     case CUrlmonDocument::More:    consume(buf, got); break;   // got > 0
//     case CUrlmonDocument::Pending: wait for the source's data callback; break;  // got == 0
//     case CUrlmonDocument::Done:    consume(buf, got); finished;  // got may be > 0
//     case CUrlmonDocument::Error:   doc.Error() says why; stop;
//   }
//   doc.Close();                                         // also done by the destructor
//
// Open asks the session for a filter registered for the MIME type (compared
// without case). When there is one, it creates a filter object through the
// filter's class factory and Starts it in filter mode (PI_FILTER_MODE with a
// PROTOCOLFILTERDATA naming the source); when the filter refuses to start
// (e.g. E_NOTIMPL while the text switch is off) or cannot be created, the
// document is passed through unfiltered. The source is started by Open with
// the document's sink (this object), so its progress and data reports are
// seen here. The source's Read answers drive the pull: Pending is returned
// only when the source itself has nothing more to give right now; a filter's
// E_PENDING while the source still has bytes makes Read pull again, so a
// file source never yields Pending.
class CUrlmonDocument {
public:
    enum ReadResult { More, Pending, Done, Error };

    // `source` is an unstarted source protocol (a counted reference is taken).
    // `session` null means CInternetSession::Process().
    CUrlmonDocument(IInternetProtocol* source, std::string mimeType, std::string url,
                    CInternetSession* session = nullptr);
    ~CUrlmonDocument();
    CUrlmonDocument(const CUrlmonDocument&) = delete;
    CUrlmonDocument& operator=(const CUrlmonDocument&) = delete;

    // Starts the source and, when one is registered, the filter. Returns the
    // source's Start failure (the document cannot be read), else S_OK.
    HRESULT Open();
    // True when a filter started and the document passes through it.
    bool Filtered() const { return static_cast<bool>(m_filter); }
    // The type of what Read returns: the type a filter verified through
    // BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE (the text filter says "text/html"),
    // else the document's own type. Open settles it for a filter that started
    // (a started filter's type is fetched by one Read with no room, which
    // copies nothing); later reports may still change it.
    const std::string& MimeType() const { return m_outType; }

    // The encoding a text filter is to read the document as (an iconv name;
    // empty: the filter recognises it). Set before Open.
    void SetTextEncoding(std::string encoding) { m_chosenEncoding = std::move(encoding); }

    // The encoding a text filter reported reading the document as (e.g.
    // "GB18030"); empty when none did (yet).
    const std::string& TextEncoding() const { return m_textEncoding; }

    // Copies up to `size` bytes of the result into `buffer`, sets `*got`.
    ReadResult Read(char* buffer, size_t size, size_t* got);
    // The failure that made Read answer Error (or that Open returned).
    HRESULT ErrorCode() const { return m_error; }
    // Terminates the filter and the source and drops them. Safe to call twice.
    void Close();

    // Reads the whole document, handing each piece to `write` (which answers
    // false to stop), waiting for `wait` whenever the source is pending (null
    // `wait`: Pending counts as an error E_PENDING). Returns S_OK when the
    // document was read completely, else the failure (E_ABORT when `write`
    // stopped).
    HRESULT Pump(const std::function<bool(const char*, size_t)>& write,
                 const std::function<void()>& wait = nullptr);

    // Counters for tests and benchmarks: bytes the source delivered so far.
    uint64_t SourceBytes() const;

private:
    class Sink;
    class SourceWatch;
    class BindInfo;

    ReadResult ReadFromFilter(char* buffer, size_t size, size_t* got);
    ReadResult ReadFromSource(char* buffer, size_t size, size_t* got);

    ComPtr<IInternetProtocol> m_source;
    CInternetSession* m_session;
    std::string m_inType;
    std::string m_url;
    std::string m_outType;
    std::string m_textEncoding;
    std::string m_chosenEncoding;
    Sink* m_sink = nullptr;               // owned through its count
    SourceWatch* m_watch = nullptr;       // owned through its count
    ComPtr<IInternetProtocol> m_filter;
    bool m_opened = false;
    bool m_done = false;
    HRESULT m_error = S_OK;
    uint64_t m_plainBytes = 0;  // source bytes read without a filter (and of a closed filter)
};

}  // namespace platform
