// What a board object asks of the board state while it draws, hit-tests or edits
// itself: layer colours, the view transform, repaints and notices. The board state
// implements it; tests install a fake. With nothing installed a plain default serves
// (1 mil per pixel, origin at pixel (0, 0), board y upwards).
#pragma once

#include "Geometry.h"
#include "platform/WinTypes.h"

#include <cstddef>
#include <map>

class CEntity;
class CStrokeFont;

class BoardServices
{
  public:
    virtual ~BoardServices() = default;

    virtual COLORREF GetLayerColor(int key) const = 0;
    // Board mils <-> scrolled-view pixels.
    virtual Point BoardToScreen(const Position& p) const = 0;
    virtual Position ScreenToBoard(Point pt) const = 0;
    virtual int BoardToPixels(const double& length) const = 0;
    virtual double PixelsToBoard(int n) const = 0;
    virtual Point GetViewScrollPosition() const = 0;
    // Board mils -> client pixels (the screen point less the scroll position) for
    // `count` points at once, as Position::ToClient gives each.
    virtual void BoardToClient(const Position* points, Point* out, std::size_t count) const;
    // Repaint a rectangle of the view, in client pixels.
    virtual void InvalidateRect(const Rect& clientRect) = 0;
    // Repaint where `object` is drawn (client pixels); only over the board when the
    // board's own drawing leaves it out (a tool's shape, a group in hand).
    virtual void InvalidateObject(const CEntity& /*object*/, const Rect& clientRect)
    {
        InvalidateRect(clientRect);
    }
    // The board changed: the document is modified.
    virtual void NotifyModified() = 0;
    // Give up the mouse capture before a modal dialog opens.
    virtual void ReleaseCapture() = 0;
    virtual const CStrokeFont* GetStrokeFont() const = 0;

    static BoardServices& Current();
    // Installs the services the model uses; null restores the default.
    static void Install(BoardServices* services);
    // Makes `services` what Current() gives on the calling thread alone, ahead of the
    // installed ones, until called again with null; returns what the thread used before.
    // Drawing threads use it to work on a copy of the view that nothing else changes
    // while they draw.
    static BoardServices* UseOnThisThread(BoardServices* services);

  protected:
    // The view transform of the implementations: board point `offset` sits at pixel
    // `origin`, `scaleX` and `scaleY` mils make a pixel, and board y runs upwards. Pixel
    // counts are rounded half away from zero and held within a billion pixels.
    static Point TransformToScreen(const Position& p, const Position& offset, Point origin,
                                   double scaleX, double scaleY);
    // TransformToScreen less `scroll`, for `count` points.
    static void TransformToClient(const Position* points, Point* out, std::size_t count,
                                  const Position& offset, Point origin, double scaleX,
                                  double scaleY, Point scroll);
    static Position TransformToBoard(Point pt, const Position& offset, Point origin, double scaleX,
                                     double scaleY);
    static int TransformToPixels(double length, double scaleX, double scaleY);
};

// A self-contained implementation with a settable transform and colours and no view.
// The default services are one of these; tests derive their recording fake from it.
class SimpleBoardServices : public BoardServices
{
  public:
    COLORREF GetLayerColor(int key) const override;
    Point BoardToScreen(const Position& p) const override;
    Position ScreenToBoard(Point pt) const override;
    int BoardToPixels(const double& length) const override;
    double PixelsToBoard(int n) const override;
    Point GetViewScrollPosition() const override { return scroll; }
    // Nothing to repaint, notify or release: there is no view.
    void InvalidateRect(const Rect&) override {}
    void NotifyModified() override {}
    void ReleaseCapture() override {}
    const CStrokeFont* GetStrokeFont() const override { return strokeFont; }

    // Mils per pixel on each axis.
    double scaleX = 1.0;
    double scaleY = 1.0;
    // Board point shown at pixel `originPixel`.
    Position viewOffset;
    Point originPixel;
    Point scroll;
    std::map<int, COLORREF> layerColors; // missing keys give colour 0
    const CStrokeFont* strokeFont = nullptr;
};
