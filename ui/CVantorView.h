// The board view: the background photograph with the board drawn over it. It turns
// every mouse, key, wheel and timer event into a board point, a key code and key-state
// flags for its embedded dispatcher, scrolls and zooms, scrolls by itself while a tool
// is active and the pointer is at the window's edge, keeps the pointer's board
// coordinate as its status text and receives the board notifications. It is also the
// view port through which the board state and the tools reach the window.
#pragma once

#include "board/ViewPort.h"
#include "commands/CNormalStatus.h"
#include "commands/EditCommands.h"
#include "platform/qt/QtFonts.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QRegion>
#include <QSize>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <vector>

class BandedDrawing;
class BoardServices;
class CComponent;
class CMyWnd;
class CDib;
class CVantorDoc;
class DrawContext;
struct ViewEvent;

class CVantorView : public QAbstractScrollArea, public ViewPort
{
    Q_OBJECT

  public:
    // Timer ids and periods: the hover probe and the edge auto-scroll.
    static constexpr int kHoverTimer = 1;
    static constexpr int kHoverPeriodMs = 800;
    static constexpr int kAutoScrollTimer = 2;
    static constexpr int kAutoScrollPeriodMs = 200;
    // A pointer closer than this to a client edge scrolls while a tool is active.
    static constexpr int kEdgeBand = 15;
    // The auto-scroll step: kStepMin..kStepMax pixels in steps of kStepMin.
    static constexpr int kStepMin = 15;
    static constexpr int kStepMax = 225;
    // Scroll range without a photograph.
    static constexpr int kEmptyExtent = 100;
    // Colour keys of the background and the cross-hair.
    static constexpr int kBackgroundKey = 38;
    static constexpr int kCrossHairLayer = 21;

    // Registers itself with the board state (view, repaint queue) and starts the hover
    // timer. `doc` holds the photograph; it is not owned and may be null.
    explicit CVantorView(CVantorDoc* doc, QWidget* parent = nullptr);
    // Ends any tool as a teardown and unregisters from the board state.
    ~CVantorView() override;

    CNormalStatus& Dispatcher() { return m_status; }
    // The edit commands on the board through this view's dispatcher; the board state
    // must exist.
    EditCommands Edit();
    CVantorDoc* GetDocument() const { return m_doc; }

    // Board commands. OnCommand: true when the id is the view's (it has run);
    // UpdateCommand: true when the id is the view's, with its state filled in.
    bool OnCommand(int id);
    bool UpdateCommand(int id, bool* enabled, bool* checked);

    // A board notification (sub-codes of BoardNotify). Codes for the frame and the
    // start-up window are passed on with frameNotify; unknown codes are ignored. What
    // travels with a notice is never a pointer in a number: a component to place comes
    // through PlaceComponent, a rectangle to repaint through RepaintRect (now) or
    // PostRepaintRect (from any thread, later).
    void OnBoardNotify(int code, std::intptr_t arg);
    void PostRepaintRect(const Rect& clientRect);
    // Place a component chosen in the library browser: the component tool takes it
    // over; with no tool to take it, it is freed.
    void PlaceComponent(std::unique_ptr<CComponent> component);
    // After a photograph was opened or closed: new scroll range centred, repainted.
    void PhotoChanged();
    // The pointer's board coordinate in the current unit; empty until the pointer
    // moved over a photograph.
    QString StatusText() const { return m_statusText; }
    // The text for a board point in a unit name ("MM" or anything else: mils).
    static QString FormatStatus(const Position& p, const std::string& unitName);

    // Zoom one step about a board point, which then comes to the window's centre.
    // True when the zoom changed.
    bool ZoomIn(const Position& p);
    bool ZoomOut(const Position& p);
    // Back to one photograph pixel per view pixel.
    void OnPhotoActualSize();
    // Asks another grid step ("Other....") and takes it when confirmed.
    void OnGridOther();
    // The edit commands; false for any other id.
    bool EditCommand(int id);
    // The view's settings, zoom, origin and dialog commands.
    void ViewCommand(int id);
    // Repaints one rectangle (client pixels) at once.
    void RepaintRect(Rect r);
    // The timers' work; the QTimers call it, tests may call it directly.
    void OnTimer(int id);
    bool IsAutoScrolling() const { return m_autoScrollTimer.isActive(); }
    int IsCrossLine() const { return m_crossLine; }
    // The library browser shown again when a component placing tool ends.
    void SetBrowserDialog(QWidget* browser) { m_browser = browser; }
    QWidget* BrowserDialog() const { return m_browser; }
    // The library command: the one browser of the view is made the first time and
    // shown again after that; what it places goes to PlaceComponent.
    void OnLibraryBrowser();
    // The overlay window that receives copies of the mouse messages (not owned).
    void SetOverlayWindow(CMyWnd* overlay);

    // --- view port --------------------------------------------------------------------
    void InvalidateRect(const Rect& clientRect) override;
    void InvalidateAll() override;
    void InvalidateOverlay(const Rect& clientRect) override;
    Point GetScrollPosition() const override;
    void ScrollToLogical(Point p) override;
    Point GetClientSize() const override;
    Point GetCursorPos() const override;
    void SetCursorPos(Point clientPoint) override;
    void SetCapture() override;
    void ReleaseCapture() override;
    void SetCursorShape(CursorShape shape) override;
    bool ZoomStep(bool zoomIn, const Position& about) override;
    void PostBoardNotify(int code, std::intptr_t arg) override;
    bool IsKeyDown(int vk) const override;
    void ShowStatusMessage(const std::string& text) override;

  signals:
    void statusTextChanged(const QString& text);
    // A passing note for the status bar.
    void statusMessage(const QString& text);
    // The board changed: the document is modified.
    void documentModified();
    // Sub-codes for the frame and the start-up window.
    void frameNotify(int code, qintptr arg);

  protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    // The one place where events reach the dispatcher.
    void Dispatch(const ViewEvent& ev);
    void OnMouseMove(UINT nFlags, Point client);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    CDib* Photo() const;
    bool PhotoLoaded() const;
    // The photograph's bottom-left corner in scrolled-view pixels, as it is drawn; the
    // frame's bottom-left without an image. Photo loaded only.
    Point PhotoBottomLeft() const;
    // The scroll range from the photograph (or the small empty range) and the client.
    void UpdateScrollRange();
    // The scroll centre moved by the step for each edge the client point is near or
    // beyond; false when it is near none.
    bool EdgeScrollTarget(Point client, Point* target) const;
    void SetStatusText(const QString& text);
    // The cursor shape for the current tool.
    void UpdateCursorShape();
    void DrawCrossLine(DrawContext* dc);
    bool CrossHairShown() const;
    // What lies under the board: the background colour, the photograph and the grid. Band
    // threads call it too: it only reads the photograph, the grid and the view.
    void PaintUnderBoard(QPainter* painter, DrawContext* dc, const Rect& clip) const;
    // An area with many objects (a zoom, a new board, the strip a scroll uncovers) is
    // drawn in bands on several threads; one with few (an edit) in one pass. 1 band: one
    // pass.
    int BandsToDraw(const QRect& area, const Rect& clip) const;
    // The picture a paint event's painter draws on, when the board's rows may be copied
    // straight into it (32-bit pixels, one to a viewport pixel, moved by whole pixels,
    // not shared with another picture), for the area.
    struct Window {
        uchar* bits = nullptr; // of the viewport's pixel (0, 0)
        qsizetype bytesPerLine = 0;
    };
    static Window WindowOf(QPainter* painter, const QRect& area);
    // The objects under each of the rows' strips of `clip` (rows runs from clip.top to
    // clip.bottom), counted on the band threads with `view` as their board services, to
    // weigh the bands by.
    std::vector<std::size_t> WeighRows(const Rect& clip, const std::vector<int>& rows,
                                       BoardServices* view);
    void PaintOnThreads(QImage* into, const Rect& clip, int bands, COLORREF background,
                        const Window& window);
    // Draws the board over `area` into a picture the size of the viewport (m_frame, or
    // m_spareFrame for a paint that leaves m_frame behind a scroll). Drawn on threads,
    // each band's rows are also copied into `window` when it has pixels, and the
    // answer is true; otherwise the caller copies the area.
    bool DrawBoard(QImage* into, const QRect& area, COLORREF background, const Window& window);
    // The board changed over `area` (client pixels), or over the whole view: its kept
    // picture is stale there, and the area is repainted.
    void BoardChanged(const QRect& area);
    void BoardChanged();
    // A scroll: the kept picture falls that much further behind, and what comes into
    // view is stale. CatchUpWithScroll moves its pixels where the view now shows them.
    void ScrollFrame(int dx, int dy);
    void CatchUpWithScroll();
    // The band threads, started when first asked for.
    BandedDrawing& Bands();
    // Mouse capture taken for a tool; let go when the tool releases it or the view goes.
    void LetGoCapture();

    CVantorDoc* m_doc;
    int m_crossLine = 0;
    CNormalStatus m_status;
    QPointer<QWidget> m_browser;
    QPointer<CMyWnd> m_overlay;
    QTimer m_hoverTimer;
    QTimer m_autoScrollTimer;
    QSize m_extent{kEmptyExtent, kEmptyExtent};
    QString m_statusText;
    bool m_captured = false;
    // Rows drawn past each band on either side, and dropped (see PaintOnThreads).
    static constexpr int kBandOverlap = 8;
    // The board as last drawn (the photograph, the grid and the objects, not the tools'
    // shapes nor the cross-hair), the size of the viewport; `m_stale` is where the board
    // changed since. A paint draws the stale part of its area into the picture, copies
    // the area to the window and draws the tools' shapes over it, so a shape that moves
    // over an unchanged board costs a copy.
    QImage m_frame;
    QRegion m_stale;      // in the view as it is now
    QPoint m_frameBehind; // the scroll m_frame's pixels have not followed
    QImage m_spareFrame;  // where the picture is moved to, or drawn

    // What each band is drawn with, by the band's number, kept for the next repaint: the
    // image it is drawn into (a fresh one costs a page fault every few rows; only the rows
    // round the bands drawn in it are ever touched) and its fonts.
    struct BandKeep {
        QImage image;
        QtFonts fonts;
    };
    std::vector<BandKeep> m_bandKeeps;
    // The fonts of paints drawn in one pass.
    QtFonts m_fonts;
    // The band threads, started at the first repaint drawn on threads.
    std::unique_ptr<BandedDrawing> m_bands;
};
