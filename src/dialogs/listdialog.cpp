#include "dialogs/listdialog.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

#include "view/messagebox.h"

void CListDialog::Beep(BeepKind) { readerbox::Beep(); }

void CListDialog::ShowMessage(const std::string& text) { readerbox::Message(this, text); }

bool CListDialog::AskYesNo(const std::string& text) { return readerbox::AskYesNo(this, text); }

QHBoxLayout* CListDialog::BuildEditAndList(const QString& label) {
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(label, this));
    m_edit = new QLineEdit(this);
    m_list = new QListWidget(this);
    left->addWidget(m_edit);
    left->addWidget(m_list);
    layout->addLayout(left, 1);
    return layout;
}

void CListDialog::FillList(const std::vector<std::string>& items, int selection) {
    QSignalBlocker block(m_list);
    m_list->clear();
    for (const std::string& item : items) m_list->addItem(QString::fromStdString(item));
    m_list->setCurrentRow(selection);
}

void CListDialog::Finish(DialogOutcome outcome) {
    if (outcome == DialogOutcome::Ok) QDialog::accept();
    else if (outcome == DialogOutcome::Cancel) QDialog::reject();
}
