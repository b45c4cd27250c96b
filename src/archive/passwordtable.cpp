#include "archive/passwordtable.h"

#include "archive/sidelist.h"

void CPasswordTable::Load(const std::string& path)
{
    std::vector<std::string> passwords;
    LoadSideList(passwords, path);
    SetPasswords(std::move(passwords));
}

void CPasswordTable::SetPasswords(std::vector<std::string> passwords)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_passwords = std::move(passwords);
}

std::vector<std::string> CPasswordTable::Passwords() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_passwords;
}

int CPasswordTable::Size() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return static_cast<int>(m_passwords.size());
}

std::string CPasswordTable::CurrentPassword()
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_index < 0 || m_index >= static_cast<int>(m_passwords.size()))
        m_index = 0;
    return m_passwords.empty() ? std::string() : m_passwords[m_index];
}

int CPasswordTable::CurrentIndex() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_index;
}

void CPasswordTable::SetCurrentIndex(int index)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_index = index;
}

int CPasswordTable::Advance()
{
    std::lock_guard<std::mutex> guard(m_lock);
    ++m_index;
    if (m_index < 0 || m_index >= static_cast<int>(m_passwords.size()))
        m_index = 0;
    return m_index;
}

std::string CPasswordTable::PasswordAt(int index) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (index < 0 || index >= static_cast<int>(m_passwords.size()))
        return std::string();
    return m_passwords[index];
}

CPasswordTable& ThePasswordTable()
{
    static CPasswordTable table;
    return table;
}
