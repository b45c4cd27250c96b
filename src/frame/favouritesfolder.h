#pragma once
// CFavouritesFolder: reads a folder tree of ".url" internet shortcuts into
// the favourites menu's shape (sub-folders first, then files, each sorted
// ignoring case) with one running index per address.
#include <string>
#include <vector>

class CFavouritesFolder {
public:
    // The frame handles item identifiers 3328..4095.
    static constexpr int kFirstId = 3328;
    static constexpr int kLastId = 4095;

    struct Item {
        std::string title;
        int index = 0;  // into Addresses(); item identifier kFirstId + index
    };
    struct Menu {
        std::string title;
        std::vector<Menu> folders;  // only folders that received at least one item
        std::vector<Item> items;
    };

    // Scans `folder` recursively; a missing folder gives an empty menu.
    void Load(const std::string& folder);
    const Menu& Root() const { return m_root; }
    const std::vector<std::string>& Addresses() const { return m_addresses; }
    // The address of item identifier `id`; empty when out of range.
    std::string AddressOf(int id) const;

    // The folder to read: the registry store's "Favorites" shell folder
    // (environment variables expanded) when set, else
    // $XDG_DATA_HOME/Pagora/Favorites (~/.local/share when unset).
    static std::string DefaultFolder();
    // Writes the internet shortcut "<folder>/<title>.url" for `address`,
    // creating the folder when needed; '/' and control characters in the
    // title become '_'. Returns the file's path, empty when the title is
    // blank or the file cannot be written.
    static std::string WriteShortcut(const std::string& folder, const std::string& title, const std::string& address);
    // Expands $NAME, ${NAME} and %NAME% from the environment.
    static std::string ExpandEnvironment(const std::string& text);

private:
    bool Fill(const std::string& folder, Menu& menu, int depth);

    Menu m_root;
    std::vector<std::string> m_addresses;
};
