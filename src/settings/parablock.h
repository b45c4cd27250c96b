#pragma once
// CParaBlock: the reader's options and reading position, written key by key to an INI section.

#include <functional>
#include <mutex>
#include <string>
#include <utility>

namespace platform::ini {
class IniDocument;
}

// Indexes of the integer keys; each name is the key as stored in the INI file.
enum ParaKey : int {
    PARA_STARTPOINT_X = 0,
    PARA_STARTPOINT_Y = 1,
    PARA_ESC_KEY = 2,
    PARA_SAVE_RST = 3,
    PARA_USE_MY_BKCOLOR = 4,
    PARA_MY_BKCOLOR = 5,
    PARA_NO_POP_WND = 6,
    PARA_ONE_INSTANCE = 7,
    PARA_WND_FILTER = 8,
    PARA_TXT_WIDTH = 9,
    PARA_TXT_BKCOLOR = 10,
    PARA_TXT_FONT_SIZE = 11,
    PAEA_TXT_USE_IE_DEFAULT = 12,
    PARA_NO_SCRIPT = 13,
    PARA_NO_JAVA = 14,
    PARA_NO_ACTIVEX = 15,
    PARA_NO_IMAGE = 16,
    PARA_NO_SOUND = 17,
    PARA_NO_VIDEO = 18,
    PARA_INTERNET_TXT_FILE = 19,
    PARA_WIDTH_800 = 20,
    PARA_CLOCK_SHOW = 21,
    PARA_CLOCK_RADIUS = 22,
    PARA_CLOCK_SHOW_SECOND = 23,
    PARA_CLOCK_TRANSPARENCY = 24,
    PARA_AlARM_SHOW = 25,
    PARA_AlARM_TIME = 26,
    PARA_TXT_COLOR = 27,
    PARA_TXT_LINE_HEIGHT = 28,
    PARA_TXT_BOLD = 29,
    PARA_TXT_UNDER_LINE = 30,
    PARA_TXT_BK_IMAGE = 31,
    PARA_ZOOM_PERSENT = 32,
    RARA_CAN_ZOOM = 33,
    PARA_WIDTH_LIMIT_IT = 34,
    PARA_WIDTH_LIMITED = 35,
    PARA_WIDTH_LIMITED_BG_COLOR = 36,
    PARA_SCROLL_TYPE = 37,
    PARA_SCROLL_SMOOTH_SPEED = 38,
    PARA_SCROLL_PERIOD = 39,
    PARA_SCROLL_PAGE_SPEED = 40,
    PARA_SCROLL_SHOW_TIME = 41,
    PARA_SHOW_ADDR = 42,
    PARA_VALUE_COUNT = 43
};

// Indexes of the string keys ("CurrentDir", "CurrentPath", "CurPathInZip",
// "Homepage", "BkImage", "PARA_TXT_FONT_NAME").
enum ParaStringKey : int {
    PARA_STR_CURRENT_DIR = 0,
    PARA_STR_CURRENT_PATH = 1,
    PARA_STR_CUR_PATH_IN_ZIP = 2,
    PARA_STR_HOMEPAGE = 3,
    PARA_STR_BK_IMAGE = 4,
    PARA_STR_TXT_FONT_NAME = 5,
    PARA_STRING_COUNT = 6
};

// The section of the INI file that holds the main block.
inline constexpr const char* kParaBlockSection = "ParaBlock";

// Holds 43 integer and 6 string settings bound to one INI section. The main
// block keeps every option; other instances are reading-position records
// (bookmarks). Every operation takes the block's lock and is safe from any thread.
class CParaBlock {
public:
    using enum ParaKey;
    using enum ParaStringKey;

    CParaBlock();  // fully reset, unbound
    CParaBlock(const CParaBlock&) = delete;
    CParaBlock& operator=(const CParaBlock&) = delete;
    ~CParaBlock();

    // Binds the block to `section` (cut to 63 bytes) of the INI file `iniPath`.
    // The path is not copied: the caller's string must outlive the binding.
    void SetLocation(const std::string& section, const std::string* iniPath);
    // Full reset: every default, strings empty. Position reset: values 0 and 1
    // and strings 0 to 2 only.
    void Reset(bool positionOnly);
    // Reads the block from its section, bounding values as the key table says.
    void Load();
    // Writes the block: all keys for the main block, the position keys otherwise.
    void Save();

    int GetValue(int index);
    // Stores the value unbounded; with `save` writes that key at once.
    void SetValue(int index, int value, bool save);
    std::string GetString(int index);
    // Stores the string; with `save` writes it at once in its stored form.
    // Setting "CurrentPath" also sets "CurrentDir" (in memory) and reports a
    // local path to the recent-file hook.
    void SetString(int index, const std::string& value, bool save);

    // Copies all values and strings of `other`; true when nothing differed.
    // Takes this block's lock, then the other's.
    bool CopyFrom(const CParaBlock& other);
    // Takes over the section and INI path of `other`.
    void CopyLocation(const CParaBlock& other);

    std::string Section() const;
    const std::string* IniPath() const;

    // Key names and defaults, shared with the text filter library's reader.
    static const char* KeyName(int index);        // nullptr when out of range
    static const char* StringKeyName(int index);  // nullptr when out of range
    static int DefaultValue(int index);           // 0 when out of range
    // Applies the load bounds of the key table to one value.
    static int BoundValue(int index, int value);

    // The stored form of a string: the loopback base replaced by "*/", a
    // fragment behind a three- or four-letter extension cut off.
    static std::string StoredForm(const std::string& value);
    // The inverse for loading: a leading "*/" becomes the current loopback base.
    static std::string ExpandStored(const std::string& stored);
    // The folder of a document for "CurrentDir": its local path up to the last
    // '/', the root "/" kept as a root; empty when it has no local path or folder.
    static std::string FolderOfDocument(const std::string& document);

private:
    // The six strings with their own binding and lock.
    class CParaStrings {
    public:
        void SetLocation(const std::string& section, const std::string* iniPath);
        void Reset(bool positionOnly);
        void Load(const platform::ini::IniDocument& doc);
        void Save(bool all);
        std::string Get(int index);
        void Set(int index, const std::string& value, bool save);
        void CopyAll(std::string (&out)[PARA_STRING_COUNT]);
        bool Assign(const std::string (&in)[PARA_STRING_COUNT]);  // true when nothing changed

    private:
        void WriteLocked(int index);
        std::mutex m_lock;
        std::string m_strings[PARA_STRING_COUNT];
        std::string m_section;
        const std::string* m_iniPath = nullptr;
    };

    bool IsMainBlock() const;
    void WriteValueLocked(int index);

    mutable CParaStrings m_strings;
    int m_values[PARA_VALUE_COUNT];
    std::string m_section;
    const std::string* m_iniPath = nullptr;
    mutable std::recursive_mutex m_lock;
};

// The process-wide main block, fully reset until start-up binds and loads it.
CParaBlock& MainParaBlock();

// Saves the reading position of the main block when "PARA_SAVE_RST" is on:
// a copy of the main block gets the scroll offsets from `scrollOffsets` and
// writes only the position keys into the main block's section.
void SavePosition(std::function<std::pair<int, int>()> scrollOffsets);

// Called with the local path whenever "CurrentPath" is set to one (the
// application adds it to its recent-document list). Empty function: none.
void SetRecentFileHook(std::function<void(const std::string&)> hook);
