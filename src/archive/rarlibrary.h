#pragma once
// The small RAR reading interface CRarManager works through: open, read headers, skip or test files, one callback.

#include <cstdint>
#include <memory>
#include <string>

// Results of the library operations. The manager steers its password cycle
// by kRarBadData and kRarMissingPassword.
enum RarResult : int {
    kRarSuccess = 0,
    kRarEndArchive = 10,
    kRarNoMemory = 11,
    kRarBadData = 12,
    kRarBadArchive = 13,
    kRarUnknownFormat = 14,
    kRarOpenFailed = 15,
    kRarReadFailed = 18,
    kRarMissingPassword = 22,
};

enum RarOpenMode : int { kRarOpenList = 0, kRarOpenExtract = 1 };
enum RarOperation : int { kRarSkip = 0, kRarTest = 1 };

// Messages of the callback and their parameters:
//  kRarChangeVolume: p1 = const char* volume path, p2 = kRarVolumeAsk (the
//    volume is missing: return 0 to look again, -1 to give up) or
//    kRarVolumeNotify (the next volume is being opened: return 0);
//  kRarProcessData: p1 = const unsigned char* block, p2 = its length;
//  kRarNeedPassword: p1 = char* buffer, p2 = its size; copy the password
//    (zero-terminated) into it and return 0, or -1 for none.
enum RarCallbackMessage : unsigned { kRarChangeVolume = 0, kRarProcessData = 1, kRarNeedPassword = 2 };
enum RarVolumeRequest : int { kRarVolumeAsk = 0, kRarVolumeNotify = 1 };
using RarCallback = int (*)(unsigned message, void* context, intptr_t p1, intptr_t p2);

// File header flags as the library reports them, for both archive versions.
enum RarHeaderFlags : unsigned {
    kRarFlagSplitBefore = 0x01,  // continues a file of the previous volume
    kRarFlagSplitAfter = 0x02,   // continues in the next volume
    kRarFlagEncrypted = 0x04,
    kRarFlagSolid = 0x10,        // data depends on earlier files
    kRarFlagDirectory = 0xE0,    // all three bits set: a directory
};

// The short header form.
struct RarHeader {
    std::string fileName;  // in the locale's code set, "\" as separator
    unsigned flags = 0;
    uint32_t packSize = 0;
    uint32_t unpSize = 0;
    uint32_t fileCrc = 0;
};

// The extended header form: adds the high halves of the sizes and the
// version and method of the entry.
struct RarHeaderEx : RarHeader {
    uint32_t packSizeHigh = 0;
    uint32_t unpSizeHigh = 0;
    unsigned unpVer = 0;     // 29 and below: the 4.x format; 50: the 5 format
    unsigned method = 0;     // 0x30 (4.x) or 0 (5): stored
};

// One open archive (a whole volume set), read front to back.
class IRarArchive {
public:
    virtual ~IRarArchive() = default;
    // Moves to the next file header; kRarEndArchive after the last one.
    virtual int ReadHeader(RarHeader& header) = 0;
    virtual int ReadHeaderEx(RarHeaderEx& header) = 0;
    // Skips the current file, or tests it: its data passes through the
    // callback (kRarProcessData) and is checked.
    virtual int ProcessFile(int operation) = 0;
    virtual void SetCallback(RarCallback callback, void* context) = 0;
    virtual void SetPassword(const std::string& password) = 0;
    virtual int Close() = 0;
};

// Opens archives. `result` receives kRarSuccess or the reason of a failure
// (then nullptr is returned).
class IRarLibrary {
public:
    virtual ~IRarLibrary() = default;
    virtual std::unique_ptr<IRarArchive> OpenArchive(const std::string& path, int mode, RarCallback callback,
                                                     void* context, int* result) = 0;
    // False for a reader that detects encryption but cannot decrypt: the
    // manager then tells the user once instead of cycling through passwords.
    virtual bool CanDecrypt() const = 0;
};

// The library used by managers made without one of their own: the real
// reader unless a test replaced it. Set from one thread before use.
std::shared_ptr<IRarLibrary> TheRarLibrary();
void SetRarLibrary(std::shared_ptr<IRarLibrary> library);
