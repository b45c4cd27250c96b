#pragma once
// CPasswordTable: the archive passwords tried in turn, with the process-wide current index.

#include <mutex>
#include <string>
#include <vector>

// The password table. The current index is kept across reloads; an index at
// or beyond the end of a table that shrank is never read but wraps to 0.
// Safe from any thread.
class CPasswordTable {
public:
    // Replaces the passwords with the lines of the file (the index is kept).
    void Load(const std::string& path);
    void SetPasswords(std::vector<std::string> passwords);
    std::vector<std::string> Passwords() const;
    int Size() const;

    // The password at the current index, or "" when the table is empty.
    // A current index outside the table is set to 0 first.
    std::string CurrentPassword();
    int CurrentIndex() const;
    void SetCurrentIndex(int index);
    // Moves the index on by one, wrapping to 0 at the end (an empty table
    // also gives 0), and returns it.
    int Advance();
    // The password at `index`, "" outside the table.
    std::string PasswordAt(int index) const;

private:
    mutable std::mutex m_lock;
    std::vector<std::string> m_passwords;
    int m_index = 0;
};

// The process-wide password table.
CPasswordTable& ThePasswordTable();
