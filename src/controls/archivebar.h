#pragma once
// CArchiveBar: the dockable list of the open archive's entries; picking an
// entry asks the frame to open it, and the current page's entry is selected.
#include <QDockWidget>

#include <string>
#include <vector>

class QListWidget;

class CArchiveBar : public QDockWidget {
    Q_OBJECT
public:
    explicit CArchiveBar(QWidget* parent = nullptr);

    // Shows these entry names (the open archive's, as the frame lists them).
    void ShowEntries(const std::vector<std::string>& entries);
    void Empty();
    // Selects the entry a loopback address shows, trying the path as it is and
    // with '/' and '\' swapped; no signal is sent for this selection.
    bool SelectLocation(const std::string& address);
    QListWidget* List() const { return m_list; }

signals:
    // The user picked an entry: its loopback address.
    void EntryChosen(const QString& address);

private:
    QListWidget* m_list;
    bool m_quiet = false;
};
