#include "CAboutDlg.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setProperty("dialogId", IDD);
    setWindowTitle(QString::fromLatin1(kTitle));
    auto* icon = new QLabel(this);
    icon->setProperty("controlId", IDC_ICON);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/vantor.svg")).pixmap(32, 32));
    auto* ok = new QPushButton(QStringLiteral("ok"), this);
    ok->setProperty("controlId", IDOK);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel(QString::fromLatin1(kNameText), this));
    texts->addWidget(new QLabel(QString::fromLatin1(kSecondLine), this));
    auto* row = new QHBoxLayout(this);
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addLayout(texts, 1);
    row->addWidget(ok, 0, Qt::AlignTop);
}
