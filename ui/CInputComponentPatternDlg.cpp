#include "CInputComponentPatternDlg.h"

#include "DialogControls.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

CInputComponentPatternDlg::CInputComponentPatternDlg(QWidget* parent)
    : CPropertyForm(IDD, QStringLiteral("Add Component to my library"), false, parent)
{
    Form()->addWidget(DialogControls::Numbered(
        new QLabel(QStringLiteral("Please input pattern of the component:"), this), IDC_PROMPT));
    AddText(Form(), IDC_PATTERN, QString())->setMaxLength(kMaxLength);
    AddButtons(QStringLiteral("Pick pin1"));
    SetFocusField(IDC_PATTERN);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

bool CInputComponentPatternDlg::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Space) {
        accept();
        return true;
    }
    return CPropertyForm::eventFilter(watched, e);
}

bool CInputComponentPatternDlg::Ask(QWidget* parent, std::string& pattern)
{
    CInputComponentPatternDlg dlg(parent);
    dlg.SetText(IDC_PATTERN, pattern);
    const bool confirmed = dlg.exec() == QDialog::Accepted;
    pattern = confirmed ? dlg.Text(IDC_PATTERN) : std::string();
    return confirmed;
}
