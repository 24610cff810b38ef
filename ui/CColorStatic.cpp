#include "CColorStatic.h"

#include <QColorDialog>
#include <QMouseEvent>
#include <QPainter>

namespace
{

std::optional<COLORREF> SystemChooser(COLORREF initial)
{
    const QColor start(GetRValue(initial), GetGValue(initial), GetBValue(initial));
    const QColor chosen = QColorDialog::getColor(start, nullptr);
    if (!chosen.isValid())
        return std::nullopt;
    return MakeRGB(chosen.red(), chosen.green(), chosen.blue());
}

CColorStatic::Chooser& CurrentChooser()
{
    static CColorStatic::Chooser chooser = SystemChooser;
    return chooser;
}

} // namespace

CColorStatic::CColorStatic(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(24, 16);
    setCursor(Qt::PointingHandCursor);
}

void CColorStatic::SetChooser(Chooser chooser)
{
    CurrentChooser() = chooser ? std::move(chooser) : Chooser(SystemChooser);
}

void CColorStatic::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(GetRValue(m_color), GetGValue(m_color), GetBValue(m_color)));
}

void CColorStatic::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        if (const std::optional<COLORREF> chosen = CurrentChooser()(kChooserStart)) {
            m_color = *chosen;
            update();
        }
    }
    QWidget::mousePressEvent(e);
}
