#include "archive/zipmanager.h"

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <libdeflate.h>
#include <numeric>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include "settings/extensionlists.h"
#include "settings/parablock.h"
#include "archive/archiveprompt.h"
#include "archive/passwordtable.h"

namespace {

bool CollationIsBytewise()
{
    const char* name = std::setlocale(LC_COLLATE, nullptr);
    return !name || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0;
}

// The locale's collation key of a name; comparing keys bytewise gives the
// same order as strcoll, at a fraction of the cost for large lists.
std::string CollationKey(const std::string& name)
{
    size_t need = std::strxfrm(nullptr, name.c_str(), 0);
    std::string key(need + 1, '\0');
    std::strxfrm(key.data(), name.c_str(), key.size());
    key.resize(need);
    return key;
}

struct FileIdentity {
    uint64_t size, inode, device;
    int64_t mtimeNs, ctimeNs;
};

FileIdentity IdentityOf(const struct stat& st)
{
    return {static_cast<uint64_t>(st.st_size), static_cast<uint64_t>(st.st_ino), static_cast<uint64_t>(st.st_dev),
            static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}

// Stored entries from this size on skip libzip's own CRC check (zlib's
// routine, under 2 GB/s) for libdeflate's, several times as fast; smaller ones
// gain too little to pay for the second source this takes.
constexpr uint64_t kQuickStoredMinSize = 64 * 1024;

// Reads `length` bytes of an entry's data from `start` on into `out` through a
// source that covers part of the entry only, on which libzip computes no CRC.
bool ReadEntryPart(zip_t* archive, uint64_t index, uint64_t start, uint64_t length, char* out)
{
    zip_source_t* part = zip_source_zip(archive, archive, index, 0, start, static_cast<zip_int64_t>(length));
    if (!part)
        return false;
    if (zip_source_open(part) < 0) {
        zip_source_free(part);
        return false;
    }
    uint64_t got = 0;
    while (got < length) {
        const zip_int64_t n = zip_source_read(part, out + got, length - got);
        if (n <= 0)
            break;
        got += static_cast<uint64_t>(n);
    }
    zip_source_close(part);
    zip_source_free(part);
    return got == length;
}

// The entry names of an open archive as stored. libzip gives the stored bytes
// with ZIP_FL_ENC_RAW, or the UTF-8 name of a Unicode path field (0x7075)
// whose CRC matches, the field itself being consumed. Its strict reading
// turns undeclared names from CP437 into UTF-8 and leaves names it knows to
// be UTF-8 alone: a name with bytes from 0x80 up that reads the same both
// ways is declared UTF-8.
std::vector<StoredName> StoredNames(zip_t* archive)
{
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    std::vector<StoredName> names(static_cast<size_t>(count > 0 ? count : 0));
    for (size_t i = 0; i < names.size(); ++i) {
        const char* raw = zip_get_name(archive, i, ZIP_FL_ENC_RAW);
        if (!raw) {
            zip_error_clear(archive);
            continue;
        }
        names[i].bytes = raw;
        const bool plain = std::all_of(names[i].bytes.begin(), names[i].bytes.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if (!plain) {
            const char* strict = zip_get_name(archive, i, ZIP_FL_ENC_STRICT);
            names[i].utf8 = strict && std::strcmp(strict, raw) == 0;
        }
    }
    return names;
}

}  // namespace

CZipManager::CZipManager() = default;

CZipManager::~CZipManager()
{
    CloseHandle();
    if (m_inflater)
        libdeflate_free_decompressor(m_inflater);
}

CZipManager::QuickRead CZipManager::ReadPlainEntry(uint64_t index, const zip_stat_t& st, char* out)
{
    const uint64_t needed = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
    if ((st.valid & needed) != needed || st.size == 0)
        return QuickRead::NotTried;
    const size_t size = static_cast<size_t>(st.size);

    if (st.comp_method == ZIP_CM_STORE) {
        if (st.size < kQuickStoredMinSize)
            return QuickRead::NotTried;
        // The entry in two parts, neither of them the whole entry.
        if (st.comp_size != st.size || !ReadEntryPart(m_zip, index, 0, st.size - 1, out) ||
            !ReadEntryPart(m_zip, index, st.size - 1, 1, out + size - 1))
            return QuickRead::Failed;
    } else if (st.comp_method == ZIP_CM_DEFLATE) {
        // The compressed bytes lie within the file, which bounds what a
        // crafted directory can make this allocate.
        if (st.comp_size == 0 || st.comp_size > m_fileSize)
            return QuickRead::Failed;
        if (!m_inflater && !(m_inflater = libdeflate_alloc_decompressor()))
            return QuickRead::NotTried;
        zip_file_t* file = zip_fopen_index(m_zip, index, ZIP_FL_COMPRESSED);
        if (!file) {
            zip_error_clear(m_zip);
            return QuickRead::Failed;
        }
        const size_t packedSize = static_cast<size_t>(st.comp_size);
        std::unique_ptr<char, decltype(&std::free)> packed(static_cast<char*>(std::malloc(packedSize)), &std::free);
        size_t got = 0;
        while (packed && got < packedSize) {
            const zip_int64_t n = zip_fread(file, packed.get() + got, packedSize - got);
            if (n <= 0)
                break;
            got += static_cast<size_t>(n);
        }
        zip_fclose(file);
        // Exactly the declared size must come out: libdeflate reports both a
        // shorter and a longer result as a failure.
        if (got != packedSize ||
            libdeflate_deflate_decompress(m_inflater, packed.get(), packedSize, out, size, nullptr) !=
                LIBDEFLATE_SUCCESS)
            return QuickRead::Failed;
    } else {
        return QuickRead::NotTried;
    }
    return libdeflate_crc32(0, out, size) == st.crc ? QuickRead::Done : QuickRead::Failed;
}

bool CZipManager::IsDirectoryName(const std::string& name)
{
    return !name.empty() && (name.back() == '/' || name.back() == '\\');
}

bool CZipManager::IsViewableName(const std::string& name)
{
    size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    const char* ext = name.c_str() + dot + 1;
    for (const std::string& e : DocumentExtensions()) {
        if (::strcasecmp(ext, e.c_str()) == 0)
            return true;
    }
    return false;
}

int CZipManager::Depth(const std::string& name)
{
    return static_cast<int>(std::count_if(name.begin(), name.end(), [](char c) { return c == '/' || c == '\\'; }));
}

void CZipManager::StoreCurrentPath(const std::string& path)
{
    MainParaBlock().SetString(PARA_STR_CURRENT_PATH, path, true);
}

void CZipManager::Open(const std::string& path)
{
    Close();
    if (path.empty())
        return;
    // Always read the directory afresh: the file may have changed since an
    // earlier extraction kept it open.
    CloseHandle();
    std::vector<std::string> listed;
    int total = 0;
    if (EnsureOpen(path)) {
        for (size_t i = 0; i < m_names.Size(); ++i) {
            const std::string& name = m_names.Readable(i);
            if (name.empty() || IsDirectoryName(name))
                continue;
            ++total;
            if (IsViewableName(name))
                listed.push_back(name);
        }
    }
    StoreCurrentPath(path);
    SetListing(std::move(listed), total);
    if (m_listedCount != 0) {
        Sort();
        m_current = 0;
    } else {
        Close();
    }
}

void CZipManager::SetListing(std::vector<std::string> entries, int totalCount)
{
    m_entries = std::move(entries);
    m_listedCount = static_cast<int>(m_entries.size());
    m_totalCount = totalCount;
    m_current = -1;
}

void CZipManager::ReleaseList()
{
    m_entries.clear();
    m_entries.shrink_to_fit();
    m_listedCount = 0;
    m_totalCount = 0;
    m_current = -1;
}

void CZipManager::Close()
{
    ReleaseList();
    MainParaBlock().SetString(PARA_STR_CUR_PATH_IN_ZIP, std::string(), true);
}

std::string CZipManager::SelectFirst(int* position)
{
    std::string name;
    if (m_current >= 0 && m_current < static_cast<int>(m_entries.size()))
        name = m_entries[m_current];
    MainParaBlock().SetString(PARA_STR_CUR_PATH_IN_ZIP, name, true);
    if (position)
        *position = name.empty() ? m_listedCount : m_current + 1;
    return name;
}

void CZipManager::Sort()
{
    const size_t n = m_entries.size();
    std::vector<int> depth(n);
    std::vector<std::string> keys;
    const bool bytewise = CollationIsBytewise();
    if (!bytewise)
        keys.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        depth[i] = m_sortMode == 1 ? Depth(m_entries[i]) : 0;
        if (!bytewise)
            keys.push_back(CollationKey(m_entries[i]));
    }
    const std::vector<std::string>& order = bytewise ? m_entries : keys;
    std::vector<size_t> index(n);
    std::iota(index.begin(), index.end(), 0);
    std::sort(index.begin(), index.end(), [&](size_t a, size_t b) {
        if (depth[a] != depth[b])
            return depth[a] < depth[b];
        int c = order[a].compare(order[b]);
        if (c != 0)
            return c < 0;
        // Names the collation calls equal still get a fixed order.
        return m_entries[a] < m_entries[b];
    });
    std::vector<std::string> sorted;
    sorted.reserve(n);
    for (size_t i : index)
        sorted.push_back(std::move(m_entries[i]));
    m_entries = std::move(sorted);
    if (m_current >= static_cast<int>(n))
        m_current = -1;
}

void CZipManager::CloseHandle()
{
    m_cache.Clear();
    m_names.Clear();
    if (m_zip) {
        zip_discard(m_zip);
        m_zip = nullptr;
    }
    m_openPath.clear();
}

bool CZipManager::EnsureOpen(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        CloseHandle();
        return false;
    }
    FileIdentity now = IdentityOf(st);
    if (m_zip && path == m_openPath && now.size == m_fileSize && now.inode == m_fileInode &&
        now.device == m_fileDevice && now.mtimeNs == m_fileMtimeNs && now.ctimeNs == m_fileCtimeNs)
        return true;

    CloseHandle();
    // Opening the descriptor first and taking the identity from it ties the
    // identity to exactly the file that libzip reads.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    int error = 0;
    zip_t* archive = zip_fdopen(fd, ZIP_RDONLY, &error);
    if (!archive) {
        ::close(fd);
        return false;
    }
    now = IdentityOf(st);
    m_zip = archive;
    m_openPath = path;
    m_fileSize = now.size;
    m_fileInode = now.inode;
    m_fileDevice = now.device;
    m_fileMtimeNs = now.mtimeNs;
    m_fileCtimeNs = now.ctimeNs;

    m_names.Build(StoredNames(m_zip));
    return true;
}

char* CZipManager::Extract(const std::string& entryName, size_t* outSize)
{
    if (outSize)
        *outSize = 0;
    if (entryName.empty())
        return nullptr;
    std::string path = MainParaBlock().GetString(PARA_STR_CURRENT_PATH);
    if (path.empty() || !EnsureOpen(path))
        return nullptr;
    // Names are matched exactly, byte for byte, as shown or as stored; an
    // entry stored with a leading backslash is found without it too.
    for (const std::string& name : {entryName, "\\" + entryName}) {
        uint64_t index = 0;
        if (!m_names.Find(name, &index))
            continue;
        size_t cachedSize = 0;
        if (char* buffer = m_cache.Find(index, &cachedSize)) {
            if (outSize)
                *outSize = cachedSize;
            return buffer;
        }
        if (char* buffer = ExtractIndex(index, outSize))
            return buffer;
    }
    return nullptr;
}

char* CZipManager::ExtractIndex(uint64_t index, size_t* outSize)
{
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(m_zip, index, ZIP_FL_ENC_RAW, &st) != 0)
        return nullptr;
    if ((st.valid & ZIP_STAT_NAME) && IsDirectoryName(st.name))
        return nullptr;
    if (!(st.valid & ZIP_STAT_SIZE) || st.size > kMaxEntrySize)
        return nullptr;
    const bool encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;

    char* buffer = nullptr;
    size_t size = 0;
    auto attempt = [&](const std::string& password) { return ReadEntry(index, password, &buffer, &size); };
    if (encrypted) {
        if (!TryPasswords(attempt))
            return nullptr;
    } else {
        attempt(std::string());
        // Only entries that need no password are kept: a decrypted entry is
        // read again with whatever password holds at the time.
        if (buffer)
            m_cache.Insert(index, buffer, size);
    }
    if (buffer && outSize)
        *outSize = size;
    return buffer;
}

CZipManager::PasswordAttempt CZipManager::ReadEntry(uint64_t index, const std::string& password, char** out,
                                                    size_t* outSize)
{
    *out = nullptr;
    *outSize = 0;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(m_zip, index, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) || st.size > kMaxEntrySize)
        return PasswordAttempt::Finished;
    const bool encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
    const bool aes = encrypted && st.encryption_method != ZIP_EM_TRAD_PKWARE;
    // Methods this libzip cannot read are refused before opening: its open
    // leaks memory on that failure.
    if ((encrypted && !zip_encryption_method_supported(st.encryption_method, 0)) ||
        ((st.valid & ZIP_STAT_COMP_METHOD) && !zip_compression_method_supported(st.comp_method, 0)))
        return PasswordAttempt::Finished;

    if (!encrypted) {
        char* buffer = static_cast<char*>(std::malloc(st.size ? static_cast<size_t>(st.size) : 1));
        if (!buffer)
            return PasswordAttempt::Finished;
        const QuickRead quick = ReadPlainEntry(index, st, buffer);
        if (quick == QuickRead::Done) {
            *out = buffer;
            *outSize = static_cast<size_t>(st.size);
        }
        if (quick != QuickRead::NotTried) {
            if (quick == QuickRead::Failed)
                std::free(buffer);
            return PasswordAttempt::Finished;
        }
        std::free(buffer);
    }

    zip_file_t* file = encrypted ? zip_fopen_index_encrypted(m_zip, index, 0, password.c_str())
                                  : zip_fopen_index(m_zip, index, 0);
    if (!file) {
        int code = zip_error_code_zip(zip_get_error(m_zip));
        zip_error_clear(m_zip);
        if (encrypted && (code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_NOPASSWD))
            return PasswordAttempt::WrongPassword;
        return PasswordAttempt::Finished;
    }

    const size_t size = static_cast<size_t>(st.size);
    char* buffer = static_cast<char*>(std::malloc(size ? size : 1));
    if (!buffer) {
        zip_fclose(file);
        return PasswordAttempt::Finished;
    }
    size_t got = 0;
    bool failed = false;
    while (got < size) {
        zip_int64_t n = zip_fread(file, buffer + got, size - got);
        if (n <= 0) {
            failed = true;
            break;
        }
        got += static_cast<size_t>(n);
    }
    if (!failed) {
        // The data must end where the directory says it does.
        char extra;
        if (zip_fread(file, &extra, 1) != 0)
            failed = true;
    }
    int code = failed ? zip_error_code_zip(zip_file_get_error(file)) : ZIP_ER_OK;
    zip_fclose(file);

    if (failed && aes && got == size && code == ZIP_ER_CRC && (st.valid & ZIP_STAT_CRC) && st.crc == 0) {
        // AES entries of the AE-2 kind store no CRC; this libzip checks one
        // anyway and reports a mismatch after delivering all the data.
        failed = false;
    }
    if (failed) {
        std::free(buffer);
        // Traditional encryption checks a password against one byte only, so
        // a wrong one often passes the open and surfaces as bad data.
        if (encrypted && (code == ZIP_ER_ZLIB || code == ZIP_ER_CRC || code == ZIP_ER_WRONGPASSWD))
            return PasswordAttempt::WrongPassword;
        return PasswordAttempt::Finished;
    }
    *out = buffer;
    *outSize = size;
    return PasswordAttempt::Finished;
}

bool CZipManager::TryPasswords(const std::function<PasswordAttempt(const std::string&)>& attempt)
{
    if (attempt(ThePasswordTable().CurrentPassword()) == PasswordAttempt::Finished)
        return true;
    return RunPasswordCycle(attempt);
}

bool CZipManager::RunPasswordCycle(const std::function<PasswordAttempt(const std::string&)>& attempt)
{
    CPasswordTable& table = ThePasswordTable();
    table.CurrentPassword();  // brings an index left beyond a shrunk table back to 0
    int start = table.CurrentIndex();
    for (;;) {
        // A table that shrank meanwhile must not leave the start out of reach.
        if (start >= table.Size())
            start = 0;
        int index = table.Advance();
        if (index == start) {
            IArchivePrompt* prompt = ArchivePrompt();
            if (!prompt || prompt->AskPassword(0) != kArchivePromptOk)
                return false;
        }
        if (attempt(table.CurrentPassword()) == PasswordAttempt::Finished)
            return true;
    }
}
