#include "txtfilter/xmlmimefilterpp.h"

#include <cstring>
#include <mutex>

#include "platform/codepage.h"
#include "platform/modulepath.h"
#include "txtfilter/filterids.h"
#include "txtfilter/libraryrefs.h"
#include "txtfilter/textstyle.h"
#include "txtfilter/textswitch.h"

using namespace platform;

namespace txtfilter {

namespace {
std::mutex s_iniPathLock;
std::string s_iniPathForTesting;
}  // namespace

XMLMimeFilterPP* XMLMimeFilterPP::Create(IUnknown* outer) { return new XMLMimeFilterPP(outer); }

XMLMimeFilterPP::XMLMimeFilterPP(IUnknown* outer) : m_inner(this), m_outer(outer ? outer : &m_inner) {
    CLibraryRefs::AddObject();
}

XMLMimeFilterPP::~XMLMimeFilterPP() { CLibraryRefs::RemoveObject(); }

// ---- identity -------------------------------------------------------------

HRESULT XMLMimeFilterPP::InnerUnknown::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown) {
        *out = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    if (iid == IID_IInternetProtocol || iid == IID_IInternetProtocolRoot) {
        *out = static_cast<IInternetProtocol*>(m_owner);
    } else if (iid == IID_IInternetProtocolSink) {
        *out = static_cast<IInternetProtocolSink*>(m_owner);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    m_owner->AddRef();
    return S_OK;
}

ULONG XMLMimeFilterPP::InnerUnknown::AddRef() { return ++m_owner->m_refs; }

ULONG XMLMimeFilterPP::InnerUnknown::Release() {
    ULONG n = --m_owner->m_refs;
    if (n == 0) delete m_owner;
    return n;
}

HRESULT XMLMimeFilterPP::QueryInterface(REFIID iid, void** out) { return m_outer->QueryInterface(iid, out); }
ULONG XMLMimeFilterPP::AddRef() { return m_outer->AddRef(); }
ULONG XMLMimeFilterPP::Release() { return m_outer->Release(); }

// ---- settings --------------------------------------------------------------

void XMLMimeFilterPP::SetIniPathForTesting(const std::string& path) {
    std::lock_guard<std::mutex> lock(s_iniPathLock);
    s_iniPathForTesting = path;
}

void XMLMimeFilterPP::ReadTextStyle() {
    std::string path;
    {
        std::lock_guard<std::mutex> lock(s_iniPathLock);
        path = s_iniPathForTesting;
    }
    // The host program's INI file: whatever process loaded this library.
    if (path.empty()) path = ProfileSideFile(".ini");
    m_converter = CTextToHtml::ForLocale(TextStyle::Read(path));
}

// ---- protocol --------------------------------------------------------------

HRESULT XMLMimeFilterPP::Start(LPCSTR_UTF8, IInternetProtocolSink* sink, IInternetBindInfo* bindInfo, DWORD flags,
                               uintptr_t reserved) {
    m_startFlags = flags;
    if (!(flags & PI_FILTER_MODE)) return E_INVALIDARG;
    auto* data = reinterpret_cast<PROTOCOLFILTERDATA*>(reserved);
    if (!data || !data->pProtocol) return E_INVALIDARG;
    m_source = ComPtr<IInternetProtocol>(data->pProtocol);
    m_sink = ComPtr<IInternetProtocolSink>(sink);
    m_firstBlock = true;
    m_converting = false;
    m_queue.reset();
    m_converter.reset();
    m_encodingReported = false;
    // Whatever its encoding, the text reaches the converter (and a pass-through
    // reader) in the locale's code set, which is the set the page is read in.
    // The encoding is recognised unless the reader chose one for this text.
    std::string chosen;
    if (bindInfo) {
        if (LPCSTR_UTF8 name = bindInfo->BindString(BINDSTRING_TEXTENCODING)) chosen = name;
    }
    m_text = std::make_unique<CTranscodedSource>(m_source.Get(),
                                                 std::make_unique<CTextTranscoder>(AnsiCodeSet(), chosen));
    if (!CTextSwitch::On()) return E_NOTIMPL;
    m_queue = std::make_unique<OutputQueue>();
    ReadTextStyle();
    return S_OK;
}

HRESULT XMLMimeFilterPP::Continue(PROTOCOLDATA* data) { return m_source ? m_source->Continue(data) : E_FAIL; }
HRESULT XMLMimeFilterPP::Abort(HRESULT reason, DWORD options) {
    return m_source ? m_source->Abort(reason, options) : E_FAIL;
}

HRESULT XMLMimeFilterPP::Terminate(DWORD options) {
    m_sink.Reset();
    return m_source ? m_source->Terminate(options) : E_FAIL;
}

HRESULT XMLMimeFilterPP::Suspend() { return m_source ? m_source->Suspend() : E_FAIL; }
HRESULT XMLMimeFilterPP::Resume() { return m_source ? m_source->Resume() : E_FAIL; }
HRESULT XMLMimeFilterPP::Seek(int64_t, DWORD, uint64_t*) { return E_NOTIMPL; }
HRESULT XMLMimeFilterPP::LockRequest(DWORD) { return S_OK; }
HRESULT XMLMimeFilterPP::UnlockRequest() { return S_OK; }

HRESULT XMLMimeFilterPP::Read(void* buffer, ULONG size, ULONG* read) {
    if (!read) return E_POINTER;
    *read = 0;
    if (!buffer && size > 0) return E_POINTER;
    // Once text went into the converter the document is HTML to its end; a
    // later switch change (the next navigation) must not cut it in two.
    if (!m_queue || (!m_converting && !CTextSwitch::On())) return PassThrough(buffer, size, read);
    return ReadConverted(buffer, size, read);
}

HRESULT XMLMimeFilterPP::PassThrough(void* buffer, ULONG size, ULONG* read) {
    if (!m_source || !m_text) return E_FAIL;
    size_t got = 0;
    HRESULT hr = m_text->Read(static_cast<uint8_t*>(buffer), size, &got);
    *read = static_cast<ULONG>(got);
    ReportEncoding();
    ReportVerifiedType();
    return hr;
}

void XMLMimeFilterPP::ReportEncoding() {
    if (m_encodingReported || !m_sink || !m_text || !m_text->Transcoder().Decided()) return;
    m_encodingReported = true;
    try {
        m_sink->ReportProgress(BINDSTATUS_TEXTENCODING, m_text->Transcoder().Encoding().c_str());
    } catch (...) {
        // Advisory like the type report.
    }
}

const std::string& XMLMimeFilterPP::TextEncoding() const {
    static const std::string kNone;
    return m_text ? m_text->Transcoder().Encoding() : kNone;
}

void XMLMimeFilterPP::ReportVerifiedType() {
    if (!m_sink) return;
    try {
        m_sink->ReportProgress(BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE, kTextHtml);
    } catch (...) {
        // The report is advisory; a throwing sink must not break the read.
    }
}

HRESULT XMLMimeFilterPP::ReadConverted(void* buffer, ULONG size, ULONG* read) {
    if (!m_queue->Ended()) {
        if (!m_source || !m_text) return E_FAIL;
        const size_t carried = m_converter->CarriedLength();
        uint8_t* data = m_buffer + CTextToHtml::kMaxCarry;
        const ULONG room = static_cast<ULONG>(kSourceBlock - carried);
        size_t got = 0;
        HRESULT hr = m_text->Read(data, room, &got);
        ULONG n = static_cast<ULONG>(got);
        // Text that went into the filter makes the document HTML to its end,
        // even while its first bytes are held for the encoding's decision.
        if (m_text->RawBytes() > 0) m_converting = true;
        ReportEncoding();
        if (hr != E_PENDING) {
            if (Failed(hr)) return hr;
            if (n > room) n = room;  // a source that claims more than it was given room for
            if (n > 0) {
                m_converting = true;
                uint8_t* block = data - carried;
                std::memcpy(block, m_converter->Carried(), carried);
                if (m_firstBlock) {
                    // The text arrives in the locale's set with its mark
                    // removed: there is no encoding left to decide here.
                    m_converter->TextInCodeSet();
                    WriteHead();
                    m_firstBlock = false;
                }
                HRESULT c = ConvertBlock(block, carried + n);
                if (Failed(c)) return c;
            }
            if (hr == S_FALSE) {
                if (m_firstBlock && m_text->RawBytes() > 0) {
                    // A text that is only a byte-order mark is still a page,
                    // as it was when the mark reached the converter.
                    m_converter->TextInCodeSet();
                    WriteHead();
                    m_firstBlock = false;
                }
                m_converter->Flush(*m_queue);
                WriteTail();
                m_queue->End();
            }
        }
    }

    ReportVerifiedType();

    bool empty = false;
    const size_t copied = m_queue->ReadOut(static_cast<char*>(buffer), size, &empty);
    *read = static_cast<ULONG>(copied);
    if (!empty) return S_OK;
    if (m_queue->Ended()) return S_FALSE;
    return copied ? S_OK : E_PENDING;
}

// ---- converter steps ------------------------------------------------------------

void XMLMimeFilterPP::WriteTail() {
    if (m_queue && m_converter) m_converter->WriteTail(*m_queue);
}

void XMLMimeFilterPP::WriteHead() {
    if (m_queue && m_converter) m_converter->WriteHead(*m_queue);
}

HRESULT XMLMimeFilterPP::ConvertBlock(const uint8_t* bytes, size_t length) {
    if (!bytes) return E_INVALIDARG;
    if (!m_queue || !m_converter) return E_UNEXPECTED;
    return m_converter->ConvertBlock(*m_queue, bytes, length);
}

// ---- sink ---------------------------------------------------------------------

HRESULT XMLMimeFilterPP::Switch(PROTOCOLDATA* data) { return m_sink ? m_sink->Switch(data) : E_FAIL; }
HRESULT XMLMimeFilterPP::ReportProgress(ULONG status, LPCSTR_UTF8 text) {
    return m_sink ? m_sink->ReportProgress(status, text) : E_FAIL;
}
HRESULT XMLMimeFilterPP::ReportData(DWORD bscf, ULONG progress, ULONG progressMax) {
    return m_sink ? m_sink->ReportData(bscf, progress, progressMax) : E_FAIL;
}
HRESULT XMLMimeFilterPP::ReportResult(HRESULT result, DWORD error, LPCSTR_UTF8 text) {
    return m_sink ? m_sink->ReportResult(result, error, text) : E_FAIL;
}

}  // namespace txtfilter
