#pragma once
// CSideBars: the dock bars beside the view, "文件列表" (the files of the
// current folder) and "压缩文件内容" (the entries of the open archive): made
// when first shown, toggled by their commands, the archive bar shown only
// while an archive is open, and both placed as the saved bar layout says.
#include <QObject>

class CArchiveBar;
class CCommandRegistry;
class CFileListBar;
class CPagoraView;
class QMainWindow;

class CSideBars : public QObject {
    Q_OBJECT
public:
    CSideBars(QMainWindow* window, CPagoraView* view);
    void RegisterCommands(CCommandRegistry& commands);

    // nullptr until first shown (or named by the saved layout).
    CFileListBar* FileList() const { return m_fileList; }
    CArchiveBar* ArchiveBar() const { return m_archiveBar; }
    bool FileListShown() const;
    bool ArchiveBarShown() const;

    // Opens the file list if hidden and shows that folder in it.
    void ShowFileListAt(const QString& folder);
    // The view left an archive: the archive bar is emptied and hidden, and
    // comes back with the next archive if it was shown.
    void LeaveArchive();
    void EnterArchive();
    // Places the bars as a saved window layout says, making those it names
    // first; false (and nothing changed) when the layout is unusable.
    bool RestoreLayout(const QByteArray& state);

signals:
    // A file or an archive entry picked in a bar (origin: CLocationSync's).
    void LocationChosen(const QString& location, int origin);
    // A bar was shown or hidden.
    void Changed();

private:
    void CreateFileList();
    void CreateArchiveBar();
    void ToggleFileList();
    void ToggleArchiveBar();
    void LocateFile();

    QMainWindow* m_window;
    CPagoraView* m_view;
    CFileListBar* m_fileList = nullptr;
    CArchiveBar* m_archiveBar = nullptr;
    bool m_archiveBarWanted = false;  // shown when the reader left the last archive
};
