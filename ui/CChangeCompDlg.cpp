#include "CChangeCompDlg.h"

#include "DialogControls.h"
#include "model/UiServices.h"

namespace
{

enum Control {
    kSide = 1010,
    kPattern = 1030,
    kX = 1015,
    kY = 1016,
    kRotation = 1020,
    kLock = 1037
};

// The controls of one of the component's texts, and the unit labels of its lengths.
struct TextControls {
    const char* group;
    int text, width, height, layer, x, y, rotation, hide, mirror;
    int widthUnit, heightUnit, xUnit, yUnit;
};

const TextControls kDesignator = {"Designator", 1019, 1022, 1023, 1011, 1017, 1018,
                                  1021,         1040, 1041, 1035, 1036, 1038, 1039};
const TextControls kComment = {"Comment", 1027, 1028, 1029, 1013, 1024, 1025,
                               1026,      1045, 1046, 1043, 1044, 1047, 1048};

void LoadText(CPropertyForm& form, const TextControls& c, const ComponentTextProperties& v)
{
    form.SetText(c.text, v.text);
    form.SetNumber(c.width, v.width);
    form.SetNumber(c.height, v.height);
    form.SetIndex(c.layer, v.layer);
    form.SetNumber(c.x, v.position.x);
    form.SetNumber(c.y, v.position.y);
    form.SetNumber(c.rotation, CPropertyForm::ToDegrees(v.rotation));
    form.SetChecked(c.hide, v.hidden);
    form.SetChecked(c.mirror, v.mirror);
}

void StoreText(const CPropertyForm& form, const TextControls& c, ComponentTextProperties& v)
{
    v.text = form.Text(c.text);
    v.width = form.Number(c.width);
    v.height = form.Number(c.height);
    form.StoreIndex(c.layer, &v.layer);
    v.position = Position(form.Number(c.x), form.Number(c.y));
    v.rotation = CPropertyForm::ToRadians(form.Number(c.rotation));
    v.hidden = form.Checked(c.hide);
    v.mirror = form.Checked(c.mirror);
}

} // namespace

CChangeCompDlg::CChangeCompDlg(bool millimetres, QWidget* parent)
    : CPropertyForm(IDD, QStringLiteral("Change component"), millimetres, parent)
{
    QGridLayout* own = Group(QStringLiteral("Component properties"));
    AddList(own, kSide, QStringLiteral("Layer"),
            {QStringLiteral("Top Layer"), QStringLiteral("Bottom Layer")});
    AddText(own, kPattern, QStringLiteral("Pattern"));
    AddLength(own, kX, QStringLiteral("X_location"), 1033);
    AddLength(own, kY, QStringLiteral("Y_location"), 1034);
    AddDegrees(own, kRotation, QStringLiteral("Rotation"), kAngle);
    AddCheck(own, kLock, QStringLiteral("Lock Prims"));
    for (const TextControls* c : {&kDesignator, &kComment}) {
        QGridLayout* grid = Group(QString::fromLatin1(c->group));
        AddText(grid, c->text, QStringLiteral("Text"));
        AddLength(grid, c->width, QStringLiteral("Width"), c->widthUnit, kSize);
        AddLength(grid, c->height, QStringLiteral("Height"), c->heightUnit, kSize);
        AddList(grid, c->layer, QStringLiteral("Layer"), DialogControls::LayerNames());
        AddLength(grid, c->x, QStringLiteral("X_location"), c->xUnit);
        AddLength(grid, c->y, QStringLiteral("Y_location"), c->yUnit);
        AddDegrees(grid, c->rotation, QStringLiteral("Rotation"), kAngle);
        AddCheck(grid, c->hide, QStringLiteral("Hide"));
        AddCheck(grid, c->mirror, QStringLiteral("Mirror"));
    }
    AddButtons();
    SetFocusField(kDesignator.text);
}

void CChangeCompDlg::Load(const ComponentProperties& values)
{
    SetIndex(kSide, values.side);
    SetText(kPattern, values.pattern);
    SetNumber(kX, values.position.x);
    SetNumber(kY, values.position.y);
    SetNumber(kRotation, ToDegrees(values.rotation));
    SetChecked(kLock, values.locked);
    LoadText(*this, kDesignator, values.designator);
    LoadText(*this, kComment, values.comment);
}

void CChangeCompDlg::Store(ComponentProperties& values) const
{
    StoreIndex(kSide, &values.side);
    values.pattern = Text(kPattern);
    values.position = Position(Number(kX), Number(kY));
    values.rotation = ToRadians(Number(kRotation));
    values.locked = Checked(kLock);
    StoreText(*this, kDesignator, values.designator);
    StoreText(*this, kComment, values.comment);
}

bool CChangeCompDlg::Ask(QWidget* parent, ComponentProperties& values)
{
    return Run<CChangeCompDlg>(parent, values);
}
