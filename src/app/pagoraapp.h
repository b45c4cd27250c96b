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

class CPagoraApp : public QApplication {
    Q_OBJECT
public:
    CPagoraApp(int& argc, char** argv);
    ~CPagoraApp() override;

    // Start-up; false when it failed and the program ends.
    bool InitInstance();
    // Shutdown; the exit code to return.
    int ExitInstance(int code);

    CMainFrame* MainFrame() const { return m_frame.get(); }

private:
    void ParseOptions();

    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<CScriptDriver> m_driver;
    std::vector<std::string> m_documentArgs;  // what is left after the options
    std::string m_screenshot;
    std::string m_script;
    std::string m_bookmark;  // --bookmark NAME: the first page is that bookmark
    bool m_reportFirstLoad = false;
};
