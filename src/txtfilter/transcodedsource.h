#pragma once
// The filter's view of its source protocol: the text read through a
// CTextTranscoder, so that it arrives in the locale's code set.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/comtypes.h"
#include "txtfilter/texttranscoder.h"

namespace txtfilter {

// Not a protocol itself: the filter still starts, aborts and terminates the
// source directly and reads the text only through Read.
class CTranscodedSource {
public:
    static constexpr size_t kRawBlock = 4096;

    // `source` is not owned; it must outlive this object's reads.
    CTranscodedSource(platform::IInternetProtocol* source, std::unique_ptr<CTextTranscoder> transcoder);

    // Like the source's Read, but of converted text: S_OK with bytes (more
    // may follow), S_FALSE with the last bytes or none once the source ended
    // and everything converted was read, E_PENDING with none while the
    // source has nothing yet or gave bytes that make no text yet (a sample
    // held for the encoding's decision, part of a character), or the
    // source's failure. A call reads the source once when what is converted
    // and unread does not fill `size`, else not at all.
    platform::HRESULT Read(uint8_t* buffer, size_t size, size_t* read);

    const CTextTranscoder& Transcoder() const { return *m_transcoder; }
    // How many bytes the source has given so far.
    uint64_t RawBytes() const { return m_rawBytes; }

private:
    platform::IInternetProtocol* m_source;
    std::unique_ptr<CTextTranscoder> m_transcoder;
    std::string m_text;  // converted and not yet read, from m_readPos on
    size_t m_readPos = 0;
    bool m_ended = false;
    uint64_t m_rawBytes = 0;
    uint8_t m_raw[kRawBlock];
};

}  // namespace txtfilter
