#include "CInsertEntityDlg.h"

#include "DialogControls.h"

#include "model/UiServices.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>

namespace
{

// Every control carries its number, so that translations can find it.
using DialogControls::Numbered;

// The whole number in `edit` within [low, high]; false (after the message, with the
// field focused and selected) when there is none.
bool ReadInt(QLineEdit* edit, int low, int high, const char* problem, int* value)
{
    bool ok = false;
    const int v = edit->text().trimmed().toInt(&ok);
    if (ok && v >= low && v <= high) {
        *value = v;
        return true;
    }
    UiServices::Current().MessageBox(problem);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
    return false;
}

} // namespace

CInsertEntityDlg::CInsertEntityDlg(const InsertValues& values, QWidget* parent)
    : QDialog(parent), m_count(values.count), m_increment(values.increment)
{
    setProperty("dialogId", IDD);
    setWindowTitle(QStringLiteral("Insert Entitys"));

    m_countEdit = Numbered(new QLineEdit(QString::number(values.count), this), IDC_COUNT);
    m_incrementEdit =
        Numbered(new QLineEdit(QString::number(values.increment), this), IDC_INCREMENT);

    auto* grid = new QGridLayout;
    grid->addWidget(Numbered(new QLabel(QStringLiteral("Entitys Count"), this), IDC_COUNT_LABEL), 0,
                    0);
    grid->addWidget(m_countEdit, 0, 1);
    grid->addWidget(
        Numbered(new QLabel(QStringLiteral("Text Increment"), this), IDC_INCREMENT_LABEL), 1, 0);
    grid->addWidget(m_incrementEdit, 1, 1);

    QDialogButtonBox* buttons = DialogControls::OkCancel(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

bool CInsertEntityDlg::Ask(QWidget* parent, InsertValues& values)
{
    CInsertEntityDlg dlg(values, parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    values.count = dlg.m_count;
    values.increment = dlg.m_increment;
    return true;
}

void CInsertEntityDlg::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    m_countEdit->setFocus(Qt::OtherFocusReason);
    m_countEdit->selectAll();
}

void CInsertEntityDlg::accept()
{
    int count = 0;
    int increment = 0;
    if (!ReadInt(m_countEdit, InsertValues::kMinCount, InsertValues::kMaxCount,
                 "Please enter an integer between 1 and 1000.", &count) ||
        !ReadInt(m_incrementEdit, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(),
                 "Please enter an integer.", &increment))
        return;
    m_count = count;
    m_increment = increment;
    QDialog::accept();
}
