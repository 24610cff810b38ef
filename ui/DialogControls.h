// The helpers every dialog shares. Numbering of dialog controls: every dialog carries its
// resource number in the property "dialogId" and every control its number in "controlId",
// so that translations and tests find them; OK (1) and Cancel (2); the refusal of a field;
// the names of the board layers. Main thread only; controls are owned by their dialog.
#pragma once

#include <QStringList>
#include <QVariant>
#include <QWidget>

class QDialog;
class QDialogButtonBox;
class QLineEdit;

namespace DialogControls
{

// Gives `widget` the number `id` and returns it.
template <class W> W* Numbered(W* widget, int id)
{
    widget->setProperty("controlId", id);
    return widget;
}

// The control of `dialog` numbered `id` (of type W), or null.
template <class W = QWidget> W* Find(const QWidget* dialog, int id)
{
    for (W* w : dialog->findChildren<W*>())
        if (w->property("controlId") == QVariant(id))
            return w;
    return nullptr;
}

// OK (1) and Cancel (2), owned by `dialog` and wired to its accept and reject.
QDialogButtonBox* OkCancel(QDialog* dialog);

// Refuses the field `edit` with `message`: shown, then the field focused with its whole
// text selected, what was typed kept.
void Refuse(QLineEdit* edit, const QString& message);

inline constexpr int kLayerCount = 34;
inline constexpr int kCopperCount = 16;

// The names of the first `count` board layers, index = layer number.
QStringList LayerNames(int count = kLayerCount);
// The name of layer `layer`, or an empty text for a number without one.
QString LayerName(int layer);

} // namespace DialogControls
