// A realistic board for benchmarks and picture tests, the same on every run: tracks of
// several widths and angles in routed chains, vias, round, rectangular and oval numbered
// pads, arcs, stroke-font texts, area fills, components of 4 to 16 pads with their
// silkscreen outline and designator, and hatched polygon pours, spread over an area of
// 10 x 8 inches; and a generated photograph to trace it over.
//
// Units: mils, board y upwards. Objects are created on the calling thread; the board
// state (theInfomation) must exist and takes them over.
#pragma once

#include "model/Geometry.h"

#include <QImage>

#include <cstdint>
#include <memory>

class CEntity;
class CManElement;

class RealisticBoard
{
  public:
    static constexpr double kWidthMils = 10000.0;
    static constexpr double kHeightMils = 8000.0;

    // `seed` fixes every choice; the board's lower-left corner is `origin`.
    explicit RealisticBoard(std::uint32_t seed = 15, const Position& origin = Position(0.0, 0.0));

    // Appends `count` top-level objects to `elements` (no undo records): about 68 in a
    // hundred tracks, 14 vias, 4 components, 4 free pads, 3 arcs, 4 texts, 2 fills and
    // one pour.
    void Fill(CManElement& elements, int count);
    // The next top-level object of the mix.
    std::unique_ptr<CEntity> Next();

    // Something like a board scan, `width` x `height` pixels: a green substrate with
    // noise and fine bright traces.
    static QImage Photo(int width, int height);

  private:
    std::uint32_t Random();
    // A whole number in 0..n-1; a real number in lo..hi.
    int Below(int n) { return int(Random() % std::uint32_t(n)); }
    double Between(double lo, double hi);
    Position SomePoint(double margin);
    // The objects of each kind, new (the caller owns them).
    CEntity* Track();
    CEntity* Via();
    CEntity* Pad(const Position& at, int number, bool component);
    CEntity* Arc();
    CEntity* Text();
    CEntity* Fill();
    CEntity* Component();
    CEntity* Pour();

    std::uint32_t m_state;
    Position m_origin;
    Position m_chainEnd;
    int m_chainLeft = 0;
    int m_serial = 0;
};
