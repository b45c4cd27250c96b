#include "dialogs/downloadcontroldialog.h"

#include <QCheckBox>
#include <QVBoxLayout>

#include "dialogs/optionbuttons.h"
#include "settings/downloadcontrolmodel.h"

CDownloadControlDialog::CDownloadControlDialog(CParaBlock& block, QWidget* parent)
    : QDialog(parent), m_model(std::make_unique<CDownloadControlModel>(block)) {
    setWindowTitle(QStringLiteral("下载控制"));
    struct Row {
        CDownloadControlModel::Switch which;
        const char* name;  // for scripted runs
        const char* text;
    };
    static const Row kRows[] = {
        {CDownloadControlModel::NoScript, "noScript", "禁止执行Script"},
        {CDownloadControlModel::NoJava, "noJava", "禁止执行Java Applet"},
        {CDownloadControlModel::NoActiveX, "noActiveX", "禁止执行ActiveX 控件"},
        {CDownloadControlModel::NoImage, "noImage", "禁止下载图片"},
        {CDownloadControlModel::NoSound, "noSound", "禁止下载背景音乐"},
        {CDownloadControlModel::NoVideo, "noVideo", "禁止下载视频"},
    };
    auto* layout = new QVBoxLayout(this);
    for (const Row& row : kRows) {
        auto* box = new QCheckBox(QString::fromUtf8(row.text), this);
        box->setObjectName(QString::fromLatin1(row.name));
        box->setChecked(m_model->IsOn(row.which));
        const CDownloadControlModel::Switch which = row.which;
        connect(box, &QCheckBox::toggled, this, [this, which](bool on) { m_model->Set(which, on); });
        layout->addWidget(box);
    }
    AddOptionButtons(this, layout);
}

CDownloadControlDialog::~CDownloadControlDialog() = default;

void CDownloadControlDialog::accept() {
    m_model->Accept();
    QDialog::accept();
}
