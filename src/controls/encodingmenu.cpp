#include "controls/encodingmenu.h"

#include <QActionGroup>

CEncodingMenu::CEncodingMenu(const QString& title, std::function<std::vector<EncodingMenuItem>()> items,
                             QWidget* parent)
    : QMenu(title, parent), m_items(std::move(items)) {
    connect(this, &QMenu::aboutToShow, this, &CEncodingMenu::Refill);
}

void CEncodingMenu::Refill() {
    clear();
    auto* group = new QActionGroup(this);
    group->setExclusive(true);
    for (const EncodingMenuItem& item : m_items()) {
        if (item.separatorBefore) addSeparator();
        QAction* action = addAction(QString::fromStdString(item.text));
        action->setCheckable(true);
        action->setChecked(item.checked);
        action->setData(QString::fromStdString(item.encoding));
        group->addAction(action);
        const QString encoding = QString::fromStdString(item.encoding);
        connect(action, &QAction::triggered, this, [this, encoding] { emit EncodingChosen(encoding); });
    }
    setEnabled(!actions().isEmpty());
}

bool CEncodingMenu::Pick(const QString& encoding) {
    Refill();
    for (QAction* action : actions()) {
        if (!action->isSeparator() && action->data().toString().compare(encoding, Qt::CaseInsensitive) == 0) {
            action->trigger();
            return true;
        }
    }
    return false;
}

QStringList CEncodingMenu::Describe() const {
    QStringList out;
    for (QAction* action : actions())
        out << (action->isSeparator() ? QStringLiteral("--") : (action->isChecked() ? "*" : "") + action->text());
    return out;
}
