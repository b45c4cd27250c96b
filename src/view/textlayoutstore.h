#pragma once
// The table heights of converted text pages, kept between runs. When a long
// text is reopened, each table starts with the height it had when its reading
// position was saved, so that the saved scroll offset shows the same lines
// without the engine laying out the whole text first.
#include <cstdint>
#include <string>
#include <vector>

class CTextLayoutStore {
public:
    // Records live in `folder`, one file per text, created when missing.
    explicit CTextLayoutStore(std::string folder);
    // The store of the program: a "TextLayout" folder in the profile folder.
    static CTextLayoutStore& Program();

    // The heights (64ths of a CSS pixel, by table number) saved for the text
    // at `address` (the address of one of its parts, see textroute), when it
    // is a local file that has not changed since; empty otherwise.
    std::vector<uint32_t> Load(const std::string& address) const;
    // Saves the heights for a local file; false when the address is no local
    // file or the record cannot be written. Old records beyond kMaxRecords
    // are removed, the least recently saved first.
    bool Save(const std::string& address, const std::vector<uint32_t>& heights64) const;

    // The part of a very long text read last (1 when none was kept or the
    // file changed since), and keeping it.
    int LoadPart(const std::string& address) const;
    bool SavePart(const std::string& address, int part) const;

    // Reads a record's text: the heights when it belongs to `address` and
    // `identity`, empty otherwise (also for any malformed text).
    static std::vector<uint32_t> Parse(const std::string& text, const std::string& address,
                                       const std::string& identity);
    static std::string Format(const std::string& address, const std::string& identity,
                              const std::vector<uint32_t>& heights64);
    // "size mtime-in-nanoseconds" of a file; empty when it cannot be read.
    static std::string FileIdentity(const std::string& path);

    static constexpr size_t kMaxRecords = 64;
    // More tables than any page holds (the converted page ends at 80 MB).
    static constexpr size_t kMaxTables = 1 << 20;

private:
    std::string RecordPath(const std::string& address, const char* extension) const;
    void Prune() const;
    std::string m_folder;
};
