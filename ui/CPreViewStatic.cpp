#include "CPreViewStatic.h"

#include "board/CInfomation.h"
#include "model/CComponent.h"
#include "platform/qt/QtDrawContext.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace
{

// The board's view transform, put back when the preview has drawn with its own.
class SavedTransform
{
  public:
    explicit SavedTransform(CInfomation& info)
        : m_info(info), m_scaleX(info.GetScaleX()), m_scaleY(info.GetScaleY()),
          m_offset(info.GetViewOffset())
    {
        info.GetScreenOrigin(m_origin);
    }
    ~SavedTransform()
    {
        m_info.SetScaleX(m_scaleX);
        m_info.SetScaleY(m_scaleY);
        m_info.SetScreenOrigin(m_origin);
        m_info.SetViewOffset(m_offset);
    }
    SavedTransform(const SavedTransform&) = delete;
    SavedTransform& operator=(const SavedTransform&) = delete;

  private:
    CInfomation& m_info;
    double m_scaleX;
    double m_scaleY;
    int m_origin[2] = {0, 0};
    Position m_offset;
};

} // namespace

CPreViewStatic::CPreViewStatic(QWidget* parent) : QWidget(parent)
{
    setProperty("controlId", IDC);
    setMinimumSize(200, 160);
}

void CPreViewStatic::SetComponent(CComponent* component)
{
    m_component = component;
    update();
}

void CPreViewStatic::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!m_component || !theInfomation || width() <= 0 || height() <= 0)
        return;
    BOX2D box;
    m_component->GetBox(&box, nullptr);
    const double w = std::fabs(box.x2 - box.x1);
    const double h = std::fabs(box.y2 - box.y1);
    // Mils per pixel, so that the whole component fits; a component without extent is
    // drawn at one mil per pixel.
    double scale = std::max(w / width(), h / height());
    if (!(scale > 0.0))
        scale = 1.0;

    const SavedTransform saved(*theInfomation);
    theInfomation->SetScaleX(scale);
    theInfomation->SetScaleY(scale);
    const int origin[2] = {width() / 2, height() / 2};
    theInfomation->SetScreenOrigin(origin);
    theInfomation->SetViewOffset(Position((box.x1 + box.x2) * 0.5, (box.y1 + box.y2) * 0.5));
    // Board objects draw in the view's client coordinates, less its scroll position.
    const Point scroll = theInfomation->GetViewScrollPosition();
    painter.translate(scroll.x, scroll.y);
    QtDrawContext dc(&painter);
    const Rect clip{-scroll.x, -scroll.y, width() - scroll.x, height() - scroll.y};
    m_component->Draw(&dc, 0, clip, nullptr);
}
