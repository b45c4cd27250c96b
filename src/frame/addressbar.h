#pragma once
// CAddressBar: the "地址栏" tool bar. Shows where the view is, takes typed
// addresses (each appended to its drop-down list) and offers completions
// from the addresses typed in this and earlier runs and those reached.
#include <QStringList>
#include <QToolBar>

#include "frame/addresshistory.h"

class CCommandRegistry;
class QComboBox;
class QStringListModel;

class CAddressBar : public QToolBar {
    Q_OBJECT
public:
    explicit CAddressBar(QWidget* parent);
    void RegisterCommands(CCommandRegistry& commands);

    QComboBox* Combo() const { return m_combo; }
    // The completions offered for the last edit.
    QStringList Completions() const;
    // Shows an address; the loopback base is cut off.
    void ShowAddress(const QString& address);

signals:
    // A location typed and entered; an entry path of the open archive
    // arrives as its loopback address.
    void LocationEntered(const QString& location);

private:
    void OnEntered();
    void OfferCompletions(const QString& typed);

    QComboBox* m_combo = nullptr;
    QStringListModel* m_completions = nullptr;
    CAddressHistory m_history;
};
