#include "dialogs/textdisplaydialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "dialogs/optionbuttons.h"
#include "controls/colourpicker.h"
#include "controls/imagefilesel.h"
#include "session/textdisplaymodel.h"
#include "view/browsercontrol.h"
#include "view/messagebox.h"

namespace {

const char kImageFilter[] =
    "Supported Files|*.jpg;*.jpeg;*.gif;*.bmp;*.dib;*.png|Jpeg Files(*.jpg)|*.jpg|Gif Files(*.gif)|*.gif|"
    "Png Files(*.png)|*.png|Bmp Files(*.bmp)|*.bmp||";
// The page the preview's document is written under: a user picture's plain
// path resolves to the local file, as it does under a local text page.
const char kPreviewBase[] = "file:///";

std::vector<std::string> ScalableFaces() {
    std::vector<std::string> faces;
    for (const QString& family : QFontDatabase::families())
        if (QFontDatabase::isScalable(family) && !QFontDatabase::isPrivateFamily(family))
            faces.push_back(family.toStdString());
    return faces;
}

void Fill(QComboBox* combo, const std::vector<std::string>& items) {
    for (const std::string& item : items) combo->addItem(QString::fromStdString(item));
}

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

}  // namespace

CTextDisplayDialog::CTextDisplayDialog(CParaBlock& block, const std::string& ownText, QWidget* parent)
    : QDialog(parent), m_model(std::make_unique<CTextDisplayModel>(block, ScalableFaces())) {
    using Model = CTextDisplayModel;
    setWindowTitle(QStringLiteral("文本文件显示设置"));
    m_model->SetOwnText(ownText);
    QFile templ(QStringLiteral(":/res/TEST.HTM"));
    if (templ.open(QIODevice::ReadOnly)) m_template = templ.readAll().toStdString();

    m_preview = Named(new CBrowserControl(this), "preview");
    m_preview->setMinimumSize(360, 300);
    connect(m_preview, &CBrowserControl::NavigateComplete, this, [this] {
        if (m_loadsPending > 0) --m_loadsPending;
    });
    ++m_loadsPending;
    m_preview->Navigate("about:blank");

    // Children are named so that scripted runs can find them.
    m_windowWide = Named(new QRadioButton(QStringLiteral("与窗口等宽"), this), "windowWide");
    m_widthLimit = Named(new QRadioButton(QStringLiteral("行宽限制为"), this), "widthLimit");
    m_width = Named(new QSpinBox(this), "width");
    m_width->setRange(Model::kMinWidth, Model::kMaxWidth);
    m_width->setValue(m_model->WidthSpin());
    (m_model->WindowWide() ? m_windowWide : m_widthLimit)->setChecked(true);

    m_font = Named(new QComboBox(this), "font");
    Fill(m_font, m_model->FontItems());
    m_font->setCurrentIndex(m_model->FontIndex());
    m_size = Named(new QComboBox(this), "size");
    Fill(m_size, Model::SizeItems());
    m_size->setCurrentIndex(m_model->SizeIndex());
    m_bold = Named(new QCheckBox(QStringLiteral("加粗"), this), "bold");
    m_bold->setChecked(m_model->Bold());
    m_underline = Named(new QCheckBox(QStringLiteral("下划线"), this), "underline");
    m_underline->setChecked(m_model->Underline());
    m_textColour = Named(new CColourPicker(this), "textColour");
    m_textColour->SetAutomaticColour(Model::kAutomaticText);
    m_textColour->SetColour(m_model->TextColour());
    m_lineHeight = Named(new QSpinBox(this), "lineHeight");
    m_lineHeight->setRange(Model::kMinLineHeight, Model::kMaxLineHeight);
    m_lineHeight->setValue(m_model->LineHeight());

    m_backColour = Named(new CColourPicker(this), "backColour");
    m_backColour->SetAutomaticColour(Model::kAutomaticBackground);
    m_backColour->SetColour(m_model->BackColour());
    m_picture = Named(new QComboBox(this), "picture");
    Fill(m_picture, Model::PictureItems());
    m_picturePath = Named(new QLineEdit(this), "picturePath");
    m_picturePath->setReadOnly(true);
    m_choosePicture = Named(new QToolButton(this), "choosePicture");
    m_choosePicture->setIcon(QIcon::fromTheme(QStringLiteral("document-open")));
    m_choosePicture->setToolTip(QStringLiteral("选择图片"));
    m_removePicture = Named(new QToolButton(this), "removePicture");
    m_removePicture->setIcon(QIcon::fromTheme(QStringLiteral("edit-delete")));
    m_removePicture->setToolTip(QStringLiteral("去掉图片"));
    m_scheme = Named(new QComboBox(this), "scheme");
    Fill(m_scheme, Model::SchemeItems());
    m_useIe = Named(new QCheckBox(QStringLiteral("使用IE设置"), this), "useIe");
    m_useIe->setChecked(m_model->UseIe());
    m_ownText = Named(new QCheckBox(QStringLiteral("预览当前打开的文本"), this), "ownText");
    ShowState();

    auto* widthBox = new QGroupBox(QStringLiteral("行宽"), this);
    auto* widthRow = new QHBoxLayout(widthBox);
    widthRow->addWidget(m_windowWide);
    widthRow->addWidget(m_widthLimit);
    widthRow->addWidget(m_width);
    widthRow->addWidget(new QLabel(QStringLiteral("象素"), this));
    widthRow->addStretch();

    auto* fontBox = new QGroupBox(QStringLiteral("字体"), this);
    auto* fontGrid = new QGridLayout(fontBox);
    fontGrid->addWidget(new QLabel(QStringLiteral("字体:"), this), 0, 0);
    fontGrid->addWidget(m_font, 0, 1, 1, 3);
    fontGrid->addWidget(new QLabel(QStringLiteral("大小:"), this), 1, 0);
    fontGrid->addWidget(m_size, 1, 1);
    fontGrid->addWidget(m_bold, 1, 2);
    fontGrid->addWidget(m_underline, 1, 3);
    fontGrid->addWidget(new QLabel(QStringLiteral("颜色:"), this), 2, 0);
    fontGrid->addWidget(m_textColour, 2, 1);

    auto* lineBox = new QGroupBox(QStringLiteral("行距"), this);
    auto* lineRow = new QHBoxLayout(lineBox);
    lineRow->addWidget(new QLabel(QStringLiteral("高度:"), this));
    lineRow->addWidget(m_lineHeight);
    lineRow->addWidget(new QLabel(QStringLiteral("%"), this));
    lineRow->addStretch();

    auto* backBox = new QGroupBox(QStringLiteral("背景"), this);
    auto* backGrid = new QGridLayout(backBox);
    backGrid->addWidget(new QLabel(QStringLiteral("颜色:"), this), 0, 0);
    backGrid->addWidget(m_backColour, 0, 1);
    backGrid->addWidget(new QLabel(QStringLiteral("内置图案:"), this), 0, 2);
    backGrid->addWidget(m_picture, 0, 3);
    backGrid->addWidget(new QLabel(QStringLiteral("图片:"), this), 1, 0);
    backGrid->addWidget(m_picturePath, 1, 1, 1, 3);
    backGrid->addWidget(m_choosePicture, 1, 4);
    backGrid->addWidget(m_removePicture, 1, 5);
    backGrid->addWidget(m_scheme, 2, 1, 1, 3);

    auto* note = new QLabel(
        QStringLiteral("文本文件需转成HTML显示，“HTML文件显示”中的设置将取代本页中的同名选项。"), this);
    note->setWordWrap(true);

    auto* left = new QVBoxLayout;
    left->addWidget(widthBox);
    left->addWidget(fontBox);
    left->addWidget(lineBox);
    left->addWidget(backBox);
    left->addWidget(m_useIe);
    left->addWidget(note);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(m_preview, 1);
    right->addWidget(m_ownText);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    AddOptionButtons(this, layout);

    // Connected after the controls were filled: only the reader's changes count.
    connect(m_windowWide, &QRadioButton::clicked, this, [this] { m_model->ChooseWindowWide(true); RequestPreview(); });
    connect(m_widthLimit, &QRadioButton::clicked, this, [this] { m_model->ChooseWindowWide(false); RequestPreview(); });
    connect(m_width, &QSpinBox::valueChanged, this, [this](int width) {
        m_model->TypeWidth(width);
        m_widthLimit->setChecked(true);
        RequestPreview();
    });
    connect(m_font, &QComboBox::activated, this, [this](int index) { m_model->ChooseFont(index); RequestPreview(); });
    connect(m_size, &QComboBox::activated, this, [this](int index) { m_model->ChooseSize(index); RequestPreview(); });
    connect(m_bold, &QCheckBox::toggled, this, [this](bool on) { m_model->SetBold(on); RequestPreview(); });
    connect(m_underline, &QCheckBox::toggled, this, [this](bool on) { m_model->SetUnderline(on); RequestPreview(); });
    connect(m_lineHeight, &QSpinBox::valueChanged, this, [this](int v) { m_model->SetLineHeight(v); RequestPreview(); });
    connect(m_textColour, &CColourPicker::ColourChanged, this, [this](uint32_t colour) {
        m_model->ChooseTextColour(colour);
        RequestPreview();
    });
    connect(m_backColour, &CColourPicker::ColourChanged, this, [this](uint32_t colour) {
        m_model->ChooseBackColour(colour);
        ShowState();
        RequestPreview();
    });
    connect(m_picture, &QComboBox::activated, this, [this](int index) {
        m_model->ChoosePicture(index);
        ShowState();
        RequestPreview();
    });
    connect(m_removePicture, &QToolButton::clicked, this, [this] {
        m_model->RemoveUserPicture();
        ShowState();
        RequestPreview();
    });
    connect(m_choosePicture, &QToolButton::clicked, this, &CTextDisplayDialog::ChoosePicture);
    connect(m_scheme, &QComboBox::activated, this, [this](int item) {
        if (!m_model->ChooseScheme(item)) return;
        m_textColour->SetColour(m_model->TextColour());
        m_backColour->SetColour(m_model->BackColour());
        ShowState();
        RequestPreview();
    });
    connect(m_useIe, &QCheckBox::toggled, this, [this](bool on) {
        m_model->SetUseIe(on);
        ShowState();
        RequestPreview();
    });
    connect(m_ownText, &QCheckBox::toggled, this, [this](bool on) {
        m_model->ShowOwnText(on);
        RequestPreview();
    });

    m_opened = true;
    RequestPreview();
}

CTextDisplayDialog::~CTextDisplayDialog() = default;

void CTextDisplayDialog::ShowState() {
    using C = CTextDisplayModel::Control;
    m_picture->setCurrentIndex(m_model->Picture());
    m_picturePath->setText(QString::fromStdString(m_model->UserPicture()));
    const std::pair<QWidget*, C> controls[] = {
        {m_windowWide, C::WidthChoice}, {m_widthLimit, C::WidthChoice}, {m_width, C::WidthSpin},
        {m_font, C::Font}, {m_size, C::Size}, {m_bold, C::Bold}, {m_underline, C::Underline},
        {m_textColour, C::TextColour}, {m_lineHeight, C::LineHeight}, {m_backColour, C::BackColour},
        {m_picture, C::Picture}, {m_picturePath, C::PicturePath}, {m_choosePicture, C::ChoosePicture},
        {m_removePicture, C::RemovePicture}, {m_scheme, C::Schemes}, {m_ownText, C::OwnText}};
    for (const auto& [widget, control] : controls) widget->setEnabled(m_model->Enabled(control));
}

void CTextDisplayDialog::RequestPreview() {
    // Changes that come together make one rebuild.
    if (!m_opened || m_previewQueued) return;
    m_previewQueued = true;
    QTimer::singleShot(0, this, &CTextDisplayDialog::BuildPreview);
}

void CTextDisplayDialog::BuildPreview() {
    m_previewQueued = false;
    const std::optional<std::string> page = m_model->PreviewDocument(m_template);
    if (page && page->empty()) return;  // no template: the preview stays as it was
    ++m_loadsPending;
    if (!page) m_preview->Navigate("about:blank");
    else m_preview->WriteDocument(*page, kPreviewBase);
}

void CTextDisplayDialog::ChoosePicture() {
    CImageFileSel chooser(this, QString::fromLatin1(kImageFilter), QString::fromStdString(m_model->UserPicture()));
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
    TakePicture(chooser.selectedFiles().first());
}

void CTextDisplayDialog::TakePicture(const QString& path) {
    const std::string refusal = m_model->ChooseUserPicture(path.toStdString());
    if (!refusal.empty()) {
        readerbox::Message(this, refusal);
        return;
    }
    ShowState();
    RequestPreview();
}

QString CTextDisplayDialog::PreviewHtml() {
    if (m_previewQueued) BuildPreview();
    QElapsedTimer timer;
    timer.start();
    while (m_loadsPending > 0 && timer.elapsed() < 30000) {
        QEventLoop pause;
        QTimer::singleShot(20, &pause, &QEventLoop::quit);
        pause.exec();
    }
    return QString::fromStdString(m_preview->DocumentHtml());
}

void CTextDisplayDialog::accept() {
    switch (m_model->Accept()) {
    case CTextDisplayModel::FilterChange::None: m_filterChange = 0; break;
    case CTextDisplayModel::FilterChange::Unregister: m_filterChange = -1; break;
    case CTextDisplayModel::FilterChange::Register: m_filterChange = 1; break;
    }
    QDialog::accept();
}
