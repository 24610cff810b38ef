#include "CDib.h"

#include "CInfomation.h"
#include "model/BoardServices.h"
#include "model/Utilities.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace
{

// The reduced copy for the smallest zoom: 1/64 is 2^-6.
constexpr int kLowestLevel = 6;
static_assert(CDib::kMinZoom == 1.0 / double(1 << kLowestLevel));

// Board state when there is one (its transform is the one zooming writes), else
// whatever board services are installed.
BoardServices& Board()
{
    return theInfomation ? static_cast<BoardServices&>(*theInfomation) : BoardServices::Current();
}

// Frame sizes computed from a quotient land a hair off a whole number (100000 mils at
// 300 DPI); such values are taken as the whole number so truncation does not lose a
// pixel.
double WholeIfNear(double v)
{
    const double whole = std::round(v);
    return std::fabs(v - whole) < 1e-6 ? whole : v;
}

Rect Intersect(const Rect& a, const Rect& b)
{
    return Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

} // namespace

CDib::CDib()
{
    ResetMembers();
    ResetToActualSize();
}

CDib::~CDib() = default;

void CDib::ResetMembers()
{
    m_pyramid.Clear();
    m_path.clear();
    m_resolutionX = kDefaultDpi;
    m_resolutionY = kDefaultDpi;
    m_baseScaleX = 1000.0 / m_resolutionX;
    m_baseScaleY = 1000.0 / m_resolutionY;
    m_zoom = 1.0;
    m_anchorSet = false;
    UpdateSizes();
}

void CDib::Release()
{
    ResetMembers();
    ResetToActualSize();
}

BOOL CDib::IsLoaded() const
{
    return HasImage() ? TRUE : BOOL(thePlatformFlag);
}

double CDib::PhotoMilsX() const
{
    return m_pyramid.Width() * 1000.0 / m_resolutionX;
}

double CDib::PhotoMilsY() const
{
    return m_pyramid.Height() * 1000.0 / m_resolutionY;
}

unsigned CDib::GetBoardWidthMils() const
{
    return unsigned(std::uint64_t(m_pyramid.Width()) * 1000u / m_resolutionX);
}

unsigned CDib::GetBoardHeightMils() const
{
    return unsigned(std::uint64_t(m_pyramid.Height()) * 1000u / m_resolutionY);
}

void CDib::UpdateSizes()
{
    m_scaleX = m_baseScaleX / m_zoom;
    m_scaleY = m_baseScaleY / m_zoom;
    m_displayedWidth = m_pyramid.Width() * m_zoom;
    m_displayedHeight = m_pyramid.Height() * m_zoom;
    // The board frame holds the whole photograph even when it is larger than the board.
    m_boardWidth = WholeIfNear(std::max(kBoardMils, PhotoMilsX()) / m_scaleX);
    m_boardHeight = WholeIfNear(std::max(kBoardMils, PhotoMilsY()) / m_scaleY);
}

double CDib::GetWidth() const
{
    return std::trunc(thePlatformFlag ? m_boardWidth : m_displayedWidth);
}

double CDib::GetHeight() const
{
    return std::trunc(thePlatformFlag ? m_boardHeight : m_displayedHeight);
}

void CDib::ResetToActualSize()
{
    m_zoom = 1.0;
    UpdateSizes();
    m_anchorSet = false;
    if (!theInfomation)
        return;
    theInfomation->SetScaleX(m_scaleX);
    theInfomation->SetScaleY(m_scaleY);
    const int origin[2] = {0, int(GetHeight())};
    theInfomation->SetScreenOrigin(origin);
    m_anchor = Board().ScreenToBoard(Point{0, origin[1]});
    m_anchorSet = true;
}

Position CDib::FrameAnchor() const
{
    const Point corner{0, int(GetHeight())};
    BoardServices& board = Board();
    if (m_anchorSet && board.BoardToScreen(m_anchor) == corner)
        return m_anchor;
    return board.ScreenToBoard(corner);
}

BOOL CDib::SetZoom(double zoom)
{
    if (!theInfomation)
        return FALSE;
    const Position anchor = FrameAnchor();
    m_zoom = zoom;
    UpdateSizes();
    theInfomation->SetScaleX(m_scaleX);
    theInfomation->SetScaleY(m_scaleY);
    // The screen position is the origin pixel plus a part that depends on the scales
    // only: move the origin by what the anchor is off its corner.
    int origin[2];
    theInfomation->GetScreenOrigin(origin);
    const Point at = theInfomation->BoardToScreen(anchor);
    origin[0] += 0 - at.x;
    origin[1] += int(GetHeight()) - at.y;
    theInfomation->SetScreenOrigin(origin);
    m_anchor = anchor;
    m_anchorSet = true;
    return TRUE;
}

BOOL CDib::ZoomIn(const Position&)
{
    if (!IsLoaded() || m_zoom >= kMaxZoom)
        return FALSE;
    return SetZoom(std::min(m_zoom * kZoomStep, kMaxZoom));
}

BOOL CDib::ZoomOut(const Position&)
{
    if (!IsLoaded() || m_zoom <= kMinZoom)
        return FALSE;
    return SetZoom(std::max(m_zoom / kZoomStep, kMinZoom));
}

int CDib::ZoomToActualSize()
{
    if (!SetZoom(1.0)) {
        m_zoom = 1.0;
        UpdateSizes();
    }
    return 1;
}

std::unique_ptr<PhotoFile> CDib::Read(const std::string& path)
{
    return PhotoFile::Read(path, kLowestLevel, kDecoderLimitMB);
}

void CDib::Install(std::unique_ptr<PhotoFile> photo)
{
    ResetMembers();
    m_pyramid = std::move(photo->Pyramid());
    m_path = photo->GetPath();
    m_resolutionX = photo->GetResolutionX();
    m_resolutionY = photo->GetResolutionY();
    m_baseScaleX = 1000.0 / m_resolutionX;
    m_baseScaleY = 1000.0 / m_resolutionY;
    ResetToActualSize();
}

BOOL CDib::Load(const std::string& path)
{
    std::unique_ptr<PhotoFile> photo = Read(path);
    if (!photo)
        return FALSE;
    Install(std::move(photo));
    return TRUE;
}

Rect CDib::TargetRect() const
{
    // The photograph lies in the middle of the frame; its corners are converted like
    // any board point, so it sits exactly where the board expects it.
    const double frameX = thePlatformFlag ? std::max(kBoardMils, PhotoMilsX()) : PhotoMilsX();
    const double frameY = thePlatformFlag ? std::max(kBoardMils, PhotoMilsY()) : PhotoMilsY();
    const Position anchor = FrameAnchor();
    const Position centre(anchor.x + frameX * 0.5, anchor.y + frameY * 0.5);
    const double w = PhotoMilsX();
    const double h = PhotoMilsY();
    BoardServices& board = Board();
    const Point topLeft = board.BoardToScreen(Position(centre.x - w * 0.5, centre.y + h * 0.5));
    const Point bottomRight = board.BoardToScreen(Position(centre.x + w * 0.5, centre.y - h * 0.5));
    return Rect{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

void CDib::Draw(QPainter* painter, const Rect& clip, Rect* covered)
{
    if (m_pyramid.IsEmpty()) {
        if (covered)
            *covered = Rect{};
        return;
    }
    const Point scroll = Board().GetViewScrollPosition();
    Rect target = TargetRect();
    target.Offset(-scroll.x, -scroll.y);
    if (covered)
        *covered = target;
    const Rect visible = Intersect(target, clip);
    if (!painter || visible.IsEmpty())
        return;

    // The smallest reduced copy still at least as large as the target (a pixel of
    // rounding allowed).
    const int tw = target.Width();
    const int th = target.Height();
    int k = 0;
    while (k + 1 < m_pyramid.LevelCount() && m_pyramid.Level(k + 1).width() + 1 >= tw &&
           m_pyramid.Level(k + 1).height() + 1 >= th)
        ++k;
    const QImage& level = m_pyramid.Level(k);

    painter->save();
    if (std::abs(level.width() - tw) <= 1 && std::abs(level.height() - th) <= 1) {
        // Pixel for pixel: copy the visible part.
        const QRect source = QRect(visible.left - target.left, visible.top - target.top,
                                   visible.Width(), visible.Height()) &
                             level.rect();
        if (!source.isEmpty())
            painter->drawImage(QPoint(target.left + source.left(), target.top + source.top()),
                               level, source);
    } else {
        // Scaled: the visible part's source pixels and one more on every side, so a
        // partial repaint interpolates across its edges exactly as a full one does;
        // the clip keeps the drawing inside the visible part.
        const double levelW = double(m_pyramid.Width()) / double(1 << k);
        const double levelH = double(m_pyramid.Height()) / double(1 << k);
        const double fx = levelW / tw; // source pixels per view pixel
        const double fy = levelH / th;
        const int x0 = std::max(0, int(std::floor((visible.left - target.left) * fx)) - 1);
        const int y0 = std::max(0, int(std::floor((visible.top - target.top) * fy)) - 1);
        const int x1 =
            std::min(level.width(), int(std::ceil((visible.right - target.left) * fx)) + 1);
        const int y1 =
            std::min(level.height(), int(std::ceil((visible.bottom - target.top) * fy)) + 1);
        if (x1 > x0 && y1 > y0) {
            painter->setClipRect(
                QRect(visible.left, visible.top, visible.Width(), visible.Height()),
                Qt::IntersectClip);
            painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
            const QRectF dest(target.left + x0 / fx, target.top + y0 / fy, (x1 - x0) / fx,
                              (y1 - y0) / fy);
            painter->drawImage(dest, level, QRectF(x0, y0, x1 - x0, y1 - y0));
        }
    }
    painter->restore();
}
