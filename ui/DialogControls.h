// Numbering of dialog controls: every dialog carries its resource number in the property
// "dialogId" and every control its number in "controlId", so that translations and tests
// find them. Main thread only.
#pragma once

#include <QStringList>
#include <QVariant>
#include <QWidget>

class DialogControls
{
  public:
    // Gives `widget` the number `id` and returns it.
    template <class W> static W* Numbered(W* widget, int id)
    {
        widget->setProperty("controlId", id);
        return widget;
    }

    // The control of `dialog` numbered `id` (of type W), or null.
    template <class W = QWidget> static W* Find(const QWidget* dialog, int id)
    {
        for (W* w : dialog->findChildren<W*>())
            if (w->property("controlId") == QVariant(id))
                return w;
        return nullptr;
    }

    // The names of the first `count` board layers, index = layer number.
    static QStringList LayerNames(int count = kLayerCount);

    static constexpr int kLayerCount = 34;
    static constexpr int kCopperCount = 16;
};
