#pragma once
// CLibraryCommands: "缺省书架" (the file list to the default shelf) and
// "书库管理..." (the library dialog).
#include <QObject>

class CCommandRegistry;
class CSideBars;
class QWidget;

class CLibraryCommands : public QObject {
    Q_OBJECT
public:
    CLibraryCommands(QWidget* window, CSideBars* sideBars);
    void RegisterCommands(CCommandRegistry& commands);

private:
    QWidget* m_window;
    CSideBars* m_sideBars;
};
