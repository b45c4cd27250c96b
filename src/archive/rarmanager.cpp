#include "archive/rarmanager.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "settings/parablock.h"
#include "archive/archivekind.h"
#include "archive/archiveprompt.h"
#include "archive/passwordtable.h"
#include "archive/rarencryptednotice.h"
#include "platform/codepage.h"

namespace {

bool IsPasswordFailure(int result, const CRarManager::CallbackContext& ctx)
{
    return (result == kRarBadData || result == kRarMissingPassword) && ctx.passwordAsked;
}

void ShowSolidNotice()
{
    if (IArchivePrompt* prompt = ArchivePrompt())
        prompt->AskPassword(1);
}

std::string FileNameOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string RarInsertVolumeText(const std::string& volumeName)
{
    return "请插入包含 " + volumeName + " 的盘并点“确定”，或点“放弃”退出。";
}

bool RarNamesEqual(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    const bool doubleByte = platform::IsDoubleByteCodeSet();
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (doubleByte && platform::IsLeadByte(x)) {
            // The trail byte may look like an ASCII letter: compare both bytes exactly.
            if (x != y || i + 1 >= a.size() || a[i + 1] != b[i + 1])
                return false;
            ++i;
            continue;
        }
        if (x < 0x80 && y < 0x80 ? std::tolower(x) != std::tolower(y) : x != y)
            return false;
    }
    return true;
}

void RegisterRarManager()
{
    RegisterRarManagerFactory([] { return std::make_unique<CRarManager>(); });
}

CRarManager::CRarManager() : m_library(TheRarLibrary()) {}

CRarManager::CRarManager(std::shared_ptr<IRarLibrary> library)
    : m_library(library ? std::move(library) : TheRarLibrary())
{
}

int CRarManager::Callback(unsigned message, void* context, intptr_t p1, intptr_t p2)
{
    auto* ctx = static_cast<CallbackContext*>(context);
    if (!ctx)
        return -1;
    switch (message) {
    case kRarChangeVolume: {
        if (p2 != kRarVolumeAsk)
            return 0;
        if (!ctx->noPrompt) {
            IArchivePrompt* prompt = ArchivePrompt();
            const char* volume = reinterpret_cast<const char*>(p1);
            if (prompt && volume && prompt->AskInsertVolume(FileNameOf(volume)))
                return 0;
        }
        ctx->passwordAsked = false;
        return -1;
    }
    case kRarProcessData: {
        if (ctx->collect && ctx->buffer && p2 > 0 && static_cast<size_t>(p2) <= ctx->capacity - ctx->received) {
            std::memcpy(ctx->buffer + ctx->received, reinterpret_cast<const void*>(p1), static_cast<size_t>(p2));
            ctx->received += static_cast<size_t>(p2);
        }
        return 0;
    }
    case kRarNeedPassword: {
        ctx->passwordAsked = true;
        char* buffer = reinterpret_cast<char*>(p1);
        if (!buffer || p2 <= 0)
            return -1;
        std::string password = ThePasswordTable().CurrentPassword();
        size_t n = std::min(password.size(), static_cast<size_t>(p2) - 1);
        std::memcpy(buffer, password.data(), n);
        buffer[n] = '\0';
        return 0;
    }
    default:
        return -1;
    }
}

CRarManager::PassResult CRarManager::ListingPass(const std::string& path, std::vector<std::string>* names,
                                                 size_t limit)
{
    PassResult out;
    CallbackContext ctx;
    ctx.noPrompt = names != nullptr;
    int result = kRarSuccess;
    std::unique_ptr<IRarArchive> handle = m_library->OpenArchive(path, kRarOpenList, &Callback, &ctx, &result);
    if (!handle)
        return out;
    RarHeaderEx header;
    bool solid = false;
    auto readFirst = [&]() {
        result = handle->ReadHeaderEx(header);
        solid = result == kRarEndArchive || (result == kRarSuccess && (header.flags & kRarFlagSolid));
    };
    readFirst();
    if (!solid && IsPasswordFailure(result, ctx)) {
        if (!m_library->CanDecrypt()) {
            out.encrypted = true;
            return out;
        }
        bool tried = RunPasswordCycle([&](const std::string&) {
            handle->Close();
            ctx = CallbackContext();  // this time for extraction, volume prompts allowed
            handle = m_library->OpenArchive(path, kRarOpenExtract, &Callback, &ctx, &result);
            if (!handle)
                return PasswordAttempt::Finished;
            readFirst();
            if (!solid && IsPasswordFailure(result, ctx))
                return PasswordAttempt::WrongPassword;
            return PasswordAttempt::Finished;
        });
        if (!tried || !handle)
            return out;
    }
    if (solid) {
        ShowSolidNotice();
        return out;
    }
    while (result == kRarSuccess) {
        if ((header.flags & kRarFlagDirectory) != kRarFlagDirectory) {
            ++out.total;
            const bool locked = (header.flags & kRarFlagEncrypted) && !m_library->CanDecrypt();
            if (locked)
                out.encrypted = true;
            else if (IsViewableName(header.fileName)) {
                ++out.listed;
                if (names && names->size() < limit)
                    names->push_back(header.fileName);
            }
        }
        if (handle->ProcessFile(kRarSkip) != kRarSuccess)
            break;
        result = handle->ReadHeaderEx(header);
    }
    handle->Close();
    return out;
}

void CRarManager::Open(const std::string& path)
{
    Close();
    if (path.empty())
        return;
    PassResult counted = ListingPass(path, nullptr, 0);
    StoreCurrentPath(path);
    std::vector<std::string> names;
    PassResult recorded;
    // Nothing to list: a second pass would only repeat the notices.
    if (counted.listed > 0) {
        names.reserve(static_cast<size_t>(counted.listed));
        recorded = ListingPass(path, &names, static_cast<size_t>(counted.listed));
    }
    if ((counted.encrypted || recorded.encrypted) && RarEncryptedNotice())
        RarEncryptedNotice()->ShowEncryptedRarNotice();
    // A pass that reached fewer files keeps only the names it recorded.
    SetListing(std::move(names), recorded.total);
    if (m_listedCount != 0) {
        Sort();
        m_current = 0;
    } else {
        Close();
    }
}

char* CRarManager::Extract(const std::string& entryName, size_t* outSize)
{
    if (outSize)
        *outSize = 0;
    std::string name = entryName;
    for (char& c : name)
        if (c == '/')
            c = '\\';
    const std::string path = MainParaBlock().GetString(PARA_STR_CURRENT_PATH);
    if (name.empty() || path.empty())
        return nullptr;
    return ExtractOnce(path, name, outSize);
}

char* CRarManager::ExtractOnce(const std::string& path, const std::string& name, size_t* outSize)
{
    char* found = nullptr;
    size_t foundSize = 0;
    // One attempt runs the whole extraction from the opening of the archive;
    // a password failure anywhere makes the cycle try the next password.
    auto attempt = [&](const std::string&) {
        CallbackContext ctx;
        ctx.noPrompt = true;  // a missing volume ends the extraction
        int result = kRarSuccess;
        std::unique_ptr<IRarArchive> handle = m_library->OpenArchive(path, kRarOpenExtract, &Callback, &ctx, &result);
        if (!handle)
            return PasswordAttempt::Finished;
        RarHeader header;
        result = handle->ReadHeader(header);
        while (result == kRarSuccess) {
            if (!RarNamesEqual(header.fileName, name)) {
                result = handle->ProcessFile(kRarSkip);
                if (result != kRarSuccess)
                    break;
                result = handle->ReadHeader(header);
                continue;
            }
            // An empty entry is never found; nor one too large to hold.
            if (header.unpSize == 0 || header.unpSize > kMaxEntrySize)
                break;
            char* buffer = static_cast<char*>(std::malloc(header.unpSize));
            if (!buffer)
                break;
            ctx.buffer = buffer;
            ctx.capacity = header.unpSize;
            ctx.received = 0;
            ctx.collect = true;
            result = handle->ProcessFile(kRarTest);
            ctx.collect = false;
            // Short or damaged data is no page: nothing is handed out.
            if (result != kRarSuccess || ctx.received != header.unpSize) {
                std::free(buffer);
                break;
            }
            found = buffer;
            foundSize = ctx.received;
            handle->Close();
            return PasswordAttempt::Finished;
        }
        handle->Close();
        // A reader that cannot decrypt would fail with every password: the
        // entry is simply not found.
        return IsPasswordFailure(result, ctx) && m_library->CanDecrypt() ? PasswordAttempt::WrongPassword
                                                                         : PasswordAttempt::Finished;
    };
    TryPasswords(attempt);
    if (found && outSize)
        *outSize = foundSize;
    return found;
}
