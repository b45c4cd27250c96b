#pragma once
// CTextDisplayDialog: the text display settings dialog ("文本文件显示设置"),
// the window over CTextDisplayModel with its live preview.
#include <QDialog>

#include <memory>
#include <string>

class CBrowserControl;
class CColourPicker;
class CParaBlock;
class CTextDisplayModel;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QToolButton;

class CTextDisplayDialog : public QDialog {
    Q_OBJECT
public:
    // `ownText` is the beginning of the text open in the reader (UTF-8), or
    // empty when no text is open.
    CTextDisplayDialog(CParaBlock& block, const std::string& ownText, QWidget* parent = nullptr);
    ~CTextDisplayDialog() override;

    // What "确定" decided for the text filter: -1 unregister it, 1 register
    // it again, 0 leave it (valid after accept()).
    int FilterChange() const { return m_filterChange; }

    // Takes a picture file as the choose button does after its file dialog.
    Q_INVOKABLE void TakePicture(const QString& path);
    // The preview's document once every rebuild asked for has been shown
    // ("about:blank" shows as an empty document).
    Q_INVOKABLE QString PreviewHtml();

protected:
    void accept() override;  // "确定": the model writes the keys

private:
    void ShowState();
    void RequestPreview();
    void BuildPreview();
    void ChoosePicture();

    std::unique_ptr<CTextDisplayModel> m_model;
    bool m_opened = false;
    bool m_previewQueued = false;
    int m_loadsPending = 0;
    int m_filterChange = 0;
    std::string m_template;
    CBrowserControl* m_preview = nullptr;
    QRadioButton* m_windowWide = nullptr;
    QRadioButton* m_widthLimit = nullptr;
    QSpinBox* m_width = nullptr;
    QComboBox* m_font = nullptr;
    QComboBox* m_size = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_underline = nullptr;
    CColourPicker* m_textColour = nullptr;
    QSpinBox* m_lineHeight = nullptr;
    CColourPicker* m_backColour = nullptr;
    QComboBox* m_picture = nullptr;
    QLineEdit* m_picturePath = nullptr;
    QToolButton* m_choosePicture = nullptr;
    QToolButton* m_removePicture = nullptr;
    QComboBox* m_scheme = nullptr;
    QCheckBox* m_useIe = nullptr;
    QCheckBox* m_ownText = nullptr;
};
