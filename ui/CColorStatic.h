// A colour swatch: paints itself in its colour and, when clicked, offers the colour
// chooser (starting on black); a chosen colour becomes its colour. Main thread only.
#pragma once

#include "platform/WinTypes.h"

#include <QWidget>

#include <functional>
#include <optional>

class CColorStatic : public QWidget
{
    Q_OBJECT

  public:
    // Asks a colour, starting on `initial`; nothing when the user cancels.
    using Chooser = std::function<std::optional<COLORREF>(COLORREF initial)>;

    explicit CColorStatic(QWidget* parent = nullptr);

    // Stores the colour; does not repaint.
    void SetColor(const COLORREF& color) { m_color = color; }
    COLORREF GetColor() const { return m_color; }

    // Replaces the colour chooser of every swatch; null restores the system's.
    static void SetChooser(Chooser chooser);

    static constexpr COLORREF kInitialColor = MakeRGB(255, 0, 0);
    static constexpr COLORREF kChooserStart = MakeRGB(0, 0, 0);

  protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

  private:
    COLORREF m_color = kInitialColor;
};
