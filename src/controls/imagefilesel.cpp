#include "controls/imagefilesel.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>

namespace {
constexpr int kPreviewSide = 180;
}

QStringList CImageFileSel::NameFilters(const QString& filter) {
    QStringList parts = filter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;  // the closing "||"
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        out << parts[i] + " (" + patterns + ")";
    }
    return out;
}

CImageFileSel::CImageFileSel(QWidget* parent, const QString& filter, const QString& current)
    : QFileDialog(parent, QStringLiteral("选择图片")) {
    // The desktop's own dialog cannot take a preview pane.
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    setNameFilters(NameFilters(filter));
    const QFileInfo info(current);
    if (!current.isEmpty() && info.isFile()) {
        setDirectory(info.absolutePath());
        selectFile(info.fileName());
    }
    m_preview = new QLabel(this);
    m_preview->setObjectName(QStringLiteral("preview"));
    m_preview->setFixedSize(kPreviewSide, kPreviewSide);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFrameShape(QFrame::StyledPanel);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(m_preview, 0, grid->columnCount(), grid->rowCount(), 1);
    connect(this, &QFileDialog::currentChanged, this, &CImageFileSel::ShowPreview);
    ShowPreview(info.isFile() ? info.absoluteFilePath() : QString());
}

void CImageFileSel::ShowPreview(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid()) {
        reader.setScaledSize(size.scaled(kPreviewSide - 4, kPreviewSide - 4, Qt::KeepAspectRatio));
    }
    const QImage image = path.isEmpty() ? QImage() : reader.read();
    if (image.isNull()) {
        m_preview->setPixmap(QPixmap());
        m_preview->setText(QStringLiteral("(无预览)"));
    } else {
        m_preview->setPixmap(QPixmap::fromImage(image));
    }
}

bool CImageFileSel::PreviewShowsPicture() const { return !m_preview->pixmap().isNull(); }
