#pragma once
// CCommandRegistry: the main window's commands, each registered once by the
// part of the program that carries it out, with its number, stable name,
// texts, shortcut, what it does and, where it has them, its check mark and
// whether it can run now. The menus, the tool bar and scripted runs find
// commands here; a command nobody registered has no place on screen.
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct Command {
    int id = 0;
    std::string name;      // stable, e.g. "file.open"
    std::string text;      // menu text with its '&' mnemonic
    std::string shortcut;  // portable key text ("Ctrl+O", "F11"), or ""
    std::string status;    // prompt in the status bar
    std::string toolTip;
    std::function<void()> run;
    std::function<bool()> checked;  // set for commands with a check mark
    std::function<bool()> enabled;  // unset: always available

    bool Checkable() const { return static_cast<bool>(checked); }
    bool Enabled() const { return !enabled || enabled(); }
    // Chained onto a registration.
    Command& Checks(std::function<bool()> isChecked) {
        checked = std::move(isChecked);
        return *this;
    }
    Command& EnabledWhen(std::function<bool()> isEnabled) {
        enabled = std::move(isEnabled);
        return *this;
    }
};

class CCommandRegistry {
public:
    // `menuText` is the menu text, a tab and the shortcut after it where the
    // command has one; `statusText` the status prompt, "\n" and the tool tip
    // after it (without one the prompt is the tool tip). A number or name
    // registered twice is a mistake in the program: std::invalid_argument.
    Command& Add(int id, const std::string& name, const std::string& menuText, const std::string& statusText,
                 std::function<void()> run);

    const Command* Find(int id) const;
    const Command* Find(const std::string& name) const;
    // A command by its number written out ("32803") or by its name.
    const Command* FindByKey(const std::string& key) const;
    bool Has(const std::string& name) const { return Find(name) != nullptr; }
    // Runs a registered command (whether or not it is enabled); false when
    // there is none of that number.
    bool Run(int id) const;
    // In the order of registration.
    const std::deque<Command>& Commands() const { return m_commands; }

private:
    std::deque<Command> m_commands;  // a deque keeps the references Add hands out
    std::map<int, size_t> m_byId;
    std::map<std::string, size_t> m_byName;
};
