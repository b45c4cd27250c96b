#include "dialogs/zoomdialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "dialogs/optionbuttons.h"
#include "settings/zoommodel.h"

CZoomDialog::CZoomDialog(CParaBlock& block, QWidget* parent)
    : QDialog(parent), m_model(std::make_unique<CZoomModel>(block)) {
    setWindowTitle(QStringLiteral("显示比例"));
    m_percent = new QSpinBox(this);
    m_percent->setObjectName(QStringLiteral("percent"));
    m_percent->setRange(CZoomModel::kMin, CZoomModel::kMax);
    // Text that is no number or lies outside the range ends at the nearest value.
    m_percent->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    m_percent->setValue(m_model->Percent());
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("比例:"), this));
    row->addWidget(m_percent);
    row->addWidget(new QLabel(QStringLiteral("% (20% - 300%)"), this));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    AddOptionButtons(this, layout);
}

CZoomDialog::~CZoomDialog() = default;

void CZoomDialog::accept() {
    m_percent->interpretText();
    m_model->SetPercent(m_percent->value());
    if (m_model->Accept()) QDialog::accept();
    else QDialog::reject();
}
