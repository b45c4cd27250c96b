#pragma once
// CAddBookmarkDialog: "加入书签", a name over the sorted list of the bookmarks
// there are; its model decides and writes.
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "dialogs/listdialog.h"

class CAddBookmarkModel;
class CBookmarkFile;
class CParaBlock;

class CAddBookmarkDialog : public CListDialog {
    Q_OBJECT
public:
    CAddBookmarkDialog(const CBookmarkFile& file, const CParaBlock& source, std::function<std::pair<int, int>()> offsets,
                       const std::string& defaultName, QWidget* parent = nullptr);
    ~CAddBookmarkDialog() override;

private:
    void Confirm();
    std::unique_ptr<CAddBookmarkModel> m_model;
};
