#include "dialogs/listdialog.h"

#include <QListWidget>
#include <QSignalBlocker>

#include "view/messagebox.h"

void CListDialog::Beep(BeepKind) { readerbox::Beep(); }

void CListDialog::ShowMessage(const std::string& text) { readerbox::Message(this, text); }

bool CListDialog::AskYesNo(const std::string& text) { return readerbox::AskYesNo(this, text); }

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
