#pragma once
// CEncodingMenu: the sub-menu of text encodings. It shows the entries it is
// handed each time it opens and reports the one the reader picks.
#include <QMenu>

#include <functional>
#include <vector>

#include "view/encodingmenumodel.h"

class CEncodingMenu : public QMenu {
    Q_OBJECT
public:
    // `items` is asked for the entries whenever the menu is about to show.
    CEncodingMenu(const QString& title, std::function<std::vector<EncodingMenuItem>()> items,
                  QWidget* parent = nullptr);
    // Fills the menu now (also done before it shows).
    void Refill();
    // Picks the entry for that encoding (empty: automatic) as a click would;
    // false when the menu has no such entry.
    bool Pick(const QString& encoding);
    // The entries as shown: "*" before the checked one, "--" between groups.
    QStringList Describe() const;

signals:
    void EncodingChosen(const QString& encoding);

private:
    std::function<std::vector<EncodingMenuItem>()> m_items;
};
