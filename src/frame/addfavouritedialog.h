#pragma once
// CAddFavouriteDialog: "添加到收藏夹" asks for the name of the new favourite,
// the page's title offered (selected) to begin with.
#include <QDialog>

class QLineEdit;

class CAddFavouriteDialog : public QDialog {
    Q_OBJECT
public:
    CAddFavouriteDialog(const QString& name, QWidget* parent);
    QString Name() const;

private:
    QLineEdit* m_name;
};
