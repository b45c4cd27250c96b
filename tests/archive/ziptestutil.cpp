#include "ziptestutil.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <zip.h>

#include "app/parablock.h"
#include "archive/archiveprompt.h"
#include "archive/homenames.h"
#include "archive/passwordtable.h"

namespace ziptest {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "pagora-zip-XXXXXX").string();
    char* made = ::mkdtemp(pattern.data());
    m_path = made ? made : "";
}

TempDir::~TempDir()
{
    std::error_code ec;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ec);
}

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

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
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
