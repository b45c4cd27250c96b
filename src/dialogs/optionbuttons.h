#pragma once
// The "确定" and "放弃" row that closes the small option dialogs.
class QBoxLayout;
class QDialog;

// Adds the row to `layout`, wired to the dialog's accept and reject.
void AddOptionButtons(QDialog* dialog, QBoxLayout* layout);
