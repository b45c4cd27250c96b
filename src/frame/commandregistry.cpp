#include "frame/commandregistry.h"

#include <stdexcept>

Command& CCommandRegistry::Add(int id, const std::string& name, const std::string& menuText,
                               const std::string& statusText, std::function<void()> run) {
    if (id <= 0 || name.empty() || !run) throw std::invalid_argument("a command needs a number, a name and a handler");
    if (m_byId.count(id)) throw std::invalid_argument("command number registered twice: " + std::to_string(id));
    if (m_byName.count(name)) throw std::invalid_argument("command name registered twice: " + name);
    Command command;
    command.id = id;
    command.name = name;
    size_t tab = menuText.find('\t');
    command.text = menuText.substr(0, tab);
    if (tab != std::string::npos) command.shortcut = menuText.substr(tab + 1);
    size_t nl = statusText.find('\n');
    command.status = statusText.substr(0, nl);
    command.toolTip = nl == std::string::npos ? statusText : statusText.substr(nl + 1);
    command.run = std::move(run);
    m_byId[id] = m_commands.size();
    m_byName[name] = m_commands.size();
    m_commands.push_back(std::move(command));
    return m_commands.back();
}

const Command* CCommandRegistry::Find(int id) const {
    auto it = m_byId.find(id);
    return it == m_byId.end() ? nullptr : &m_commands[it->second];
}

const Command* CCommandRegistry::Find(const std::string& name) const {
    auto it = m_byName.find(name);
    return it == m_byName.end() ? nullptr : &m_commands[it->second];
}

const Command* CCommandRegistry::FindByKey(const std::string& key) const {
    if (!key.empty() && key.find_first_not_of("0123456789") == std::string::npos && key.size() < 10)
        return Find(std::stoi(key));
    return Find(key);
}

bool CCommandRegistry::Run(int id) const {
    const Command* command = Find(id);
    if (!command || !command->run) return false;
    command->run();
    return true;
}
