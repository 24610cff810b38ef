// Renders the sample photograph of a small board that ships with Vantor
// (docs/sample/sample-board-800dpi.jpg): a green two-layer board with tracks, pads, an
// eight-pin chip, vias and silkscreen, with the uneven light and grain of a scan, so
// that a new user can trace a board at once. Sizes are in mils; the picture is 800 DPI.
//
//   vantor_sample_board OUTPUT.jpg
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRandomGenerator>

#include <cstdio>
#include <vector>

namespace
{

constexpr double kDpi = 800.0;
constexpr double kPixelsPerMil = kDpi / 1000.0;
constexpr int kWidthMils = 2000;
constexpr int kHeightMils = 1500;

const QColor kMask(28, 92, 44);
const QColor kCopper(96, 150, 70); // copper under the mask
const QColor kTin(196, 190, 170);  // bare pads
const QColor kHole(18, 20, 16);
const QColor kSilk(232, 232, 222);

QPointF At(double xMils, double yMils)
{
    return QPointF(xMils * kPixelsPerMil, yMils * kPixelsPerMil);
}

void Track(QPainter& p, const std::vector<QPointF>& milPoints, double widthMils)
{
    QPen pen(kCopper, widthMils * kPixelsPerMil, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QPainterPath path(At(milPoints[0].x(), milPoints[0].y()));
    for (std::size_t i = 1; i < milPoints.size(); ++i)
        path.lineTo(At(milPoints[i].x(), milPoints[i].y()));
    p.drawPath(path);
}

void RoundPad(QPainter& p, double x, double y, double diameterMils, double holeMils)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kTin);
    p.drawEllipse(At(x, y), diameterMils * kPixelsPerMil / 2, diameterMils * kPixelsPerMil / 2);
    p.setBrush(kHole);
    p.drawEllipse(At(x, y), holeMils * kPixelsPerMil / 2, holeMils * kPixelsPerMil / 2);
}

void SquarePad(QPainter& p, double x, double y, double sizeMils, double holeMils)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kTin);
    const double s = sizeMils * kPixelsPerMil;
    p.drawRect(QRectF(At(x, y) - QPointF(s / 2, s / 2), QSizeF(s, s)));
    p.setBrush(kHole);
    p.drawEllipse(At(x, y), holeMils * kPixelsPerMil / 2, holeMils * kPixelsPerMil / 2);
}

void Silk(QPainter& p, const QRectF& milRect)
{
    p.setPen(QPen(kSilk, 8 * kPixelsPerMil));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(At(milRect.left(), milRect.top()), At(milRect.right(), milRect.bottom())));
}

void Draw(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRectF(At(0, 0), At(kWidthMils, kHeightMils)), kMask);

    // An eight-pin chip at 300 mils between rows, pins 100 mils apart.
    const double chipX = 800, chipY = 500;
    for (int i = 0; i < 4; ++i) {
        Track(p, {{chipX + i * 100.0, chipY}, {chipX + i * 100.0, chipY - 250}}, 20);
        Track(p,
              {{chipX + i * 100.0, chipY + 300},
               {chipX + i * 100.0 + 150, chipY + 450},
               {chipX + i * 100.0 + 150, chipY + 700}},
              20);
    }
    // Two resistors and a connector, joined by tracks at 45 and 90 degrees.
    Track(p, {{300, 300}, {300, 700}, {500, 900}, {1100, 900}}, 25);
    Track(p, {{1500, 300}, {1500, 600}, {1300, 800}}, 15);
    Track(p, {{1700, 1200}, {1700, 900}, {1500, 700}}, 30);
    Track(p, {{300, 1200}, {600, 1200}}, 40);

    for (int i = 0; i < 4; ++i) {
        (i == 0 ? SquarePad : RoundPad)(p, chipX + i * 100.0, chipY, 60, 32);
        RoundPad(p, chipX + i * 100.0, chipY + 300, 60, 32);
        RoundPad(p, chipX + i * 100.0, chipY - 250, 50, 28);
        RoundPad(p, chipX + i * 100.0 + 150, chipY + 700, 50, 28);
    }
    RoundPad(p, 300, 300, 70, 35);
    RoundPad(p, 1500, 300, 70, 35);
    RoundPad(p, 1100, 900, 40, 20); // via
    RoundPad(p, 1300, 800, 40, 20); // via
    RoundPad(p, 1500, 700, 40, 20); // via
    for (int i = 0; i < 3; ++i)
        SquarePad(p, 300 + i * 100.0, 1200, 70, 38);
    RoundPad(p, 1700, 1200, 80, 40);
    for (const QPointF& corner :
         {QPointF(120, 120), QPointF(1880, 120), QPointF(120, 1380), QPointF(1880, 1380)})
        RoundPad(p, corner.x(), corner.y(), 150, 125);

    Silk(p, QRectF(chipX - 70, chipY + 60, 440, 180));
    Silk(p, QRectF(240, 1130, 320, 140));
}

// The light of a scanner lamp, brighter towards one corner, and fine grain.
void Scan(QImage& image)
{
    QRandomGenerator random(20261209);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const double light = 0.88 + 0.18 * (double(x) / image.width()) *
                                            (1.0 - 0.5 * double(y) / image.height());
            const int grain = int(random.bounded(13)) - 6;
            const QColor c(row[x]);
            row[x] = qRgb(qBound(0, int(c.red() * light) + grain, 255),
                          qBound(0, int(c.green() * light) + grain, 255),
                          qBound(0, int(c.blue() * light) + grain, 255));
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.jpg\n", argv[0]);
        return 2;
    }
    QGuiApplication app(argc, argv);
    QImage image(int(kWidthMils * kPixelsPerMil), int(kHeightMils * kPixelsPerMil),
                 QImage::Format_RGB32);
    {
        QPainter painter(&image);
        Draw(painter);
    }
    Scan(image);
    image.setDotsPerMeterX(int(kDpi / 0.0254 + 0.5));
    image.setDotsPerMeterY(int(kDpi / 0.0254 + 0.5));
    if (!image.save(QString::fromLocal8Bit(argv[1]), "JPEG", 88)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
