#pragma once
// CArchiveBar: the dockable list of the open archive's entries; picking an
// entry asks the frame to open it, and the current page's entry is selected.
#include <QDockWidget>

#include <string>

class QListWidget;

class CArchiveBar : public QDockWidget {
    Q_OBJECT
public:
    explicit CArchiveBar(QWidget* parent = nullptr);

    // Lists the entries of `archivePath` when it names a ".zip", ".maff" or
    // ".rar" file; otherwise empties the list.
    void Reread(const std::string& archivePath);
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
