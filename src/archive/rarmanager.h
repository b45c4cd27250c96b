#pragma once
// CRarManager: lists and extracts the entries of RAR archives, volume sets and solid archives included.

#include <cstdint>
#include <memory>
#include <string>

#include "archive/rarlibrary.h"
#include "archive/zipmanager.h"

// Keeps the entry list, sorting and selection of CZipManager; only listing
// and extraction differ. Entry names are those of the RAR headers, with "\"
// as separator. Every call opens the archive, works on it and closes it.
class CRarManager : public CZipManager {
public:
    // Reads through TheRarLibrary().
    CRarManager();
    explicit CRarManager(std::shared_ptr<IRarLibrary> library);

    void Open(const std::string& path) override;
    // The name may use "/" or "\" and any case.
    char* Extract(const std::string& entryName, size_t* outSize) override;

    // What the callback keeps for one open handle.
    struct CallbackContext {
        char* buffer = nullptr;
        size_t capacity = 0;
        size_t received = 0;
        bool passwordAsked = false;
        bool noPrompt = false;
        bool collect = false;
    };
    // The one callback of every handle: volume requests, data, passwords.
    static int Callback(unsigned message, void* context, intptr_t p1, intptr_t p2);

private:
    struct PassResult {
        int listed = 0;
        int total = 0;
        bool encrypted = false;  // met encryption the library cannot undo
    };
    // One listing pass; names are recorded (up to `limit`) when `names` is given.
    PassResult ListingPass(const std::string& path, std::vector<std::string>* names, size_t limit);
    // The wanted entry, or nullptr; `encrypted` tells an undecryptable entry.
    char* ExtractOnce(const std::string& path, const std::string& name, size_t* outSize);

    std::shared_ptr<IRarLibrary> m_library;
};

// The insert-disk question for a missing volume, with the whole file name.
std::string RarInsertVolumeText(const std::string& volumeName);

// Case-insensitive comparison of entry names, stepping over the second byte
// of double-byte characters of the locale's code set.
bool RarNamesEqual(const std::string& a, const std::string& b);

// Lets the archive holder create CRarManager for RAR archives. Called once at start-up.
void RegisterRarManager();
