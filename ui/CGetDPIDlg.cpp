#include "CGetDPIDlg.h"

#include "DialogControls.h"

#include "model/UiServices.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

// Every control carries its number, so that translations can find it.
using DialogControls::Numbered;

} // namespace

CGetDPIDlg::CGetDPIDlg(QWidget* parent) : QDialog(parent)
{
    setProperty("dialogId", IDD);
    setWindowTitle(QStringLiteral("Please input the vertical and horizontal of the photo "));

    m_verticalEdit = Numbered(new QLineEdit(this), IDC_VERTICAL);
    m_horizontalEdit = Numbered(new QLineEdit(this), IDC_HORIZONTAL);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Vertical:"), this), 0, 0);
    grid->addWidget(m_verticalEdit, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("DPI"), this), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Horizontal\uFF1A"), this), 1, 0);
    grid->addWidget(m_horizontalEdit, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("DPI"), this), 1, 2);

    QDialogButtonBox* buttons = DialogControls::OkCancel(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

bool CGetDPIDlg::Ask(QWidget* parent, DpiValues& values)
{
    CGetDPIDlg dlg(parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    values.vertical = unsigned(dlg.m_vertical);
    values.horizontal = unsigned(dlg.m_horizontal);
    return true;
}

void CGetDPIDlg::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    m_verticalEdit->setText(QString::fromLatin1(kShownValue));
    m_horizontalEdit->setText(QString::fromLatin1(kShownValue));
    m_verticalEdit->setFocus(Qt::OtherFocusReason);
    m_verticalEdit->selectAll();
}

bool CGetDPIDlg::Exchange(QLineEdit* edit, int* value)
{
    bool ok = false;
    const int v = edit->text().trimmed().toInt(&ok);
    const char* problem = nullptr;
    if (!ok)
        problem = "Please enter an integer.";
    else if (v < kMin || v > kMax)
        problem = "Please enter an integer between 1 and 10000.";
    if (problem) {
        UiServices::Current().MessageBox(problem);
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
        return false;
    }
    *value = v;
    return true;
}

void CGetDPIDlg::accept()
{
    int vertical = 0;
    int horizontal = 0;
    if (!Exchange(m_verticalEdit, &vertical) || !Exchange(m_horizontalEdit, &horizontal))
        return;
    m_vertical = vertical;
    m_horizontal = horizontal;
    QDialog::accept();
}
