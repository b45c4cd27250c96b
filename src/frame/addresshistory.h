#pragma once
// CAddressHistory: what the address bar offers. Its drop-down list gets every
// address entered with Enter appended at the end, repeats included; completion
// draws on the typed addresses (most recent first, kept across runs in the
// registry store's typed-address list, as the system keeps it) and on the
// addresses reached in this run (most recent first).
#include <string>
#include <vector>

namespace platform {
class RegistryStore;
}

class CAddressHistory {
public:
    // The system's typed-address list holds 25 entries, "url1" the newest.
    static constexpr size_t kTypedLimit = 25;
    static constexpr size_t kVisitedLimit = 500;
    static const char* TypedKey();

    // Reads the typed addresses from the store (empty store: none).
    void Load(platform::RegistryStore& store);
    // Enter: appends to the drop-down list and moves the text to the front of
    // the typed addresses, which are written to the store at once.
    void Entered(const std::string& text, platform::RegistryStore* store);
    // A page was reached; `address` as the address bar shows it.
    void Reached(const std::string& address);

    const std::vector<std::string>& DropDown() const { return m_dropDown; }
    const std::vector<std::string>& Typed() const { return m_typed; }
    const std::vector<std::string>& Visited() const { return m_visited; }

    // Completions for what has been typed so far: typed addresses first, then
    // reached ones, each once. An address matches when it, or its form without
    // the scheme ("http://", "https://", "file://") and a leading "www.",
    // begins with `prefix` (case ignored). An empty prefix matches nothing.
    std::vector<std::string> Completions(const std::string& prefix) const;

private:
    std::vector<std::string> m_dropDown;
    std::vector<std::string> m_typed;
    std::vector<std::string> m_visited;
};
