#include "frame/addressbar.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QStringListModel>

#include "settings/loopback.h"
#include "frame/commandids.h"
#include "frame/commandregistry.h"
#include "platform/registrystore.h"
#include "server/pageserver.h"
#include "view/navigationrules.h"

CAddressBar::CAddressBar(QWidget* parent) : QToolBar(QStringLiteral("地址栏"), parent) {
    setObjectName("AddressBar");
    addWidget(new QLabel(QStringLiteral("地址: "), this));
    m_combo = new QComboBox(this);
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_combo->setMinimumWidth(200);
    addWidget(m_combo);
    connect(m_combo->lineEdit(), &QLineEdit::returnPressed, this, &CAddressBar::OnEntered);
    // Completion from the typed and the reached addresses: the list is
    // chosen anew for each edit, so the popup shows it unfiltered.
    m_history.Load(platform::RegistryStore::Instance());
    m_completions = new QStringListModel(this);
    auto* completer = new QCompleter(m_completions, m_combo);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_combo->setCompleter(completer);
    connect(m_combo->lineEdit(), &QLineEdit::textEdited, this, &CAddressBar::OfferCompletions);
}

void CAddressBar::RegisterCommands(CCommandRegistry& commands) {
    commands.Add(ID_VIEW_ADDRESS_BAR, "view.address-bar", "地址栏", "打开/关闭地址栏\n地址栏",
                 [this] { setVisible(!isVisible()); })
        .Checks([this] { return isVisibleTo(parentWidget()); });
}

QStringList CAddressBar::Completions() const { return m_completions->stringList(); }

void CAddressBar::ShowAddress(const QString& address) {
    std::string shown = navrules::AddressBarText(address.toStdString(), LoopbackBase());
    m_combo->setEditText(QString::fromStdString(shown));
    if (shown != "about:blank") m_history.Reached(shown);
}

void CAddressBar::OfferCompletions(const QString& typed) {
    QStringList list;
    for (const std::string& address : m_history.Completions(typed.toStdString())) list << QString::fromStdString(address);
    m_completions->setStringList(list);
    if (list.isEmpty()) m_combo->completer()->popup()->hide();
    else m_combo->completer()->complete();
}

void CAddressBar::OnEntered() {
    QString text = m_combo->currentText().trimmed();
    if (text.isEmpty()) return;
    // The bar shows pages of an archive by their entry path; such a path
    // typed back means the entry of the open archive.
    std::string typed = text.toStdString();
    if (server::ThePageServer().IsRunning() && typed.find(':') == std::string::npos && typed[0] != '/')
        typed = LoopbackBase() + typed;
    emit LocationEntered(QString::fromStdString(typed));
    // Appended at the end as typed, even when the list holds it already.
    m_history.Entered(text.toStdString(), &platform::RegistryStore::Instance());
    m_combo->addItem(text);
}
