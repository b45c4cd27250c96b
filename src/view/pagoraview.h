#pragma once
// CPagoraView: the reading surface. It turns every request to show a document
// into a navigation of its browser, reacts to the browser's events, restores
// reading positions (through its CPositionRestorer) and carries out the
// commands on the current page.
#include <QElapsedTimer>
#include <QWidget>

#include <string>
#include <utility>

class CBrowserControl;
class CParaBlock;
class CPositionRestorer;
class CViewAutoScroll;

class CPagoraView : public QWidget {
    Q_OBJECT
public:
    explicit CPagoraView(QWidget* parent = nullptr);
    ~CPagoraView() override;

    // Creation: the first page is "about:blank", waited for, then the
    // display controls are applied.
    void InitialUpdate();

    void OpenFile(const std::string& document);
    void NavigateTo(const std::string& address);
    void OpenPosition(CParaBlock& block);
    void GoHome();
    std::pair<int, int> GetScrollOffsets();
    void ScrollTo(int x, int y);
    void RecreateBrowser();
    // Opens the page on screen again at the offsets it shows now, so that a
    // text is read anew (in the encoding chosen for it since).
    void ReopenAtSamePlace();
    // Opens the page on screen again so that a text converted anew in
    // another style shows the same line on top (its pixel offset changes
    // with the line height and width); other pages as ReopenAtSamePlace.
    void ReopenAtSameLine();
    // Brings the browser in line with the display settings: download flags,
    // the option key's colours, the zoom style sheet and the engine's zoom,
    // the width limit. With `reload` a page shown under zoom is opened again
    // at the place it shows.
    void ApplyDisplayControls(bool reload = false);
    // Places the browser in the view: centred at "PARA_WIDTH_LIMITED" pixels
    // and full height while "PARA_WIDTH_LIMIT_IT" is on, else over all of it.
    void LayoutBrowser();
    // After the download control dialog: the flags computed anew reach the
    // browser and the page loads again under them.
    void ApplyDownloadControls();

    CBrowserControl* Browser() const { return m_browser; }
    // Automatic scrolling of the page (StartAutoScroll, StopAutoScroll, IsAutoScrolling).
    CViewAutoScroll* AutoScroll() const { return m_autoScroll; }
    bool IsComplete() const;
    // Whether saved offsets still wait to be applied to the page.
    bool RestorePending() const;
    std::string Location() const;

    // The program whose window shows text files (the desktop's default when empty).
    static void SetTextViewer(const std::string& program);
    // The module name in "res://" addresses of the program's resources.
    static std::string ResourceModule();

public Q_SLOTS:
    // Asks for a local file to open; "" when the dialog is cancelled.
    std::string ChooseFileToOpen();
    void OnBack();
    void OnForward();
    void OnStop();
    void OnRefresh();
    void OnHome();
    void OnSaveAs();
    void OnPrint();
    void OnPrintPreview();
    void OnPageSetup();
    void OnViewSource();
    void OnViewDecodedSource();
    void OnViewText();
    void OnFolderHome();
    void OnParentFolder();
    void OnArchiveHome();
    void OnArchiveParent();
    void OnWebSearch();
    void OnFind();

Q_SIGNALS:
    // UM_SYNC_LOCATION towards the main window (origin 1: from the view).
    // `origin` is a LocationOrigin (view/locationorigin.h).
    void SyncLocation(const QString& location, int origin);
    void RefreshBars();
    void ArchiveLeft();
    void ArchiveEntered();
    void AddressText(const QString& address);
    void StatusText(const QString& text);
    void TitleText(const QString& title);
    void Progress(int position, int total);
    void CommandState(bool canBack, bool canForward);
    // Emitted after every completed navigation of the top document.
    void DocumentCompleted(const QString& address, bool ok);

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Paints the margins beside a limited page column.
    void paintEvent(QPaintEvent* event) override;

private:
    void CreateBrowser();
    bool OnBeforeNavigate(const std::string& address);
    void OnNavigateComplete(const QString& address, bool ok);
    void OnRendererDied(const QString& address, int x, int y);
    std::string StartAddressOfArchive(const std::string& document);
    // Whether the settings' reading position ("CurrentPath", or
    // "CurPathInZip" inside an archive) names the page at `location`.
    bool NamedBySettings(const std::string& location) const;
    void ShowInTextViewer(const std::string& content);

    CBrowserControl* m_browser = nullptr;
    CPositionRestorer* m_restorer = nullptr;
    CViewAutoScroll* m_autoScroll = nullptr;
    // Renderer deaths in a row without a page completing in between.
    int m_rendererDeaths = 0;
    bool m_justCreated = true;
    bool m_limited = false;
    QElapsedTimer m_lastCompletion;
};
