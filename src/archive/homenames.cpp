#include "archive/homenames.h"

#include "settings/sidefiles.h"
#include "archive/passwordtable.h"
#include "archive/sidelist.h"

void CHomeNames::Load(const std::string& path)
{
    std::vector<std::string> names;
    LoadSideList(names, path);
    SetNames(std::move(names));
}

void CHomeNames::LoadWithDefaults(const std::string& path)
{
    std::vector<std::string> names;
    LoadSideList(names, path);
    if (names.empty())
        names = Defaults();
    SetNames(std::move(names));
}

void CHomeNames::SetNames(std::vector<std::string> names)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_names = std::move(names);
}

std::vector<std::string> CHomeNames::Names() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_names;
}

const std::vector<std::string>& CHomeNames::Defaults()
{
    static const std::vector<std::string> defaults = {"start", "index", "default", "content", "contents"};
    return defaults;
}

CHomeNames& TheHomeNames()
{
    static CHomeNames names;
    return names;
}

void LoadArchiveTables(const std::string& pwdPath, const std::string& zhpPath)
{
    ThePasswordTable().Load(pwdPath);
    TheHomeNames().LoadWithDefaults(zhpPath);
}

void LoadArchiveTables()
{
    const SideFiles& files = TheSideFiles();
    LoadArchiveTables(files.pwd, files.zhp);
}
