#pragma once
// CRarBackendArchive: one open RAR volume set of the real reader, walked header by header.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "archive/archivenamedecoder.h"
#include "archive/rardatareader.h"
#include "archive/rarlibrary.h"

class CRarBackendArchive : public IRarArchive {
public:
    CRarBackendArchive(std::string path, int mode, RarCallback callback, void* context);

    // Scans the first volume; kRarSuccess, or why the archive cannot be read.
    int Open();

    int ReadHeader(RarHeader& header) override;
    int ReadHeaderEx(RarHeaderEx& header) override;
    int ProcessFile(int operation) override;
    void SetCallback(RarCallback callback, void* context) override;
    void SetPassword(const std::string& password) override { m_password = password; }
    int Close() override;

    // The name as the manager sees it: the locale's code set, "\" separators.
    std::string DisplayName(const RarFilePart& part) const;
    // Names that could reach outside a folder (absolute, drive, "..") or are empty.
    static bool IsUnsafeName(const std::string& name);

private:
    int NextPart();
    // Finds the parts that continue the current file in later volumes,
    // loading them; `lastVolume` receives the last volume reached. Fails
    // when a volume is missing or does not continue the file.
    int FindPieces(size_t& lastVolume);
    // FindPieces, then moves the cursor past the parts found.
    int CollectPieces(size_t& lastVolume);
    // Makes the next volume of the set available (asking through the
    // callback when it is missing). False when it cannot be had.
    bool LoadNextVolume();
    bool HasSuccessor(size_t volume) const;
    int AskPassword();

    std::string m_path;
    int m_mode;
    RarCallback m_callback;
    void* m_context;
    std::string m_password;
    std::vector<RarLoadedVolume> m_volumes;
    std::vector<std::pair<uint64_t, uint64_t>> m_volumeIds;  // device and inode of each volume
    bool m_noMoreVolumes = false;
    // The cursor: the next part to read.
    size_t m_vol = 0;
    size_t m_index = 0;
    // The current file header, valid after a successful ReadHeader.
    bool m_haveCurrent = false;
    bool m_processed = false;
    size_t m_curVol = 0;
    size_t m_curIndex = 0;
    uint64_t m_curOrdinal = 0;
    uint64_t m_ordinal = 0;
    bool m_encryptedHeaders = false;
    // Decodes names without a Unicode form, all in the code set detected
    // for those of the first volume; made by Open.
    std::optional<CArchiveNameDecoder> m_names;
};
