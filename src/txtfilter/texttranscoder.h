#pragma once
// Turns a plain text of any encoding into the locale's code set as it
// streams: recognises the encoding from the first bytes (or takes the one the
// reader chose) and converts with iconv.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace txtfilter {

class CStreamTranscoder;

// One per text; not thread-safe. The encoding is decided on the first
// kSampleBytes of the text (all of it when shorter), whatever the blocks it
// arrives in, so the output never depends on how the text was cut. A start of
// pure ASCII (no zero bytes) decides nothing: it is passed on as it is (every
// locale set is ASCII-compatible) and the next kSampleBytes are looked at.
// Until the decision the sample is held back; memory stays within the sample
// and one block's conversion. A source that makes the reader wait (a slow
// download) can have the decision made early on what has arrived
// (SourceWaits); only then does the output depend on the timing.
class CTextTranscoder {
public:
    static constexpr size_t kSampleBytes = 16384;

    // `targetCodeSet`: the set the text is turned into (an iconv name).
    // `encoding`: the encoding to read the text as (an iconv name); empty to
    // recognise it. A name iconv does not know is also recognised.
    CTextTranscoder(std::string targetCodeSet, std::string encoding = {});
    ~CTextTranscoder();
    CTextTranscoder(const CTextTranscoder&) = delete;
    CTextTranscoder& operator=(const CTextTranscoder&) = delete;

    // Appends what the block gives, in the target set, to `out`.
    void Convert(const uint8_t* bytes, size_t length, std::string& out);
    // The source has nothing more for now: a held sample of pure ASCII is
    // passed on (a text that starts so has no mark and is not taken for
    // UTF-16), any other is decided on as it is.
    void SourceWaits(std::string& out);
    // The end of the text: appends everything still held back.
    void Finish(std::string& out);

    bool Decided() const { return m_decided; }
    // The encoding the text is read as (e.g. "GB18030", "UTF-16BE"); empty
    // until decided.
    const std::string& Encoding() const { return m_encoding; }
    // Whether the encoding was recognised rather than chosen.
    bool Recognised() const { return m_recognised; }
    const std::string& TargetCodeSet() const { return m_target; }

    // The conversion of a whole text in one call (tests, tools).
    static std::string ConvertAll(const std::string& text, const std::string& targetCodeSet,
                                  const std::string& encoding = {});

private:
    // Passes on the first `length` bytes of the sample, which are plain ASCII.
    void PassAscii(size_t length, std::string& out);
    // Decides on the held sample (`whole`: the text has ended) and converts it.
    void Decide(bool whole, std::string& out);
    // Opens the conversion from `encoding`; false when iconv cannot.
    bool Start(const std::string& encoding);

    std::string m_target;
    std::string m_encoding;
    bool m_recognised = true;
    bool m_atStart = true;
    bool m_decided = false;
    bool m_markPending = false;  // a chosen encoding, before the text's first bytes
    std::string m_sample;
    std::unique_ptr<CStreamTranscoder> m_stream;  // null after a decision: bytes pass as they are
};

}  // namespace txtfilter
