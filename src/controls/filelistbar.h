#pragma once
// CFileListBar: the dockable browser of the current folder's supported
// files; picking a file asks the frame to open it, and the current document
// is selected as the reader moves on.
#include <QDockWidget>

#include <string>

class QFileSystemModel;
class QTreeView;

class CFileListBar : public QDockWidget {
    Q_OBJECT
public:
    explicit CFileListBar(QWidget* parent = nullptr);

    // Shows this folder (when it exists).
    void ShowFolder(const QString& folder);
    // Selects the document (a local path or file: address) in its folder;
    // no signal is sent for this selection.
    bool SelectLocation(const std::string& location);
    QString Folder() const;
    QString SelectedPath() const;
    // Selects the file of that name in the shown folder as a user would.
    bool Pick(const QString& name);

signals:
    // The user picked an existing file (never a folder), different from the
    // last one reported.
    void FileChosen(const QString& path);

private:
    void OnCurrentChanged();

    QFileSystemModel* m_model;
    QTreeView* m_tree;
    QString m_lastPosted;
    bool m_quiet = false;
};
