#include "model/CArc.h"
#include "model/CComponent.h"
#include "model/CFillArea.h"
#include "model/CFreePad.h"
#include "model/CLine.h"
#include "model/CPolygon.h"
#include "model/CTxtTag.h"
#include "model/CViaPad.h"
#include "model/Constants.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace
{

// Each case: the values given to SetProperties and what GetProperties reads back after.
template <class Values> using Cases = std::vector<std::pair<Values, Values>>;

template <class Object, class Values>
void ExpectSetThenGet(Object& object, const Cases<Values>& cases)
{
    // What the object shows, written back unchanged, leaves it as it was.
    const Values shown = object.GetProperties();
    object.SetProperties(shown);
    EXPECT_EQ(object.GetProperties(), shown);

    for (const auto& [given, read] : cases) {
        object.SetProperties(given);
        EXPECT_EQ(object.GetProperties(), read);
        object.SetProperties(object.GetProperties());
        EXPECT_EQ(object.GetProperties(), read);
    }
}

// Cases whose values read back as they were given.
template <class Values> Cases<Values> Same(std::initializer_list<Values> values)
{
    Cases<Values> cases;
    for (const Values& v : values)
        cases.emplace_back(v, v);
    return cases;
}

TEST(PropertiesTest, TrackAndArcTakeEveryValue)
{
    CLine line(Position(0, 0), Position(50, 0));
    ExpectSetThenGet(line, Same<TrackProperties>({{20.0, Position(0, 0), Position(100, 0), 1},
                                                  {8.0, Position(5, 5), Position(-30, 40), 16}}));
    EXPECT_EQ(line.GetStart(), Position(5, 5));

    CArc arc(Position(0, 0), 10.0, 0.0, 1.0);
    ExpectSetThenGet(arc, Same<ArcProperties>({{Position(50, 50), 0.5, 2.0, 10.0, 1, 25.0},
                                               {Position(-8, 4), 4.0, 1.0, 6.0, 16, 100.0}}));
}

TEST(PropertiesTest, PadAndViaTakeEveryValueAndViaLayersAreOrdered)
{
    CFreePad pad;
    ExpectSetThenGet(pad,
                     Same<PadProperties>({{"7", 1, 60.0, 40.0, 30.0, 1, 0.5, Position(100, 200)},
                                          {"A", 0, 62.0, 62.0, 0.0, 16, 0.0, Position(-5, 5)}}));

    CViaPad via;
    const ViaProperties blind{50.0, 28.0, 2, 5, Position(10, 20)};
    ViaProperties reversed = blind;
    std::swap(reversed.startLayer, reversed.endLayer);
    ExpectSetThenGet(via, Cases<ViaProperties>{{blind, blind}, {reversed, blind}});
    EXPECT_EQ(via.GetStartLayer(), 2);
}

TEST(PropertiesTest, TextFillAndPolygonTakeEveryValueAndTheMirrorFlagIsZeroOrOne)
{
    CTxtTag text;
    const TextProperties mirrored{"R1", 8.0, 60.0, 16, 0.5, Position(10, 10), 1};
    TextProperties anyFlag = mirrored;
    anyFlag.mirror = 2;
    ExpectSetThenGet(text, Cases<TextProperties>{{{"C3", 10.0, 40.0, 1, 0.0, Position(0, 5), 0},
                                                  {"C3", 10.0, 40.0, 1, 0.0, Position(0, 5), 0}},
                                                 {anyFlag, mirrored}});
    EXPECT_EQ(text.GetMirror(), 1);

    CFillArea fill;
    ExpectSetThenGet(fill, Same<FillProperties>({{1, Position(0, 0), Position(40, 30)},
                                                 {16, Position(-10, 5), Position(20, 60)}}));

    CPolygon polygon;
    ExpectSetThenGet(polygon, Same<PolygonProperties>({{2, 12.0, 10.0, 1}, {0, 20.0, 8.0, 16}}));
}

TEST(PropertiesTest, ComponentTakesItsAndItsTextsValuesAndChangesSide)
{
    CComponent component("DIP14");
    CLine track(Position(100, 100), Position(150, 120));
    component.AddEntity(&track, 0);
    component.SetPosition(Position(100, 100), 0);
    component.SetName("U1");
    component.SetCommentText("74HC00");

    ComponentProperties edited = component.GetProperties();
    edited.locked = 1;
    edited.pattern = "SO14";
    edited.designator.text = "U2";
    edited.designator.height = 80.0;
    edited.comment.hidden = 1;
    ExpectSetThenGet(component, Same<ComponentProperties>({edited}));
    EXPECT_EQ(component.GetPattern(), "SO14");

    edited.side = 1;
    component.SetProperties(edited);
    EXPECT_EQ(component.GetProperties().side, 1);
    EXPECT_EQ(component.GetLayer(), LAYER_BOTTOM);
}

} // namespace
