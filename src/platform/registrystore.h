#pragma once
// A persistent tree of registry-like keys with text and number values, kept in a file.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Key paths look like "HKEY_CURRENT_USER\\Software\\Kestrin's Tools\\Pagora";
// the root may be spelled out or abbreviated (HKCU, HKCR, HKLM), and every part
// is compared without case. An empty value name is the key's default value.
// Each change re-reads the file under a lock and replaces it atomically, so the
// store is safe from any thread and between processes.
class RegistryStore {
public:
    // The store of the program: ProfileFolder()/"registry.ini".
    static RegistryStore& Instance();
    explicit RegistryStore(std::string filePath);

    const std::string& FilePath() const { return m_path; }

    bool CreateKey(const std::string& key);
    bool KeyExists(const std::string& key);
    // Removes the key with all its subkeys and values.
    bool DeleteKey(const std::string& key);
    bool SetString(const std::string& key, const std::string& name, const std::string& value);
    bool SetNumber(const std::string& key, const std::string& name, uint32_t value);
    // nullopt when the key or value is absent or has the other type.
    std::optional<std::string> GetString(const std::string& key, const std::string& name);
    std::optional<uint32_t> GetNumber(const std::string& key, const std::string& name);
    bool DeleteValue(const std::string& key, const std::string& name);
    // Names of the direct subkeys, as spelled when created.
    std::vector<std::string> SubKeys(const std::string& key);
    // Names of the key's values (the default value as "").
    std::vector<std::string> ValueNames(const std::string& key);

    // The canonical form of a key path: root spelled out in upper case, single
    // backslashes, no leading or trailing backslash; empty when the root is unknown.
    static std::string NormalizeKey(const std::string& key);

private:
    // Writes a value in its stored form ("s:" text or "n:" number).
    bool SetStored(const std::string& key, const std::string& name, const std::string& stored);

    std::string m_path;
    std::mutex m_mutex;
};

}  // namespace platform
