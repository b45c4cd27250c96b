#include "view/positionrestorer.h"

#include <QPointer>
#include <QSizeF>
#include <QTimer>

#include <chrono>
#include <cstdio>

#include "settings/parablock.h"
#include "view/browsercontrol.h"
#include "view/messagebox.h"
#include "view/navigationrules.h"
#include "view/pagescripts.h"

CPositionRestorer::CPositionRestorer(QObject* parent) : QObject(parent) {
    m_timer = new QTimer(this);
    m_timer->setInterval(50);
    connect(m_timer, &QTimer::timeout, this, &CPositionRestorer::Tick);
}

void CPositionRestorer::SetBrowser(CBrowserControl* browser) {
    m_browser = browser;
    // A new browser has not been asked anything yet.
    m_lastFitQuestion.invalidate();
}

void CPositionRestorer::Expect(const std::string& target, int x, int y) {
    m_target = target;
    m_x = x;
    m_y = y;
}

void CPositionRestorer::ExpectSpot(const std::string& target, int x, int y, int table, int offset) {
    Expect(target, x, y);
    m_hasSpot = Pending() && table >= 0 && offset >= 0;
    m_spotTable = table;
    m_spotOffset = offset;
}

void CPositionRestorer::Clear() {
    m_hasSpot = false;
    m_x = m_y = 0;
    m_timer->stop();
}

void CPositionRestorer::Abandon() {
    Clear();
    CParaBlock& b = MainParaBlock();
    b.SetValue(PARA_STARTPOINT_X, 0, true);
    b.SetValue(PARA_STARTPOINT_Y, 0, true);
}

std::optional<std::pair<int, int>> CPositionRestorer::WaitingFor(const std::string& location) const {
    if (Pending() && navrules::SameDocument(location, m_target)) return std::make_pair(m_x, m_y);
    return std::nullopt;
}

bool CPositionRestorer::PlacedIn(const std::string& location) const {
    return !m_placedIn.empty() && navrules::SameDocument(location, m_placedIn);
}

void CPositionRestorer::LoadBegun() {
    m_placedIn.clear();
    // Until the new page has loaded, the settings still name the page shown
    // before it: its offsets are the reading position meanwhile. The saved
    // offsets are applied as soon as the growing document can hold them, not
    // only when it is complete.
    m_offsetsBeforeLoad = m_browser->ScrollOffsets();
    if (Pending()) StartPolling();
}

void CPositionRestorer::LoadCompleted(const std::string& location, bool ok) {
    // A refused navigation (plain text taken over by the private scheme)
    // ends with a failure under the same address: the restore waits for the real load.
    // On a finished page the offsets are applied even when the page has
    // become shorter; a converted text may first need the heights of the
    // tables above them, which the restore ticks lay out.
    if (ok && Pending() && navrules::SameDocument(location, m_target)) {
        StartPolling();
        Tick();
    }
}

void CPositionRestorer::RendererDied(const std::string& plain, int x, int y) {
    // A restore still waiting keeps its offsets; otherwise the last known ones.
    if (!Pending() || !navrules::SameDocument(plain, m_target)) Expect(plain, x, y);
}

void CPositionRestorer::StartPolling() {
    m_probe = false;
    m_timer->start();
}

void CPositionRestorer::Tick() {
    if (!Pending() || m_target.empty()) {
        m_timer->stop();
        return;
    }
    if (m_probe || !navrules::SameDocument(m_browser->LocationURL(), m_target)) return;
    if (m_hasSpot) {
        FindSpot();
        return;
    }
    m_probe = true;
    const int x = m_x, y = m_y;
    const std::string target = m_target;
    QPointer<CPositionRestorer> guard(this);
    Place(x, y, m_browser->LoadFinished(), [guard, x, y, target](bool placed) {
        if (!guard) return;
        guard->m_probe = false;
        // Only the restore that asked counts; a newer one may have replaced it.
        if (placed && x == guard->m_x && y == guard->m_y && target == guard->m_target) guard->Finish();
    });
}

void CPositionRestorer::FindSpot() {
    // The line's offset in the new layout: the tables above it are laid out
    // for real first (keeping their heights as placeholders, as Place does),
    // so the offset stays right when they scroll into view. The answer is the
    // page's location.href, a line break, and the offset, -1 while the page
    // has not got that far, -2 when it has no such character.
    m_probe = true;
    const bool loaded = m_browser->LoadFinished();
    const QString script = PageScript("spot-offset")
                               .arg(m_spotTable)
                               .arg(m_spotOffset)
                               .arg(loaded ? QStringLiteral("true") : QStringLiteral("false"));
    CBrowserControl* asked = m_browser;
    const std::string target = m_target;
    const int table = m_spotTable, offset = m_spotOffset;
    QPointer<CPositionRestorer> guard(this);
    asked->AskPage(script, [guard, asked, target, table, offset](const QString& text) {
        if (!guard) return;
        guard->m_probe = false;
        if (!guard->m_hasSpot || target != guard->m_target || table != guard->m_spotTable ||
            offset != guard->m_spotOffset)
            return;
        const qsizetype cut = text.lastIndexOf('\n');
        if (cut < 0 || !asked->Shows(text.left(cut))) return;
        bool number = false;
        const int y = text.mid(cut + 1).toInt(&number);
        if (!number || y == -1) return;
        guard->m_hasSpot = false;
        // Not found (-2): the offsets it had before stay.
        if (y >= 0) {
            guard->m_x = 0;
            guard->m_y = y;
            // The top of the page is where a new load starts: nothing to place.
            if (y == 0) {
                guard->Finish();
                return;
            }
        }
        guard->Tick();
    });
}

void CPositionRestorer::Finish() {
    // Scripted runs (tests, benchmarks) learn when the reading position was reached.
    if (readerbox::PrintsInsteadOfBoxes() && Pending()) {
        auto now = std::chrono::system_clock::now().time_since_epoch();
        std::printf("RESTORED: %lld\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
        std::fflush(stdout);
    }
    m_placedIn = m_target;
    Abandon();
    m_target.clear();
}

void CPositionRestorer::Place(int x, int y, bool loaded, std::function<void(bool)> done) {
    // The document grows while a long text streams in: scroll only once the
    // offsets fit, so the engine does not clamp them to a shorter page.
    // A converted text skips the layout of tables off screen; an offset is
    // only meaningful once every table above it has the height it had when
    // the offset was saved. Heights carried over from that reading count
    // when the first table still comes out as high as it was then; any other
    // table above the offset is laid out for real (a batch at a time, so the
    // page stays responsive), and keeps that height as its placeholder.
    // The last table of a page still loading may still grow: it waits.
    // Once the offsets are placed, the engine must not put back an older
    // offset of its own at the end of the load (it keeps one per history
    // entry, which a page reloaded after its renderer died still has).
    // The answer names the document that gave it: until the new page has
    // replaced the one before it (or the empty one of a new renderer), an
    // answer is not taken for the new page's. And only the document itself
    // says whether it is complete: the control's own flag can be set by the
    // end of a load that was refused or belonged to a dead renderer.
    // All of this is the script "place-offsets"; its answer is the page's
    // location.href, a line break, and "1" (placed) or "0".
    //
    // Asking the page forces a layout, which on a long text without the
    // hints costs about a second: while the page loads, ask once the
    // engine's own contents size says the offsets may fit. That size comes
    // with the renderer's frames, which a busy machine delays for seconds:
    // the page itself is asked at least twice a second all the same.
    const QSizeF size = m_browser->ContentsSize();
    const bool askedLately = m_lastFitQuestion.isValid() && m_lastFitQuestion.elapsed() < 500;
    if (!loaded && askedLately && (size.height() < y || (x > 0 && size.width() < x))) {
        if (done) done(false);
        return;
    }
    m_lastFitQuestion.start();
    const QString script =
        PageScript("place-offsets").arg(x).arg(y).arg(loaded ? QStringLiteral("true") : QStringLiteral("false"));
    CBrowserControl* asked = m_browser;
    // The browser drops the answer once it is gone itself.
    asked->AskPage(script, [asked, done = std::move(done)](const QString& text) {
        if (!done) return;
        const qsizetype cut = text.lastIndexOf('\n');
        if (cut < 0) {
            done(false);
            return;
        }
        done(asked->Shows(text.left(cut)) && text.mid(cut + 1) == QLatin1String("1"));
    });
}
