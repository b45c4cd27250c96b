#pragma once
// CLibraryDialog: "书库管理", the shelves of the library to add, drop, delete,
// mark as default or open in the file list; its model decides and saves.
#include <QStringList>

#include <functional>
#include <memory>
#include <string>

#include "dialogs/listdialog.h"

class CLibraryDialogModel;
class QTreeWidget;

class CLibraryDialog : public CListDialog {
    Q_OBJECT
public:
    CLibraryDialog(const std::string& blbPath, std::function<void(const std::string&)> showFileListAt,
                   QWidget* parent = nullptr);
    ~CLibraryDialog() override;

public Q_SLOTS:
    // Files and folders dropped on the dialog, in drop order.
    void DropPaths(const QStringList& paths);

protected:
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void ChooseFolder();
    void Refill();
    // Runs a model step on the selected row, then shows the rows again.
    void OnRow(void (CLibraryDialogModel::*step)());
    std::unique_ptr<CLibraryDialogModel> m_model;
    QTreeWidget* m_rows = nullptr;
};
