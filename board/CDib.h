// The background photograph of the document: the board is traced over it. It knows
// the photograph's resolution and so its size on the board in mils, draws the part of
// it that a repaint needs, and owns the zoom of the view: zooming changes the board
// state's view transform so that the photograph and the board scale together and every
// board point stays on the same photograph pixel.
//
// Geometry. The view scrolls over a frame whose bottom-left pixel (0, GetHeight()) is
// the board's origin after loading, board y growing upwards:
// - with the board-without-photo switch off, the frame is the photograph itself;
// - with it on (thePlatformFlag non-zero), the frame is the board: 100000 mils on each
//   axis (more when the photograph is larger), and the photograph lies in its middle.
// GetWidth/GetHeight give the frame in view pixels at the current zoom.
//
// Resolution: the DPI question's `horizontal` value is the x resolution and its
// `vertical` value the y resolution; each must be 1..10000, and a value outside that
// range is refused with a message and asked again. The confirmation shows
// "horizontal * vertical".
//
// Zoom: steps of a factor of two, from 1/64 to 16 times the actual size (one photograph
// pixel per view pixel). At a limit the step reports no change. Each level is drawn
// from the reduced copy of the same scale, pixel for pixel; above actual size the
// visible part of the photograph is magnified with smoothing.
#pragma once

#include "PhotoFile.h"
#include "PhotoPyramid.h"
#include "model/Geometry.h"
#include "platform/WinTypes.h"

#include <memory>
#include <string>

class QPainter;

class CDib
{
  public:
    static constexpr double kZoomStep = 2.0;
    static constexpr double kMinZoom = 1.0 / 64.0;
    static constexpr double kMaxZoom = 16.0;
    static constexpr unsigned kMinDpi = PhotoFile::kMinDpi;
    static constexpr unsigned kMaxDpi = PhotoFile::kMaxDpi;
    static constexpr unsigned kDefaultDpi = 800;
    // Size of the board frame on each axis, in mils.
    static constexpr double kBoardMils = 100000.0;
    // The largest image the decoder may allocate, in megabytes (its own default is far
    // below a large board scan).
    static constexpr int kDecoderLimitMB = 2048;

    CDib();
    CDib(const CDib&) = delete;
    CDib& operator=(const CDib&) = delete;
    virtual ~CDib();

    // True when a photograph is held, else the board-without-photo switch.
    BOOL IsLoaded() const;
    // Reads a photograph (decoded, its resolution asked and confirmed, its reduced
    // copies built) without touching the one held. Null when nothing was read: an
    // unreadable file (with a message), a cancelled question or a "no".
    static std::unique_ptr<PhotoFile> Read(const std::string& path);
    // Drops the photograph held and takes over `photo` (not null), reset to actual size
    // with the board origin at the frame's bottom-left.
    void Install(std::unique_ptr<PhotoFile> photo);
    // Read, then Install on success. FALSE when nothing was read; the previous state
    // is then kept as it was.
    BOOL Load(const std::string& path);
    // Drops the photograph and returns to the state of construction (800 x 800 DPI,
    // actual size), and puts the board state's transform at that actual size.
    void Release();

    // The frame in view pixels at the current zoom, truncated (the view's scroll range).
    double GetWidth() const;
    double GetHeight() const;

    // Draws the part of the photograph that meets `clip` (client pixels) and returns
    // in `covered` the client rectangle of the whole photograph (empty without one).
    void Draw(QPainter* painter, const Rect& clip, Rect* covered);

    // One zoom step. The board point about which the view zooms keeps its photograph
    // pixel like every other one; the view then centres it. FALSE when nothing changed
    // (at a limit, without a board state, or when nothing is loaded).
    BOOL ZoomIn(const Position& about);
    BOOL ZoomOut(const Position& about);
    // Back to actual size, keeping the board registered to the photograph. Returns 1.
    int ZoomToActualSize();

    bool HasImage() const { return !m_pyramid.IsEmpty(); }
    const std::string& GetPath() const { return m_path; }
    // The photograph in pixels (0 without one).
    int GetPixelWidth() const { return m_pyramid.Width(); }
    int GetPixelHeight() const { return m_pyramid.Height(); }
    UINT GetResolutionX() const { return m_resolutionX; }
    UINT GetResolutionY() const { return m_resolutionY; }
    // The photograph's size on the board in whole mils (pixels x 1000 / DPI, truncated).
    unsigned GetBoardWidthMils() const;
    unsigned GetBoardHeightMils() const;
    double GetZoomFactor() const { return m_zoom; }
    // Mils per view pixel now and at actual size.
    double GetScaleX() const { return m_scaleX; }
    double GetScaleY() const { return m_scaleY; }
    double GetBaseScaleX() const { return m_baseScaleX; }
    double GetBaseScaleY() const { return m_baseScaleY; }
    const PhotoPyramid& GetPyramid() const { return m_pyramid; }

  private:
    void ResetMembers();
    // Scale, displayed size and frame size from the zoom factor.
    void UpdateSizes();
    // The actual-size reset: zoom 1, and the board origin at the frame's bottom-left.
    void ResetToActualSize();
    // Changes the zoom keeping the board point at the frame's bottom-left on that
    // pixel, so the board stays registered to the photograph.
    BOOL SetZoom(double zoom);
    // The board point at the frame's bottom-left pixel.
    Position FrameAnchor() const;
    // The photograph's exact size on the board, in mils.
    double PhotoMilsX() const;
    double PhotoMilsY() const;
    // The photograph's rectangle in scrolled-view pixels.
    Rect TargetRect() const;

    PhotoPyramid m_pyramid;
    std::string m_path;
    // The frame with the switch on, in view pixels at the current zoom.
    double m_boardWidth = 0.0;
    double m_boardHeight = 0.0;
    // The photograph in view pixels at the current zoom.
    double m_displayedWidth = 0.0;
    double m_displayedHeight = 0.0;
    double m_scaleX = 0.0;
    double m_scaleY = 0.0;
    double m_baseScaleX = 0.0;
    double m_baseScaleY = 0.0;
    double m_zoom = 1.0;
    UINT m_resolutionX = kDefaultDpi;
    UINT m_resolutionY = kDefaultDpi;
    // The board point last placed at the frame's bottom-left; used again while the
    // transform still shows it there, so that zooming back and forth never drifts.
    Position m_anchor;
    bool m_anchorSet = false;
};
