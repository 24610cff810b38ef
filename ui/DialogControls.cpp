#include "DialogControls.h"

#include "model/UiServices.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

namespace DialogControls
{

namespace
{

const char* const kLayerNames[kLayerCount] = {
    "Top Layer",          "MidLayer 1",          "MidLayer 2",         "MidLayer 3",
    "MidLayer 4",         "MidLayer 5",          "MidLayer 6",         "MidLayer 7",
    "MidLayer 8",         "MidLayer 9",          "MidLayer 10",        "MidLayer 11",
    "MidLayer 12",        "MidLayer 13",         "MidLayer 14",        "Bottom Layer",
    "Top Overlay",        "Bottom Overlay",      "Top Paste Mask",     "Bottom Paste Mask",
    "Top Solider Mask",   "Bottom Solider Mask", "Internal Plane 1",   "Internal Plane 2",
    "Internal Plane 3",   "Internal Plane 4",    "Drill Guide",        "Keep Out Layer",
    "Mechanical Layer 1", "Mechanical Layer 2",  "Mechanical Layer 3", "Mechanical Layer 4",
    "Drill Drawing",      "Multi-Layer",
};

} // namespace

QDialogButtonBox* OkCancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    Numbered(buttons->button(QDialogButtonBox::Ok), 1);
    Numbered(buttons->button(QDialogButtonBox::Cancel), 2);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

void Refuse(QLineEdit* edit, const QString& message)
{
    UiServices::Current().MessageBox(message.toStdString());
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

QStringList LayerNames(int count)
{
    QStringList names;
    for (int i = 0; i < count && i < kLayerCount; ++i)
        names << QString::fromLatin1(kLayerNames[i]);
    return names;
}

QString LayerName(int layer)
{
    if (layer < 0 || layer >= kLayerCount)
        return {};
    return QString::fromLatin1(kLayerNames[layer]);
}

} // namespace DialogControls
