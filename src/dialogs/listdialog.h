#pragma once
// CListDialog: what the archive password, home-name and add-bookmark dialogs share, a list
// of entries with an edit line over a Qt-free model that decides everything.
// The dialog ends as the model says, and the model's beeps, messages and
// questions go through the program's message boxes.
#include <QDialog>

#include <string>
#include <vector>

#include "archive/dialogfeedback.h"

class QHBoxLayout;
class QLineEdit;
class QListWidget;

class CListDialog : public QDialog, public IDialogFeedback {
    Q_OBJECT
public:
    explicit CListDialog(QWidget* parent = nullptr) : QDialog(parent) {}

protected:
    void Beep(BeepKind kind) override;
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;

    // Lays the dialog out as a row: a column with `label`, the edit line and
    // the list (m_edit, m_list), beside which the caller puts its buttons
    // into the returned row.
    QHBoxLayout* BuildEditAndList(const QString& label);
    // Shows the model's entries with its selection.
    void FillList(const std::vector<std::string>& items, int selection);
    // Closes the dialog when the model's answer ends it.
    void Finish(DialogOutcome outcome);

    QLineEdit* m_edit = nullptr;
    QListWidget* m_list = nullptr;
};
