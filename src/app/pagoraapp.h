#pragma once
// CPagoraApp: the application object; it runs start-up and shutdown in their
// order around the main window and carries the command-line options of runs
// without a user (screenshots, scripted checks).
#include <QApplication>

#include <memory>
#include <string>
#include <vector>

class CMainFrame;
class CScriptDriver;
class CSingleInstance;

class CPagoraApp : public QApplication {
    Q_OBJECT
public:
    CPagoraApp(int& argc, char** argv);
    ~CPagoraApp() override;

    // A reader of the same profile folder already runs: it is handed this
    // run's document and comes to the front; true when it took it (this
    // run then ends at once). Scripted runs never hand over, unless
    // --hand-over-only asks for nothing else.
    bool HandOverToRunningReader();
    // --hand-over-only: the run ends after trying to hand over.
    bool HandOverOnly() const { return m_handOverOnly; }
    // Start-up; false when it failed and the program ends.
    bool InitInstance();
    // Shutdown; the exit code to return.
    int ExitInstance(int code);

    CMainFrame* MainFrame() const { return m_frame.get(); }

private:
    void ParseOptions();
    void UseDesktopIcons();
    void ListenForLaterReaders();

    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<CScriptDriver> m_driver;
    CSingleInstance* m_instance = nullptr;
    std::vector<std::string> m_documentArgs;  // what is left after the options
    std::string m_screenshot;
    std::string m_script;
    std::string m_bookmark;  // --bookmark NAME: the first page is that bookmark
    bool m_reportFirstLoad = false;
    bool m_handOverOnly = false;
};
