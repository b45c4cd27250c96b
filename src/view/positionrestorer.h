#pragma once
// CPositionRestorer: puts a saved reading position (scroll offsets) back
// into the page it was saved for. The page may still be growing (a long text
// streams in for a minute) and the machine may be busy, so the offsets are
// offered to the page again and again until it reads them back exactly, or,
// once it has finished loading, until they are applied clamped to it.
#include <QElapsedTimer>
#include <QObject>

#include <functional>
#include <optional>
#include <string>
#include <utility>

class CBrowserControl;
class QTimer;

class CPositionRestorer : public QObject {
    Q_OBJECT
public:
    explicit CPositionRestorer(QObject* parent = nullptr);

    // The browser whose pages are restored (a new one after the view made one).
    void SetBrowser(CBrowserControl* browser);

    // The offsets to put back once the page at `target` loads.
    void Expect(const std::string& target, int x, int y);
    // A text page reopened in another style: its place is a character of
    // table `table` (its `offset`-th among the table's text), put on top of
    // the window once the page has laid it out; x,y are the offsets it had
    // before, used when the page has no such character.
    void ExpectSpot(const std::string& target, int x, int y, int table, int offset);
    // Forgets offsets still waiting.
    void Clear();
    // Forgets them and the start point of the settings: a document opened
    // anew starts at its top.
    void Abandon();
    // Whether offsets still wait to be applied.
    bool Pending() const { return m_x != 0 || m_y != 0; }
    // The offsets still waiting for the page at `location`: the reader's
    // position in it, whatever the page shows meanwhile.
    std::optional<std::pair<int, int>> WaitingFor(const std::string& location) const;
    // The browser's offsets when its current load began: the position in the
    // page before it, which the settings still name until the new one loads.
    std::pair<int, int> OffsetsBeforeLoad() const { return m_offsetsBeforeLoad; }
    // Whether the offsets were put back into the page at `location` since
    // its load began: from then on, the page's own offsets are the reader's
    // position, even while it is still loading.
    bool PlacedIn(const std::string& location) const;

    // Events of the browser, passed on by the view.
    void LoadBegun();
    void LoadCompleted(const std::string& location, bool ok);
    // The renderer of `plain` (the page's address as the view knows it) died
    // at x,y; the view loads the page again, and this puts the reader back.
    void RendererDied(const std::string& plain, int x, int y);

private:
    void StartPolling();
    void Tick();
    void Finish();
    // Scrolls to x,y once the document can hold them; `done` gets true once
    // the page reads back exactly those offsets (false: not yet).
    void Place(int x, int y, bool loaded, std::function<void(bool)> done);

    CBrowserControl* m_browser = nullptr;
    std::string m_target;
    int m_x = 0;
    int m_y = 0;
    QTimer* m_timer = nullptr;
    bool m_probe = false;  // a fit-and-scroll question is with the page
    // When the page was last asked whether the offsets fit (see Place).
    QElapsedTimer m_lastFitQuestion;
    std::pair<int, int> m_offsetsBeforeLoad{0, 0};
    std::string m_placedIn;  // the page of this load the offsets were put back into
    // A character to find before the offsets are known (see ExpectSpot).
    bool m_hasSpot = false;
    int m_spotTable = 0;
    int m_spotOffset = 0;
    void FindSpot();
};
