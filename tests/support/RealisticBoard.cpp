#include "RealisticBoard.h"

#include "board/CManElement.h"
#include "model/CArc.h"
#include "model/CComponent.h"
#include "model/CFillArea.h"
#include "model/CFreePad.h"
#include "model/CLine.h"
#include "model/CPolygon.h"
#include "model/CTxtTag.h"
#include "model/CViaPad.h"
#include "model/Constants.h"
#include "model/LayerId.h"

#include <array>
#include <string>

namespace
{

constexpr std::array kTrackWidths{8.0, 8.0, 10.0, 10.0, 12.0, 16.0, 25.0, 50.0};
constexpr std::array kCopperLayers{LAYER_TOP, LAYER_BOTTOM};
constexpr double kSilkWidth = 8.0;

// Which object comes next, out of a hundred: the share of each kind.
enum class Kind { Track, Via, Component, Pad, Arc, Text, Fill, Pour };
struct Share {
    Kind kind;
    int upTo; // the kind's shares end before this number
};
constexpr std::array kMix{Share{Kind::Track, 68}, Share{Kind::Via, 82},  Share{Kind::Component, 86},
                          Share{Kind::Pad, 90},   Share{Kind::Arc, 93},  Share{Kind::Text, 97},
                          Share{Kind::Fill, 99},  Share{Kind::Pour, 100}};
// Pin pitch and the gap between the two rows of a component.
constexpr double kPitch = 75.0;
constexpr std::array kRowGaps{200.0, 400.0};

CTxtTag* MakeText(const std::string& text, const Position& at, double height, double angle,
                  int layer)
{
    auto* t = new CTxtTag();
    TextProperties p = t->GetProperties();
    p.text = text;
    p.position = at;
    p.height = height;
    p.width = height / 8.0 < 6.0 ? 6.0 : height / 8.0;
    p.rotation = angle;
    p.layer = layer;
    t->SetProperties(p);
    return t;
}

CLine* MakeLine(const Position& a, const Position& b, double width, int layer)
{
    auto* line = new CLine(a, b);
    line->SetLineWidth(&width);
    line->SetLayer(layer);
    return line;
}

} // namespace

RealisticBoard::RealisticBoard(std::uint32_t seed, const Position& origin)
    : m_state(seed * 2654435761u + 1u), m_origin(origin)
{
}

std::uint32_t RealisticBoard::Random()
{
    // xorshift32: the same numbers with every compiler and library.
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return m_state;
}

double RealisticBoard::Between(double lo, double hi)
{
    return lo + (hi - lo) * double(Random() >> 8) / double(1u << 24);
}

Position RealisticBoard::SomePoint(double margin)
{
    // One draw after the other: the order of a call's arguments is not fixed.
    const double x = Between(margin, kWidthMils - margin);
    const double y = Between(margin, kHeightMils - margin);
    return Position(m_origin.x + x, m_origin.y + y);
}

void RealisticBoard::Fill(CManElement& elements, int count)
{
    for (int i = 0; i < count; ++i)
        elements.AddEntity(Next().release());
}

std::unique_ptr<CEntity> RealisticBoard::Next()
{
    const int share = Below(100);
    Kind kind = Kind::Track;
    for (const Share& s : kMix)
        if (share < s.upTo) {
            kind = s.kind;
            break;
        }
    switch (kind) {
    case Kind::Track:
        return std::unique_ptr<CEntity>(Track());
    case Kind::Via:
        return std::unique_ptr<CEntity>(Via());
    case Kind::Component:
        return std::unique_ptr<CEntity>(Component());
    case Kind::Pad: {
        const Position at = SomePoint(100.0);
        return std::unique_ptr<CEntity>(Pad(at, Below(64) + 1, false));
    }
    case Kind::Arc:
        return std::unique_ptr<CEntity>(Arc());
    case Kind::Text:
        return std::unique_ptr<CEntity>(Text());
    case Kind::Fill:
        return std::unique_ptr<CEntity>(Fill());
    case Kind::Pour:
        return std::unique_ptr<CEntity>(Pour());
    }
    return std::unique_ptr<CEntity>(Track());
}

// Tracks come in routed chains of a few segments at multiples of 45 degrees, now and
// then one at any angle.
CEntity* RealisticBoard::Track()
{
    if (m_chainLeft <= 0) {
        m_chainEnd = SomePoint(200.0);
        m_chainLeft = 2 + Below(6);
    }
    --m_chainLeft;
    const double angle = Below(10) == 0 ? Between(0.0, 2.0 * PI) : Below(8) * PI / 4.0;
    Position end = m_chainEnd.PolarOffset(Between(30.0, 200.0), angle);
    const Position lo(m_origin.x + 50.0, m_origin.y + 50.0);
    const Position hi(m_origin.x + kWidthMils - 50.0, m_origin.y + kHeightMils - 50.0);
    if (end.x < lo.x || end.y < lo.y || end.x > hi.x || end.y > hi.y)
        end = m_chainEnd.PolarOffset(Between(30.0, 200.0), angle + PI);
    const double width = kTrackWidths[std::size_t(Below(int(kTrackWidths.size())))];
    CLine* line = MakeLine(m_chainEnd, end, width, kCopperLayers[std::size_t(Below(2))]);
    m_chainEnd = end;
    return line;
}

CEntity* RealisticBoard::Via()
{
    auto* via = new CViaPad(SomePoint(50.0));
    via->SetSizeX(Below(2) ? 40.0 : 28.0);
    via->SetHoleSize(Below(2) ? 20.0 : 12.0);
    return via;
}

// Round, rectangular or oval (round with unequal sides), numbered.
CEntity* RealisticBoard::Pad(const Position& at, int number, bool component)
{
    auto* pad = new CFreePad();
    pad->SetPosition(at, 0);
    const int shape = Below(3);
    pad->SetShape(shape == 1 ? ET_RECTANGLE : ET_ROUND);
    const double size = component ? 35.0 + 10.0 * Below(3) : 60.0 + 10.0 * Below(4);
    pad->SetSizeX(size);
    pad->SetSizeY(shape == 2 ? size * 1.8 : size);
    pad->SetHoleSize(size / 2.0);
    pad->SetLayer(LAYER_MULTI);
    pad->SetName(std::to_string(number));
    return pad;
}

CEntity* RealisticBoard::Arc()
{
    const double start = Below(8) * PI / 4.0;
    const Position centre = SomePoint(300.0);
    const double radius = Between(25.0, 250.0);
    auto* arc = new CArc(centre, radius, start, start + Between(PI / 4.0, 2.0 * PI));
    const double width = kTrackWidths[std::size_t(Below(7))];
    arc->SetLineWidth(&width);
    arc->SetLayer(Below(3) == 0 ? LAYER_TOP_OVERLAY : kCopperLayers[std::size_t(Below(2))]);
    return arc;
}

CEntity* RealisticBoard::Text()
{
    static constexpr std::array kWords{"GND", "VCC", "+5V", "RESET", "CLK", "DATA",
                                       "SDA", "SCL", "TP",  "REV B", "JP",  "LED"};
    std::string text = kWords[std::size_t(Below(int(kWords.size())))];
    text += std::to_string(Below(100));
    const int layer = Below(2) ? LAYER_TOP_OVERLAY : kCopperLayers[std::size_t(Below(2))];
    const Position at = SomePoint(400.0);
    const double height = 40.0 + 20.0 * Below(4);
    return MakeText(text, at, height, Below(4) * PI / 2.0, layer);
}

CEntity* RealisticBoard::Fill()
{
    auto* fill = new CFillArea();
    const Position at = SomePoint(300.0);
    fill->SetCorner1(at);
    const double w = Between(30.0, 250.0);
    fill->SetCorner2(at + Position(w, Between(30.0, 250.0)));
    fill->SetLayer(kCopperLayers[std::size_t(Below(2))]);
    return fill;
}

// A dual-row part: 4 to 16 pads at kPitch, the outline on the silkscreen with a pin-1
// notch, and its designator above it.
CEntity* RealisticBoard::Component()
{
    const int pads = 4 + 2 * Below(7);
    const int perRow = pads / 2;
    const double rowGap = kRowGaps[std::size_t(Below(2))];
    const Position at = SomePoint(900.0);
    auto* comp = new CComponent("DIP" + std::to_string(pads));
    for (int pin = 0; pin < pads; ++pin) {
        const bool lower = pin < perRow;
        const int column = lower ? pin : pads - 1 - pin;
        std::unique_ptr<CEntity> pad(
            Pad(at + Position(kPitch * column, lower ? 0.0 : rowGap), pin + 1, true));
        comp->AddEntity(pad.get(), 0);
    }
    const double right = kPitch * (perRow - 1) + 60.0;
    const std::array corners{at + Position(-60.0, 60.0), at + Position(right, 60.0),
                             at + Position(right, rowGap - 60.0),
                             at + Position(-60.0, rowGap - 60.0)};
    for (std::size_t i = 0; i < corners.size(); ++i) {
        std::unique_ptr<CLine> edge(
            MakeLine(corners[i], corners[(i + 1) % corners.size()], kSilkWidth, LAYER_TOP_OVERLAY));
        comp->AddEntity(edge.get(), 0);
    }
    CArc notch(at + Position(-60.0, rowGap / 2.0), 25.0, -PI / 2.0, PI / 2.0);
    notch.SetLineWidth(&kSilkWidth);
    notch.SetLayer(LAYER_TOP_OVERLAY);
    comp->AddEntity(&notch, 0);
    comp->SetPosition(at, 0);
    ++m_serial;
    const std::string name = (Below(2) ? "U" : "J") + std::to_string(m_serial);
    comp->SetName(name);
    TextProperties d = comp->GetDesignator().GetProperties();
    d.height = 60.0;
    d.width = 8.0;
    d.layer = LAYER_TOP_OVERLAY;
    d.position = at + Position(-60.0, rowGap + 10.0);
    d.text = name;
    comp->GetDesignator().SetProperties(d);
    comp->SetDesignatorPosition(d.position);
    return comp;
}

// A rectangular or L-shaped pour with a 90 or 45 degree hatch.
CEntity* RealisticBoard::Pour()
{
    auto* pour = new CPolygon();
    pour->SetHatchStyle(Below(2) ? CPolygon::HATCH_90 : CPolygon::HATCH_45);
    pour->SetHatchParam(Below(2) ? 20.0 : 30.0);
    const double width = 8.0;
    pour->SetLineWidth(&width);
    pour->SetLayer(kCopperLayers[std::size_t(Below(2))]);
    const Position at = SomePoint(700.0);
    const double w = Between(200.0, 600.0);
    const double h = Between(200.0, 600.0);
    const std::array corners{at,
                             at + Position(w, 0.0),
                             at + Position(w, h / 2.0),
                             at + Position(w / 2.0, h / 2.0),
                             at + Position(w / 2.0, h),
                             at + Position(0.0, h)};
    for (std::size_t i = 0; i < corners.size(); ++i)
        pour->AddOutlineSegment(new CLine(corners[i], corners[(i + 1) % corners.size()]));
    pour->RebuildFill();
    return pour;
}

QImage RealisticBoard::Photo(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const bool trace = (x % 53) < 3 || (y % 41) < 3 || ((x + y) % 211) < 4;
            const int noise = ((x * 7 + y * 13) ^ (x >> 3)) & 15;
            line[x] = trace ? qRgb(190 + noise, 160 + noise, 80) : qRgb(20 + noise, 70 + noise, 35);
        }
    }
    return image;
}
