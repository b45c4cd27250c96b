#include "txtfilter/transcodedsource.h"

#include <algorithm>
#include <cstring>

using namespace platform;

namespace txtfilter {

CTranscodedSource::CTranscodedSource(IInternetProtocol* source, std::unique_ptr<CTextTranscoder> transcoder)
    : m_source(source), m_transcoder(std::move(transcoder)) {}

HRESULT CTranscodedSource::Read(uint8_t* buffer, size_t size, size_t* read) {
    *read = 0;
    // Read the source whenever what is left does not fill the request, so
    // that every call that comes back short has moved the source on (a
    // reader takes a short answer with an unmoved source for a waiting one).
    if (m_text.size() - m_readPos < size && !m_ended) {
        m_text.erase(0, m_readPos);
        m_readPos = 0;
        ULONG n = 0;
        const HRESULT hr = m_source->Read(m_raw, kRawBlock, &n);
        if (hr == E_PENDING) {
            // Nothing more for now: a held sample is decided on as it is
            // rather than keep the page waiting.
            m_transcoder->SourceWaits(m_text);
            if (m_text.empty()) return E_PENDING;  // else what is there is served
        } else if (Failed(hr)) {
            return hr;
        } else {
            n = std::min<ULONG>(n, kRawBlock);  // a source that claims more than it was given room for
            m_rawBytes += n;
            m_transcoder->Convert(m_raw, n, m_text);
            if (hr == S_FALSE) {
                m_transcoder->Finish(m_text);
                m_ended = true;
            }
        }
    }
    const size_t k = std::min(size, m_text.size() - m_readPos);
    if (k > 0) std::memcpy(buffer, m_text.data() + m_readPos, k);
    m_readPos += k;
    *read = k;
    if (m_readPos == m_text.size()) {
        if (m_ended) return S_FALSE;
        if (k == 0) return E_PENDING;  // bytes taken that make no text yet
    }
    return S_OK;
}

}  // namespace txtfilter
