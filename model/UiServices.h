// What the model, the board and the tools ask of the user interface: dialogs as
// functions over plain values (lengths in mils, angles in radians), questions and
// messages. The user interface implements it; tests install a scripted fake. With
// nothing installed every dialog is cancelled, every question answered no and
// messages are dropped. A dialog is its values struct here, listed in DialogValues.
#pragma once

#include "Geometry.h"
#include "platform/WinTypes.h"

#include <map>
#include <string>
#include <utility>
#include <variant>
#include <vector>

struct TrackProperties {
    double width = 0.0;
    Position start;
    Position end;
    int layer = 0;
    friend bool operator==(const TrackProperties&, const TrackProperties&) = default;
};

struct ArcProperties {
    Position centre;
    double startAngle = 0.0; // radians
    double endAngle = 0.0;   // radians
    double width = 0.0;
    int layer = 0;
    double radius = 0.0;
    friend bool operator==(const ArcProperties&, const ArcProperties&) = default;
};

struct PadProperties {
    std::string name;
    int shape = 0; // 0 round, 1 rectangle
    double width = 0.0;
    double height = 0.0;
    double hole = 0.0;
    int layer = 0;
    double rotation = 0.0; // radians
    Position position;
    friend bool operator==(const PadProperties&, const PadProperties&) = default;
};

struct ViaProperties {
    double diameter = 0.0;
    double hole = 0.0;
    int startLayer = 0;
    int endLayer = 15;
    Position position;
    friend bool operator==(const ViaProperties&, const ViaProperties&) = default;
};

struct TextProperties {
    std::string text;
    double width = 0.0; // stroke width
    double height = 0.0;
    int layer = 0;
    double rotation = 0.0; // radians
    Position position;
    int mirror = 0;
    friend bool operator==(const TextProperties&, const TextProperties&) = default;
};

struct FillProperties {
    int layer = 0;
    Position corner1;
    Position corner2;
    friend bool operator==(const FillProperties&, const FillProperties&) = default;
};

struct PolygonProperties {
    int hatchStyle = 1; // 0 none, 1 90 degree, 2 45 degree, 3 horizontal, 4 vertical
    double grid = 0.0;
    double width = 0.0;
    int layer = 0;
    friend bool operator==(const PolygonProperties&, const PolygonProperties&) = default;
};

// One of a component's two texts (designator, comment).
struct ComponentTextProperties {
    std::string text;
    double width = 0.0;
    double height = 0.0;
    int layer = 0;
    Position position;
    double rotation = 0.0; // radians
    int hidden = 0;
    int mirror = 0;
    friend bool operator==(const ComponentTextProperties&,
                           const ComponentTextProperties&) = default;
};

struct ComponentProperties {
    int side = 0; // 0 top layer, 1 bottom layer
    std::string pattern;
    Position position;
    double rotation = 0.0; // radians
    int locked = 0;
    ComponentTextProperties designator;
    ComponentTextProperties comment;
    friend bool operator==(const ComponentProperties&, const ComponentProperties&) = default;
};

// The designator of a component being placed.
struct DesignatorValues {
    std::string text;
};

// The resolution of a photograph, in dots per inch.
struct DpiValues {
    unsigned vertical = 800;
    unsigned horizontal = 800;
};

// The grid step, in mils.
struct GridValues {
    double step = 0.0;
};

// Objects inserted evenly between two: how many, and the step of their name numbers.
struct InsertValues {
    static constexpr int kMinCount = 1;
    static constexpr int kMaxCount = 1000;
    int count = 0;
    int increment = 0;
};

// One colour key of the layer table.
struct LayerEntry {
    COLORREF color = 0;
    int shown = 1;
    friend bool operator==(const LayerEntry&, const LayerEntry&) = default;
};

struct LayersValues {
    std::map<int, LayerEntry> table; // colour key -> entry
    std::map<int, int> used;         // keys in use on the board (shown bold)
    int current = 0;                 // the current layer
};

// A file chooser: the caption, the filters as (label, patterns) pairs, e.g.
// ("bmp files(*.bmp)", "*.bmp"), the default extension, open or save; `path` carries a
// starting name in and the chosen path out.
struct FilePrompt {
    std::string title;
    std::vector<std::pair<std::string, std::string>> filters;
    std::string defaultExtension;
    bool save = false;
    std::string path;
};

// A yes/no question.
struct Question {
    std::string text;
};

// Whether to save changes before they are dropped: answered (confirmed) with `save`
// true for yes and false for no, or cancelled (Cancel, Esc or closing the box), which
// stops whatever asked.
struct SaveQuestion {
    std::string text;
    bool save = true;
};

// A choice among items (a popup menu at the pointer); `chosen` is the index picked.
// The item at `checked` (when it is one) is shown with a tick.
struct ListChoice {
    std::vector<std::string> items;
    int chosen = -1;
    int checked = -1;
};

// The offset tool's parameters (dialog 157); the distance in mils, shown in
// millimetres when `millimetres` is set.
struct OffsetValues {
    double distance = 0.0;
    bool millimetres = false;
};

// The chamfer tool's parameters (dialog 158): the bevel's distances from the crossing
// point along the first and the second track, in mils; trim cuts both tracks back.
struct ChamferValues {
    double distance1 = 0.0;
    double distance2 = 0.0;
    int trim = 0;
    bool millimetres = false;
};

// The fillet tool's parameters (dialog 159): the arc's radius in mils; trim cuts both
// tracks back to the tangent points.
struct FilletValues {
    double radius = 0.0;
    int trim = 0;
    bool millimetres = false;
};

// The array tool's parameters (dialog 155): one of the three types, the spacings in
// mils, the circular step in radians, the copies per object, the name step and the
// two options. The defaults are the dialog's own.
struct ArrayValues {
    int circular = 0;
    int linear = 1;
    int rectangle = 0;
    double xSpacing = 0.0;
    double ySpacing = 0.0;
    double angle = 0.0; // radians
    int count = 1;
    int textIncrement = 0;
    int beginAtCurrent = 0;
    int rotateItems = 1;
    bool millimetres = false;
};

// Every dialog's values, one pointer type per dialog.
using DialogValues =
    std::variant<TrackProperties*, ArcProperties*, PadProperties*, ViaProperties*, TextProperties*,
                 FillProperties*, PolygonProperties*, ComponentProperties*, DpiValues*,
                 LayersValues*, FilePrompt*, Question*, SaveQuestion*, ListChoice*,
                 DesignatorValues*, GridValues*, InsertValues*, OffsetValues*, ChamferValues*,
                 FilletValues*, ArrayValues*>;

class UiServices
{
  public:
    virtual ~UiServices() = default;

    // Opens the dialog for `values` (one of the types of DialogValues) and returns true
    // when the user confirmed; the values are then updated. A file prompt is confirmed
    // when a file was chosen (in `path`), a question when answered yes, a save question
    // when answered yes or no (in `save`), a list choice when an item was chosen (its
    // index in `chosen`).
    template <class Values> bool Ask(Values& values) { return Open(DialogValues(&values)); }

    virtual void MessageBox(const std::string& text) = 0;

    static UiServices& Current();
    // Installs the services the model uses; null restores the default.
    static void Install(UiServices* services);

  protected:
    // The one dialog entry the implementations provide; `values` is never null.
    virtual bool Open(DialogValues values) = 0;
};
