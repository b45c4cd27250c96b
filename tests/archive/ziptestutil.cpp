#include "ziptestutil.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <zip.h>
#include <zlib.h>

#include "settings/parablock.h"
#include "archive/archiveprompt.h"
#include "archive/homenames.h"
#include "archive/passwordtable.h"

namespace ziptest {

bool WriteZip(const std::string& path, const std::vector<Entry>& entries, bool store)
{
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    for (const Entry& e : entries) {
        zip_int64_t index;
        if (!e.name.empty() && e.name.back() == '/') {
            index = zip_dir_add(archive, e.name.c_str(), ZIP_FL_ENC_GUESS);
        } else {
            zip_source_t* source = zip_source_buffer(archive, e.data.data(), e.data.size(), 0);
            index = zip_file_add(archive, e.name.c_str(), source, ZIP_FL_ENC_GUESS);
            if (index < 0)
                zip_source_free(source);
            else if (store)
                zip_set_file_compression(archive, index, ZIP_CM_STORE, 0);
        }
        if (index < 0) {
            zip_discard(archive);
            return false;
        }
    }
    return zip_close(archive) == 0;
}

namespace {

void Put16(std::string& out, unsigned v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void Put32(std::string& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

uint32_t Crc(const std::string& bytes)
{
    return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

}  // namespace

std::string RawZip(const std::vector<RawEntry>& entries)
{
    std::string out, central;
    for (const RawEntry& e : entries) {
        const uint32_t offset = static_cast<uint32_t>(out.size());
        const unsigned flags = e.utf8Flag ? 0x800 : 0;
        const uint32_t crc = Crc(e.data);
        auto common = [&](std::string& h) {
            Put16(h, 20);     // version needed
            Put16(h, flags);
            Put16(h, 0);      // stored
            Put16(h, 0);      // time
            Put16(h, 0x21);   // date: 1980-01-01
            Put32(h, crc);
            Put32(h, static_cast<uint32_t>(e.data.size()));
            Put32(h, static_cast<uint32_t>(e.data.size()));
            Put16(h, static_cast<unsigned>(e.name.size()));
            Put16(h, static_cast<unsigned>(e.extra.size()));
        };
        out += "PK\x03\x04";
        common(out);
        out += e.name + e.extra + e.data;
        central += "PK\x01\x02";
        Put16(central, 20);  // made by: MS-DOS
        common(central);
        Put16(central, 0);   // comment length
        Put16(central, 0);   // disk
        Put16(central, 0);   // internal attributes
        Put32(central, 0);   // external attributes
        Put32(central, offset);
        central += e.name + e.extra;
    }
    const uint32_t centralAt = static_cast<uint32_t>(out.size());
    out += central;
    out += "PK\x05\x06";
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<unsigned>(entries.size()));
    Put16(out, static_cast<unsigned>(entries.size()));
    Put32(out, static_cast<uint32_t>(central.size()));
    Put32(out, centralAt);
    Put16(out, 0);
    return out;
}

std::string UnicodePathField(const std::string& storedName, const std::string& utf8Name)
{
    std::string body(1, '\x01');
    Put32(body, Crc(storedName));
    body += utf8Name;
    std::string field;
    Put16(field, 0x7075);
    Put16(field, static_cast<unsigned>(body.size()));
    return field + body;
}

bool Run(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

void ResetArchiveState(const TempDir& dir)
{
    static std::string iniPath;
    iniPath = dir.File("Pagora.ini");
    MainParaBlock().Reset(false);
    MainParaBlock().SetLocation(kParaBlockSection, &iniPath);
    ThePasswordTable().SetPasswords({});
    ThePasswordTable().SetCurrentIndex(0);
    TheHomeNames().SetNames(CHomeNames::Defaults());
    SetArchivePrompt(nullptr);
    SetArchiveCountIndicator({});
}

GbkLocale::GbkLocale()
{
    if (!Run("localedef -i zh_CN -f GBK " + m_dir.File("zh_CN.GBK") + " >/dev/null 2>&1"))
        return;
    const char* old = std::getenv("LOCPATH");
    m_hadLocPath = old != nullptr;
    m_savedLocPath = old ? old : "";
    m_savedLocale = std::setlocale(LC_CTYPE, nullptr);
    ::setenv("LOCPATH", m_dir.Path().c_str(), 1);
    m_active = std::setlocale(LC_CTYPE, "zh_CN.GBK") != nullptr;
}

GbkLocale::~GbkLocale()
{
    if (m_savedLocale.empty())
        return;
    std::setlocale(LC_CTYPE, m_savedLocale.c_str());
    if (m_hadLocPath)
        ::setenv("LOCPATH", m_savedLocPath.c_str(), 1);
    else
        ::unsetenv("LOCPATH");
}

std::string Take(char* buffer, size_t size)
{
    if (!buffer)
        return "<none>";
    std::string bytes(buffer, size);
    std::free(buffer);
    return bytes;
}

}  // namespace ziptest
