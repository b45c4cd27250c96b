#pragma once
// The encodings readers chose for their texts, kept between runs, and the
// encodings the texts on screen were read in.
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

// The choices, one line per text in a file of the profile folder. Any thread.
class CTextEncodingChoices {
public:
    explicit CTextEncodingChoices(std::string file);
    // The program's: "TextEncodings" in the profile folder.
    static CTextEncodingChoices& Program();

    // The encoding chosen for the text kept under `key`; empty when the
    // reader left it to the recognition.
    std::string Chosen(const std::string& key) const;
    // Keeps `encoding` for the text (empty: back to the recognition). The
    // oldest choices beyond kMaxChoices are dropped. False when the file
    // cannot be written (the choice then holds for this run only).
    bool Choose(const std::string& key, const std::string& encoding);

    static constexpr size_t kMaxChoices = 500;

    // The file's text for the choices (oldest first) and back; lines that do
    // not parse are skipped.
    using Entries = std::vector<std::pair<std::string, std::string>>;  // key, encoding
    static std::string Format(const Entries& entries);
    static Entries Parse(const std::string& text);

private:
    void LoadLocked() const;
    std::string m_file;
    mutable std::mutex m_lock;
    mutable bool m_loaded = false;
    mutable Entries m_entries;
};

namespace textencoding {

// The key a text's choice is kept under: the local path of a local text; for
// an entry of the open archive, the archive's path and the entry's name
// separated by a tab; any other address as it is. `address` may be the
// private text address or the original, with or without a part.
std::string KeyFor(const std::string& address);

// The first `maxBytes` bytes of the text at `address` (a local file or an
// entry of the open archive); `whole` tells whether that is all of it.
// False when the text cannot be read here (a remote address).
bool ReadSample(const std::string& address, size_t maxBytes, std::string* sample, bool* whole);

// What the text filter read the text at `address` as (an iconv name), kept
// by the text road as it converts (under the text's key); empty when no text
// was read there. Any thread.
void RecordUsed(const std::string& address, const std::string& encoding);
std::string Used(const std::string& address);

}  // namespace textencoding
