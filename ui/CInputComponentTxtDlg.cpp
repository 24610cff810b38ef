#include "CInputComponentTxtDlg.h"

#include "DialogControls.h"

#include "QtUiServices.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CInputComponentTxtDlg::CInputComponentTxtDlg(const std::string& text, QWidget* parent)
    : QDialog(parent), m_edit(new QLineEdit(QtUiServices::ToQString(text), this))
{
    setProperty("dialogId", IDD);
    setWindowTitle(QStringLiteral("Component Designator"));
    m_edit->setProperty("controlId", IDC_DESIGNATOR);
    m_edit->installEventFilter(this);

    QDialogButtonBox* buttons = DialogControls::OkCancel(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_edit);
    layout->addWidget(buttons);
}

bool CInputComponentTxtDlg::Ask(QWidget* parent, DesignatorValues& values)
{
    CInputComponentTxtDlg dlg(values.text, parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    values.text = dlg.TextEdit()->text().toStdString();
    return true;
}

void CInputComponentTxtDlg::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    m_edit->setFocus(Qt::OtherFocusReason);
    m_edit->selectAll();
}

bool CInputComponentTxtDlg::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_edit && e->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(e)->key() == Qt::Key_Space) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}
