#include "txtfilter/texttranscoder.h"

#include <algorithm>

#include "txtfilter/encodingcandidates.h"
#include "txtfilter/encodingdetector.h"
#include "txtfilter/streamtranscoder.h"

namespace txtfilter {

namespace {

bool PlainAscii(const uint8_t* b, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (b[i] == 0 || b[i] >= 0x80) return false;
    return true;
}

}  // namespace

CTextTranscoder::CTextTranscoder(std::string targetCodeSet, std::string encoding)
    : m_target(std::move(targetCodeSet)) {
    if (!encoding.empty() && Start(encoding)) {
        m_recognised = false;
        m_markPending = true;
    }
}

CTextTranscoder::~CTextTranscoder() = default;

void CTextTranscoder::Convert(const uint8_t* bytes, size_t length, std::string& out) {
    if (m_markPending && length > 0) {
        // A chosen encoding whose own byte-order mark starts the text: the
        // mark is no part of the text, as when it is recognised.
        m_markPending = false;
        const EncodingGuess mark = CEncodingDetector::FromMark(bytes, length);
        if (!mark.name.empty() && CEncodingCandidates::Same(mark.name, m_encoding)) {
            bytes += mark.markLength;
            length -= mark.markLength;
        }
    }
    if (m_decided) {
        if (m_stream) m_stream->Convert(bytes, length, out);
        else out.append(reinterpret_cast<const char*>(bytes), length);
        return;
    }
    m_sample.append(reinterpret_cast<const char*>(bytes), length);
    while (!m_decided && m_sample.size() >= kSampleBytes) {
        const auto* s = reinterpret_cast<const uint8_t*>(m_sample.data());
        if (PlainAscii(s, kSampleBytes)) PassAscii(kSampleBytes, out);
        else Decide(false, out);
    }
}

void CTextTranscoder::SourceWaits(std::string& out) {
    if (m_decided || m_sample.empty()) return;
    if (PlainAscii(reinterpret_cast<const uint8_t*>(m_sample.data()), m_sample.size())) PassAscii(m_sample.size(), out);
    else Decide(false, out);
}

void CTextTranscoder::PassAscii(size_t length, std::string& out) {
    out.append(m_sample, 0, length);
    m_sample.erase(0, length);
    m_atStart = false;
}

void CTextTranscoder::Finish(std::string& out) {
    if (!m_decided) Decide(true, out);
    if (m_stream) m_stream->Finish(out);
}

void CTextTranscoder::Decide(bool whole, std::string& out) {
    const auto* s = reinterpret_cast<const uint8_t*>(m_sample.data());
    const size_t n = std::min(m_sample.size(), kSampleBytes);
    const EncodingGuess guess = CEncodingDetector::Detect(s, n, m_atStart, whole);
    if (!Start(guess.name)) m_decided = true;  // no way into the target: bytes pass as they are
    std::string held;
    held.swap(m_sample);
    if (m_stream) {
        m_stream->Convert(reinterpret_cast<const uint8_t*>(held.data()) + guess.markLength,
                          held.size() - guess.markLength, out);
    } else {
        out += held;  // no conversion into the target: the bytes as they are
    }
}

bool CTextTranscoder::Start(const std::string& encoding) {
    auto stream = std::make_unique<CStreamTranscoder>(encoding, m_target);
    if (!stream->Valid()) return false;
    m_stream = std::move(stream);
    m_encoding = encoding;
    m_decided = true;
    return true;
}

std::string CTextTranscoder::ConvertAll(const std::string& text, const std::string& targetCodeSet,
                                        const std::string& encoding) {
    CTextTranscoder t(targetCodeSet, encoding);
    std::string out;
    t.Convert(reinterpret_cast<const uint8_t*>(text.data()), text.size(), out);
    t.Finish(out);
    return out;
}

}  // namespace txtfilter
