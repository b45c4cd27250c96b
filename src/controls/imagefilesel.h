#pragma once
// CImageFileSel: the open dialog for a picture file, with a preview of the
// picture under the cursor beside the file list.
#include <QFileDialog>

class QLabel;

class CImageFileSel : public QFileDialog {
    Q_OBJECT
public:
    // `filter` is a list of "description|patterns|" pairs ending in "||",
    // patterns separated by ";". The dialog starts in the folder of
    // `current` with its name when that file exists.
    CImageFileSel(QWidget* parent, const QString& filter, const QString& current);

    // The filter pairs as the dialog's name filters ("description (patterns)").
    static QStringList NameFilters(const QString& filter);
    // Whether the preview currently shows a picture (for tests).
    bool PreviewShowsPicture() const;

private:
    void ShowPreview(const QString& path);

    QLabel* m_preview = nullptr;
};
