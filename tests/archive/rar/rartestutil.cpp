#include "rartestutil.h"

#include <archive.h>
#include <archive_entry.h>
#include <cstring>
#include <fstream>
#include <sstream>
#include <unarr.h>
#include <zlib.h>

namespace rartest {

std::string Fixture(const std::string& name)
{
    return std::string(PAGORA_SOURCE_DIR) + "/tests/archive/rar/fixtures/" + name;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

namespace {

struct WalkContext {
    Walk* walk;
    std::string current;
};

int WalkCallback(unsigned message, void* context, intptr_t p1, intptr_t p2)
{
    auto* ctx = static_cast<WalkContext*>(context);
    switch (message) {
    case kRarChangeVolume:
        if (p2 == kRarVolumeAsk) {
            ctx->walk->volumesAsked.push_back(reinterpret_cast<const char*>(p1));
            return ctx->walk->volumeAnswer;
        }
        return 0;
    case kRarProcessData:
        ctx->current.append(reinterpret_cast<const char*>(p1), static_cast<size_t>(p2));
        return 0;
    case kRarNeedPassword:
        ++ctx->walk->passwordRequests;
        return -1;
    }
    return -1;
}

}  // namespace

void WalkArchive(IRarLibrary& library, const std::string& path, Walk& walk)
{
    WalkContext ctx{&walk, {}};
    auto handle = library.OpenArchive(path, kRarOpenExtract, &WalkCallback, &ctx, &walk.openResult);
    if (!handle)
        return;
    RarHeaderEx header;
    int r;
    while ((r = handle->ReadHeaderEx(header)) == kRarSuccess) {
        walk.names.push_back(header.fileName);
        walk.flags.push_back(header.flags);
        ctx.current.clear();
        int t = handle->ProcessFile(kRarTest);
        walk.testResults[header.fileName] = t;
        if (t == kRarSuccess && (header.flags & kRarFlagDirectory) != kRarFlagDirectory)
            walk.data[header.fileName] = ctx.current;
    }
    walk.endResult = r;
    handle->Close();
}

std::map<std::string, std::string> ReadWithLibarchive(const std::vector<std::string>& volumes, bool rar5)
{
    std::map<std::string, std::string> out;
    archive* a = archive_read_new();
    if (rar5)
        archive_read_support_format_rar5(a);
    else
        archive_read_support_format_rar(a);
    std::vector<const char*> names;
    for (const auto& v : volumes)
        names.push_back(v.c_str());
    names.push_back(nullptr);
    if (archive_read_open_filenames(a, names.data(), 10240) == ARCHIVE_OK) {
        archive_entry* e;
        int r;
        while ((r = archive_read_next_header(a, &e)) == ARCHIVE_OK || r == ARCHIVE_WARN) {
            if (archive_entry_filetype(e) == AE_IFDIR)
                continue;
            const char* utf8 = archive_entry_pathname_utf8(e);
            const char* native = archive_entry_pathname(e);
            std::string name = utf8 ? utf8 : native ? native : "";
            std::string data;
            char buf[4096];
            la_ssize_t n;
            while ((n = archive_read_data(a, buf, sizeof buf)) > 0)
                data.append(buf, static_cast<size_t>(n));
            out[name] = data;
        }
    }
    archive_read_free(a);
    return out;
}

std::map<std::string, std::string> ReadWithUnarr(const std::string& path)
{
    std::map<std::string, std::string> out;
    ar_stream* s = ar_open_file(path.c_str());
    if (!s)
        return out;
    ar_archive* ar = ar_open_rar_archive(s);
    if (ar) {
        while (ar_parse_entry(ar)) {
            std::string data(ar_entry_get_size(ar), '\0');
            if (data.empty() || ar_entry_uncompress(ar, data.data(), data.size()))
                out[ar_entry_get_name(ar)] = data;
        }
        ar_close_archive(ar);
    }
    ar_close(s);
    return out;
}

void FixRar4HeaderCrc(std::string& bytes, size_t offset)
{
    auto* p = reinterpret_cast<unsigned char*>(bytes.data()) + offset;
    unsigned size = p[5] | (p[6] << 8);
    unsigned crc = static_cast<unsigned>(crc32(0L, p + 2, size - 2)) & 0xFFFF;
    p[0] = static_cast<unsigned char>(crc);
    p[1] = static_cast<unsigned char>(crc >> 8);
}

}  // namespace rartest
