#pragma once
// CRarBackend: the real RAR reader behind IRarLibrary, over our header scanner, libarchive and unarr.

#include "archive/rarlibrary.h"

// Reads RAR 4.x and RAR 5 archives, solid ones and volume sets included.
// Volumes are found from the first one; a missing one is asked for through
// the callback. Encryption is detected but cannot be undone (CanDecrypt is
// false): encrypted files and archives with encrypted headers ask the
// callback for a password once and then fail with kRarMissingPassword.
class CRarBackend : public IRarLibrary {
public:
    std::unique_ptr<IRarArchive> OpenArchive(const std::string& path, int mode, RarCallback callback, void* context,
                                             int* result) override;
    bool CanDecrypt() const override { return false; }
};
