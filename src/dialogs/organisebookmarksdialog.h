#pragma once
// COrganiseBookmarksDialog: "整理书签", the bookmarks to open or delete, the
// selected one's document under the list; resizable, never below its first size.
#include <memory>
#include <string>

#include "dialogs/listdialog.h"

class CBookmarkFile;
class COrganiseBookmarksModel;
class QLineEdit;

class COrganiseBookmarksDialog : public CListDialog {
    Q_OBJECT
public:
    explicit COrganiseBookmarksDialog(const CBookmarkFile& file, QWidget* parent = nullptr);
    ~COrganiseBookmarksDialog() override;

    // The bookmark to open once the dialog ended with OK.
    std::string Chosen() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OpenSelected();
    void Refill();
    std::unique_ptr<COrganiseBookmarksModel> m_model;
    QLineEdit* m_document = nullptr;
};
