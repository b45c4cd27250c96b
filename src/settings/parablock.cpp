#include "settings/parablock.h"

#include <cstdio>

#include "settings/localpath.h"
#include "settings/loopback.h"
#include "platform/inifile.h"

namespace {

struct KeyInfo {
    const char* name;
    int def;
};

const KeyInfo kKeys[PARA_VALUE_COUNT] = {
    {"PARA_STARTPOINT_X", 0},
    {"PARA_STARTPOINT_Y", 0},
    {"PARA_ESC_KEY", 0},
    {"PARA_SAVE_RST", 1},
    {"PARA_USE_MY_BKCOLOR", 0},
    {"PARA_MY_BKCOLOR", 15854564},
    {"PARA_NO_POP_WND", 1},
    {"PARA_ONE_INSTANCE", 1},
    {"PARA_WND_FILTER", 1},
    {"PARA_TXT_WIDTH", 630},
    {"PARA_TXT_BKCOLOR", 15854564},
    {"PARA_TXT_FONT_SIZE", 0},
    {"PAEA_TXT_USE_IE_DEFAULT", 0},
    {"PARA_NO_SCRIPT", 0},
    {"PARA_NO_JAVA", 0},
    {"PARA_NO_ACTIVEX", 0},
    {"PARA_NO_IMAGE", 0},
    {"PARA_NO_SOUND", 0},
    {"PARA_NO_VIDEO", 0},
    {"PARA_INTERNET_TXT_FILE", 0},
    {"PARA_WIDTH_800", 0},
    {"PARA_CLOCK_SHOW", 1},
    {"PARA_CLOCK_RADIUS", 60},
    {"PARA_CLOCK_SHOW_SECOND", 0},
    {"PARA_CLOCK_TRANSPARENCY", 40},
    {"PARA_AlARM_SHOW", 0},
    {"PARA_AlARM_TIME", 0},
    {"PARA_TXT_COLOR", 16777215},
    {"PARA_TXT_LINE_HEIGHT", 150},
    {"PARA_TXT_BOLD", 0},
    {"PARA_TXT_UNDER_LINE", 0},
    {"PARA_TXT_BK_IMAGE", 1},
    {"PARA_ZOOM_PERSENT", 100},
    {"RARA_CAN_ZOOM", 0},
    {"PARA_WIDTH_LIMIT_IT", 0},
    {"PARA_WIDTH_LIMITED", 700},
    {"PARA_WIDTH_LIMITED_BG_COLOR", 0},
    {"PARA_SCROLL_TYPE", 0},
    {"PARA_SCROLL_SMOOTH_SPEED", 1},
    {"PARA_SCROLL_PERIOD", 60},
    {"PARA_SCROLL_PAGE_SPEED", 5},
    {"PARA_SCROLL_SHOW_TIME", 1},
    {"PARA_SHOW_ADDR", 1},
};

const char* const kStringKeys[PARA_STRING_COUNT] = {
    "CurrentDir", "CurrentPath", "CurPathInZip", "Homepage", "BkImage", "PARA_TXT_FONT_NAME",
};

// Plain clamps, applied by Load in this order after the two special cases.
struct Bound {
    int index, low, high;
};
const Bound kBounds[] = {
    {PARA_CLOCK_RADIUS, 30, 200},       {PARA_CLOCK_TRANSPARENCY, 0, 100}, {PARA_TXT_LINE_HEIGHT, 100, 500},
    {PARA_ZOOM_PERSENT, 20, 300},       {PARA_WIDTH_LIMITED, 200, 1000},   {PARA_SCROLL_TYPE, 0, 1},
    {PARA_SCROLL_SMOOTH_SPEED, 1, 5},   {PARA_SCROLL_PERIOD, 1, 3600},     {PARA_SCROLL_PAGE_SPEED, 0, 5},
    {PARA_SCROLL_SHOW_TIME, 0, 1},
};

const size_t kMaxSection = 63;

std::mutex s_hookMutex;
std::function<void(const std::string&)> s_recentHook;

std::string CutSection(const std::string& section) {
    return section.size() > kMaxSection ? section.substr(0, kMaxSection) : section;
}

std::string Decimal(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d", v);
    return buf;
}

bool ValidIndex(int index) { return index >= 0 && index < PARA_VALUE_COUNT; }
bool ValidStringIndex(int index) { return index >= 0 && index < PARA_STRING_COUNT; }

}  // namespace

// ---- CParaStrings ------------------------------------------------------------

void CParaBlock::CParaStrings::SetLocation(const std::string& section, const std::string* iniPath) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_section = CutSection(section);
    m_iniPath = iniPath;
}

void CParaBlock::CParaStrings::Reset(bool positionOnly) {
    std::lock_guard<std::mutex> lock(m_lock);
    int count = positionOnly ? PARA_STR_CUR_PATH_IN_ZIP + 1 : PARA_STRING_COUNT;
    for (int i = 0; i < count; ++i) m_strings[i].clear();
}

void CParaBlock::CParaStrings::Load(const platform::ini::IniDocument& doc) {
    std::lock_guard<std::mutex> lock(m_lock);
    for (int i = 0; i < PARA_STRING_COUNT; ++i)
        m_strings[i] = ExpandStored(doc.GetString(m_section, kStringKeys[i], "", 1023));
}

void CParaBlock::CParaStrings::Save(bool all) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_iniPath) return;
    int count = all ? PARA_STRING_COUNT : PARA_STR_CUR_PATH_IN_ZIP + 1;
    std::vector<std::pair<std::string, std::string>> kv;
    for (int i = 0; i < count; ++i) kv.emplace_back(kStringKeys[i], StoredForm(m_strings[i]));
    platform::ini::WriteStrings(*m_iniPath, m_section, kv);
}

std::string CParaBlock::CParaStrings::Get(int index) {
    std::lock_guard<std::mutex> lock(m_lock);
    return ValidStringIndex(index) ? m_strings[index] : std::string();
}

void CParaBlock::CParaStrings::Set(int index, const std::string& value, bool save) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (!ValidStringIndex(index)) return;
    m_strings[index] = value;
    if (save) WriteLocked(index);
}

void CParaBlock::CParaStrings::WriteLocked(int index) {
    if (m_iniPath) platform::ini::WriteString(*m_iniPath, m_section, kStringKeys[index], StoredForm(m_strings[index]));
}

void CParaBlock::CParaStrings::CopyAll(std::string (&out)[PARA_STRING_COUNT]) {
    std::lock_guard<std::mutex> lock(m_lock);
    for (int i = 0; i < PARA_STRING_COUNT; ++i) out[i] = m_strings[i];
}

bool CParaBlock::CParaStrings::Assign(const std::string (&in)[PARA_STRING_COUNT]) {
    std::lock_guard<std::mutex> lock(m_lock);
    bool same = true;
    for (int i = 0; i < PARA_STRING_COUNT; ++i) {
        if (m_strings[i] != in[i]) {
            same = false;
            m_strings[i] = in[i];
        }
    }
    return same;
}

// ---- CParaBlock -----------------------------------------------------------------

CParaBlock::CParaBlock() { Reset(false); }

CParaBlock::~CParaBlock() = default;

void CParaBlock::SetLocation(const std::string& section, const std::string* iniPath) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_section = CutSection(section);
    m_iniPath = iniPath;
    m_strings.SetLocation(section, iniPath);
}

void CParaBlock::Reset(bool positionOnly) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (positionOnly) {
        m_values[PARA_STARTPOINT_X] = 0;
        m_values[PARA_STARTPOINT_Y] = 0;
    } else {
        for (int i = 0; i < PARA_VALUE_COUNT; ++i) m_values[i] = kKeys[i].def;
    }
    m_strings.Reset(positionOnly);
}

void CParaBlock::Load() {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    platform::ini::IniDocument doc;
    if (m_iniPath) doc = platform::ini::IniDocument::FromFile(*m_iniPath);
    for (int i = 0; i < PARA_VALUE_COUNT; ++i) {
        std::string text = doc.GetString(m_section, kKeys[i].name, "", 511);
        if (!text.empty()) m_values[i] = platform::ini::ParseInt(text);
    }
    m_values[PARA_ONE_INSTANCE] = 1;
    for (int i = 0; i < PARA_VALUE_COUNT; ++i) m_values[i] = BoundValue(i, m_values[i]);
    m_values[PARA_INTERNET_TXT_FILE] = 1;
    m_strings.Load(doc);  // the block and its strings share one binding
}

void CParaBlock::Save() {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (!m_iniPath) return;
    const bool all = IsMainBlock();
    std::vector<std::pair<std::string, std::string>> kv;
    for (int i = 0; i < PARA_VALUE_COUNT; ++i) {
        if (!all && i > PARA_STARTPOINT_Y) break;
        if (i == RARA_CAN_ZOOM) continue;  // a fact of this run, never stored
        kv.emplace_back(kKeys[i].name, Decimal(m_values[i]));
    }
    platform::ini::WriteStrings(*m_iniPath, m_section, kv);
    m_strings.Save(all);
}

int CParaBlock::GetValue(int index) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return ValidIndex(index) ? m_values[index] : 0;
}

void CParaBlock::SetValue(int index, int value, bool save) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (!ValidIndex(index)) return;
    m_values[index] = value;
    if (save) WriteValueLocked(index);
}

void CParaBlock::WriteValueLocked(int index) {
    if (m_iniPath) platform::ini::WriteString(*m_iniPath, m_section, kKeys[index].name, Decimal(m_values[index]));
}

std::string CParaBlock::GetString(int index) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_strings.Get(index);
}

void CParaBlock::SetString(int index, const std::string& value, bool save) {
    std::string recent;
    {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        m_strings.Set(index, value, save);
        if (index == PARA_STR_CURRENT_PATH) {
            m_strings.Set(PARA_STR_CURRENT_DIR, FolderOfDocument(value), false);
            if (IsLocalPath(value)) recent = value;
        }
    }
    // The hook runs outside the block's lock: it may read the block itself.
    if (!recent.empty()) {
        std::function<void(const std::string&)> hook;
        {
            std::lock_guard<std::mutex> lock(s_hookMutex);
            hook = s_recentHook;
        }
        if (hook) hook(recent);
    }
}

bool CParaBlock::CopyFrom(const CParaBlock& other) {
    if (&other == this) return true;
    // Both locks at once, so two blocks copying from each other cannot deadlock.
    std::scoped_lock lock(m_lock, other.m_lock);
    bool same = true;
    for (int i = 0; i < PARA_VALUE_COUNT; ++i) {
        if (m_values[i] != other.m_values[i]) {
            same = false;
            m_values[i] = other.m_values[i];
        }
    }
    std::string strings[PARA_STRING_COUNT];
    other.m_strings.CopyAll(strings);
    if (!m_strings.Assign(strings)) same = false;
    return same;
}

void CParaBlock::CopyLocation(const CParaBlock& other) {
    std::string section;
    const std::string* path;
    {
        std::lock_guard<std::recursive_mutex> lock(other.m_lock);
        section = other.m_section;
        path = other.m_iniPath;
    }
    SetLocation(section, path);
}

std::string CParaBlock::Section() const {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_section;
}

const std::string* CParaBlock::IniPath() const {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_iniPath;
}

bool CParaBlock::IsMainBlock() const { return this == &MainParaBlock(); }

const char* CParaBlock::KeyName(int index) { return ValidIndex(index) ? kKeys[index].name : nullptr; }

const char* CParaBlock::StringKeyName(int index) { return ValidStringIndex(index) ? kStringKeys[index] : nullptr; }

int CParaBlock::DefaultValue(int index) { return ValidIndex(index) ? kKeys[index].def : 0; }

int CParaBlock::BoundValue(int index, int value) {
    switch (index) {
    case PARA_TXT_WIDTH:
        if (value < 50) return 0;
        return value >= 2000 ? 2000 : value;
    case PARA_TXT_FONT_SIZE:
        if (value < 0) return 0;
        return value >= 60 ? 60 : value;
    default:
        for (const Bound& b : kBounds) {
            if (b.index != index) continue;
            if (value < b.low) return b.low;
            if (value > b.high) return b.high;
        }
        return value;
    }
}

std::string CParaBlock::StoredForm(const std::string& value) {
    std::string out = value;
    const std::string base = LoopbackBase();
    if (out.compare(0, base.size(), base) == 0) out = "*/" + out.substr(base.size());
    size_t hash = out.rfind('#');
    if (hash != std::string::npos && ((hash >= 4 && out[hash - 4] == '.') || (hash >= 5 && out[hash - 5] == '.')))
        out.resize(hash);
    return out;
}

std::string CParaBlock::ExpandStored(const std::string& stored) {
    if (stored.compare(0, 2, "*/") == 0) return LoopbackBase() + stored.substr(2);
    return stored;
}

std::string CParaBlock::FolderOfDocument(const std::string& document) {
    return FolderOfPath(AddressToLocalPath(document));
}

// ---- process-wide --------------------------------------------------------------

CParaBlock& MainParaBlock() {
    // Never destroyed: objects torn down at exit may still read settings.
    static CParaBlock* s_main = new CParaBlock;
    return *s_main;
}

void SavePosition(std::function<std::pair<int, int>()> scrollOffsets) {
    CParaBlock& main = MainParaBlock();
    if (main.GetValue(PARA_SAVE_RST) == 0) return;
    CParaBlock copy;
    copy.CopyFrom(main);
    copy.CopyLocation(main);
    if (scrollOffsets) {
        std::pair<int, int> offsets = scrollOffsets();
        copy.SetValue(PARA_STARTPOINT_X, offsets.first, false);
        copy.SetValue(PARA_STARTPOINT_Y, offsets.second, false);
    }
    copy.Save();
}

void SetRecentFileHook(std::function<void(const std::string&)> hook) {
    std::lock_guard<std::mutex> lock(s_hookMutex);
    s_recentHook = std::move(hook);
}
