#include "board/CInfomation.h"
#include "model/CLine.h"
#include "model/LayerId.h"
#include "support/BoardFixture.h"
#include "support/FakeUiServices.h"
#include "ui/CChangeArcDlg.h"
#include "ui/CChangeCompDlg.h"
#include "ui/CChangeFillAreaDlg.h"
#include "ui/CChangeLineDlg.h"
#include "ui/CChangePadDlg.h"
#include "ui/CChangeViaDlg.h"
#include "ui/CColorStatic.h"
#include "ui/CInputComponentPatternDlg.h"
#include "ui/CSetGridDlg.h"
#include "ui/CSetLayerColorDlg.h"
#include "ui/DialogControls.h"
#include "ui/QtUiServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace
{

constexpr double kMilsPerMm = CPropertyForm::kMilsPerMm;
constexpr double kNone = CPropertyForm::kNone;

// A number field: its id, whether it is a length (else degrees) and its range in mils or
// degrees.
struct NumberField {
    int id;
    bool length;
    double min;
    double max;
};

struct DialogCase {
    std::function<std::unique_ptr<CPropertyForm>(bool millimetres)> make;
    int dialogId;
    const char* caption;
    // Every label and check box text in order.
    std::vector<const char*> texts;
    std::vector<int> unitLabels;
    std::vector<NumberField> numbers;
    // Lists: id and item count; the first value edit focused when shown (0: none).
    std::vector<std::pair<int, int>> lists;
    int focus;
};

template <class Dlg> std::unique_ptr<CPropertyForm> Make(bool millimetres)
{
    return std::make_unique<Dlg>(millimetres);
}

const DialogCase kDialogs[] = {
    {Make<CChangeLineDlg>,
     142,
     "Chang Track",
     {"Width", "Layer", "Start-X", "Start-Y", "End-X", "End-Y"},
     {1032, 1033, 1034, 1035, 1036},
     {{1014, true, 0, kNone},
      {1015, true, -kNone, kNone},
      {1016, true, -kNone, kNone},
      {1019, true, -kNone, kNone},
      {1020, true, -kNone, kNone}},
     {{1010, 34}},
     1014},
    {Make<CChangeArcDlg>,
     141,
     "Change arc",
     {"Line Width", "Layer", "X_location", "Y_location", "Radius", "Start Angle", "End Angle"},
     {1032, 1033, 1034, 1035},
     {{1014, true, 0, 1000},
      {1015, true, -kNone, kNone},
      {1016, true, -kNone, kNone},
      {1019, true, 0, kNone},
      {1020, false, -kNone, kNone},
      {1021, false, -kNone, kNone}},
     {{1010, 34}},
     1014},
    {Make<CChangePadDlg>,
     134,
     "Change Pad",
     {"Designator", "Shape", "Width", "Height", "Hole Size", "Layer", "Rotation", "X_location",
      "Y_location"},
     {1032, 1033, 1034, 1035, 1036},
     {{1009, true, 0, 1000},
      {1014, true, 0, 1000},
      {1007, true, 0, 1000},
      {1006, false, -kNone, kNone},
      {1004, true, -kNone, kNone},
      {1005, true, -kNone, kNone}},
     {{1015, 2}, {1010, 34}},
     1009},
    {Make<CChangeFillAreaDlg>,
     144,
     "Change Area Fill",
     {"Layer", "Corner 1 - X", "Corner 1- Y", "Corner 2- X", "Corner 2- Y"},
     {1032, 1033, 1034, 1035},
     {{1007, true, -kNone, kNone},
      {1020, true, -kNone, kNone},
      {1019, true, -kNone, kNone},
      {1018, true, -kNone, kNone}},
     {{1010, 34}},
     0},
    {Make<CChangeViaDlg>,
     163,
     "Change Via",
     {"Diameter", "Hole Size", "Layer", "Start layer", "End layer", "X_location", "Y_location"},
     {1032, 1033, 1034, 1035},
     {{1226, true, 0, kNone},
      {1007, true, 0, kNone},
      {1004, true, -kNone, kNone},
      {1005, true, -kNone, kNone}},
     {{1236, 10}, {1011, 16}, {1012, 16}},
     1226},
    {Make<CChangeCompDlg>,
     149,
     "Change component",
     {"Layer",    "Pattern",    "X_location", "Y_location", "Rotation",   "Lock Prims",
      "Text",     "Width",      "Height",     "Layer",      "X_location", "Y_location",
      "Rotation", "Hide",       "Mirror",     "Text",       "Width",      "Height",
      "Layer",    "X_location", "Y_location", "Rotation",   "Hide",       "Mirror"},
     {1033, 1034, 1035, 1036, 1038, 1039, 1043, 1044, 1047, 1048},
     {{1015, true, -kNone, kNone},
      {1016, true, -kNone, kNone},
      {1020, false, 0, 360},
      {1022, true, 0, 1000},
      {1023, true, 0, 1000},
      {1017, true, -kNone, kNone},
      {1018, true, -kNone, kNone},
      {1021, false, 0, 360},
      {1028, true, 0, 1000},
      {1029, true, 0, 1000},
      {1024, true, -kNone, kNone},
      {1025, true, -kNone, kNone},
      {1026, false, 0, 360}},
     {{1010, 2}, {1011, 34}, {1013, 34}},
     1019},
};

QLineEdit* EditOf(const QWidget* dlg, int id)
{
    return DialogControls::Find<QLineEdit>(dlg, id);
}

// Every label without a number and every check box, in the order they were made.
std::vector<std::string> TextsOf(const QWidget* dlg)
{
    std::vector<std::string> texts;
    for (QWidget* w : dlg->findChildren<QWidget*>()) {
        if (auto* label = qobject_cast<QLabel*>(w);
            label && !label->property("controlId").isValid())
            texts.push_back(label->text().toStdString());
        if (auto* check = qobject_cast<QCheckBox*>(w))
            texts.push_back(check->text().toStdString());
    }
    return texts;
}

class PropertyDialogsTest : public ::testing::Test
{
  protected:
    void SetUp() override { UiServices::Install(&ui); }
    void TearDown() override { UiServices::Install(nullptr); }
    FakeUiServices ui;
};

TEST_F(PropertyDialogsTest, EveryDialogHasItsNumberedControlsTextsAndUnit)
{
    for (const DialogCase& c : kDialogs) {
        for (bool mm : {false, true}) {
            SCOPED_TRACE(std::to_string(c.dialogId) + (mm ? " MM" : " MILS"));
            auto dlg = c.make(mm);
            EXPECT_EQ(dlg->property("dialogId").toInt(), c.dialogId);
            EXPECT_EQ(dlg->windowTitle().toStdString(), c.caption);
            EXPECT_EQ(TextsOf(dlg.get()), std::vector<std::string>(c.texts.begin(), c.texts.end()));
            for (int id : c.unitLabels) {
                auto* unit = DialogControls::Find<QLabel>(dlg.get(), id);
                ASSERT_NE(unit, nullptr) << id;
                EXPECT_EQ(unit->text(), mm ? "MM" : "MILS");
            }
            for (const auto& [id, count] : c.lists) {
                auto* list = DialogControls::Find<QComboBox>(dlg.get(), id);
                ASSERT_NE(list, nullptr) << id;
                EXPECT_EQ(list->count(), count) << id;
            }
            for (int id : {1, 2})
                EXPECT_NE(DialogControls::Find<QPushButton>(dlg.get(), id), nullptr);
            dlg->show();
            if (c.focus != 0) {
                EXPECT_EQ(dlg->focusWidget(), EditOf(dlg.get(), c.focus));
                EXPECT_EQ(EditOf(dlg.get(), c.focus)->selectedText(),
                          EditOf(dlg.get(), c.focus)->text());
            }
            dlg->reject();
        }
    }
}

TEST_F(PropertyDialogsTest, NumbersAreCheckedInMilsAndRefusedAsTypedWithTheRangeInTheShownUnit)
{
    for (const DialogCase& c : kDialogs) {
        for (bool mm : {false, true}) {
            for (const NumberField& f : c.numbers) {
                const double scale = f.length && mm ? kMilsPerMm : 1.0;
                SCOPED_TRACE(std::to_string(c.dialogId) + " " + std::to_string(f.id) +
                             (mm ? " MM" : " MILS"));
                auto dlg = c.make(mm);
                dlg->show();
                QLineEdit* edit = EditOf(dlg.get(), f.id);
                ASSERT_NE(edit, nullptr);
                // Just outside either end: refused, the message names the shown range,
                // the field keeps what was typed and takes the focus.
                for (double outside : {f.min - 0.5, f.max + 0.5}) {
                    if (std::isinf(outside))
                        continue;
                    ui.messages.clear();
                    const QString typed = QString::number(outside / scale, 'g', 15);
                    edit->setText(typed);
                    dlg->accept();
                    EXPECT_TRUE(dlg->isVisible());
                    ASSERT_EQ(ui.messages.size(), 1u);
                    const std::string shownMax =
                        QString::number(f.max / scale, 'g', 15).toStdString();
                    EXPECT_NE(ui.messages[0].find(std::isinf(f.max) ? "not less than 0" : shownMax),
                              std::string::npos)
                        << ui.messages[0];
                    EXPECT_EQ(edit->text(), typed);
                    EXPECT_EQ(dlg->focusWidget(), edit);
                }
                // Either end itself, or any number where there is none: accepted and
                // handed back in mils.
                const double inside =
                    std::isinf(f.max) ? (std::isinf(f.min) ? -1234.5 : 5e6) : f.max;
                edit->setText(QString::number(inside / scale, 'g', 15));
                ui.messages.clear();
                dlg->accept();
                EXPECT_TRUE(ui.messages.empty());
                EXPECT_EQ(dlg->result(), QDialog::Accepted);
                EXPECT_NEAR(dlg->Number(f.id), inside, 1e-9 * std::max(1.0, std::abs(inside)));
            }
        }
    }
}

TEST_F(PropertyDialogsTest, TextThatIsNoNumberIsRefused)
{
    CChangeLineDlg dlg(false);
    dlg.show();
    EditOf(&dlg, 1015)->setText("12a");
    dlg.accept();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Please enter a number."});
    dlg.reject();
}

TEST_F(PropertyDialogsTest, PadIsShownInMillimetresAndHandedBackInMils)
{
    PadProperties pad{"7",  1,  984.251968503937, 50.0,
                      30.0, 16, 3.1415926 / 2,    Position(393.7007874015748, -78.74015748031496)};
    CChangePadDlg dlg(true);
    dlg.Load(pad);
    dlg.show();
    EXPECT_EQ(EditOf(&dlg, 1009)->text(), "25");
    EXPECT_EQ(EditOf(&dlg, 1006)->text(), "90");
    EXPECT_EQ(EditOf(&dlg, 1004)->text(), "10");
    EXPECT_EQ(EditOf(&dlg, 1005)->text(), "-2");

    // 26 mm is 1023.62 mils: refused once, the edit still reads 26.
    EditOf(&dlg, 1009)->setText("26");
    dlg.accept();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(EditOf(&dlg, 1009)->text(), "26");
    EXPECT_EQ(ui.messages.at(0), "Please enter a number between 0 and 25.4.");

    EditOf(&dlg, 1009)->setText("25");
    dlg.accept();
    ASSERT_EQ(dlg.result(), QDialog::Accepted);
    PadProperties back;
    dlg.Store(back);
    EXPECT_EQ(back.name, "7");
    EXPECT_EQ(back.shape, 1);
    EXPECT_EQ(back.layer, 16);
    EXPECT_NEAR(back.width, pad.width, 1e-9);
    EXPECT_NEAR(back.rotation, pad.rotation, 1e-12);
    EXPECT_NEAR(back.position.x, 393.7007874015748, 1e-9);
}

TEST_F(PropertyDialogsTest, EveryDialogHandsBackWhatItWasGiven)
{
    // Loads `values`, confirms, and stores into `back` (default values unless given).
    auto roundTrip = [](auto dlg, auto values, decltype(values) back = {}) {
        dlg->Load(values);
        dlg->show();
        dlg->accept();
        EXPECT_EQ(dlg->result(), QDialog::Accepted);
        dlg->Store(back);
        return back;
    };
    const TrackProperties track{12.5, Position(1, 2), Position(-3, 4), 15};
    EXPECT_EQ(roundTrip(std::make_unique<CChangeLineDlg>(false), track), track);
    // A layer the list does not hold is kept, never written back as "none chosen".
    const TrackProperties offList{12.5, Position(1, 2), Position(-3, 4), LAYER_HIGHLIGHT};
    EXPECT_EQ(roundTrip(std::make_unique<CChangeLineDlg>(false), offList, offList).layer,
              LAYER_HIGHLIGHT);
    const ViaProperties via{40, 20, LAYER_MULTI, 2, Position(5, 5)};
    const ViaProperties viaBack = roundTrip(std::make_unique<CChangeViaDlg>(true), via, via);
    EXPECT_EQ(std::pair(viaBack.startLayer, viaBack.endLayer), std::pair(int(LAYER_MULTI), 2));
    const FillProperties fill{27, Position(-10, 20), Position(30, 40)};
    EXPECT_EQ(roundTrip(std::make_unique<CChangeFillAreaDlg>(false), fill), fill);
    ComponentProperties comp{1,
                             "DIP14",
                             Position(100, 200),
                             0.0,
                             1,
                             {"U1", 8, 60, 16, Position(1, 2), 0.0, 1, 0},
                             {"74HC00", 6, 50, 17, Position(3, 4), 0.0, 0, 1}};
    EXPECT_EQ(roundTrip(std::make_unique<CChangeCompDlg>(false), comp), comp);
    const ArcProperties arc{Position(5, 6), 3.1415926 / 2, 3.1415926, 10, 2, 100};
    const ArcProperties arcBack = roundTrip(std::make_unique<CChangeArcDlg>(false), arc);
    EXPECT_NEAR(arcBack.startAngle, arc.startAngle, 1e-12);
    EXPECT_NEAR(arcBack.endAngle, arc.endAngle, 1e-12);
    EXPECT_EQ(arcBack.radius, 100);
}

TEST_F(PropertyDialogsTest, ViaLayerPairsSetTheLayersAndOnlyAnyPairFreesThem)
{
    CChangeViaDlg dlg(false);
    dlg.Load(ViaProperties{40, 20, 3, 7, Position(0, 0)});
    auto* pair = DialogControls::Find<QComboBox>(&dlg, 1236);
    auto* start = DialogControls::Find<QComboBox>(&dlg, 1011);
    auto* end = DialogControls::Find<QComboBox>(&dlg, 1012);
    EXPECT_EQ(pair->currentText(), "Blind & Buried(Any)");
    EXPECT_TRUE(start->isEnabled() && end->isEnabled());
    EXPECT_EQ(start->currentText(), "MidLayer 3");

    pair->setCurrentIndex(0);
    EXPECT_EQ(start->currentText(), "Top Layer");
    EXPECT_EQ(end->currentText(), "Bottom Layer");
    EXPECT_FALSE(start->isEnabled() || end->isEnabled());
    pair->setCurrentIndex(8);
    dlg.show();
    dlg.accept();
    ViaProperties back;
    dlg.Store(back);
    EXPECT_EQ(std::pair(back.startLayer, back.endLayer), std::pair(14, 15));
    EXPECT_EQ(CChangeViaDlg::PairIndex(0, 1), 1);
    EXPECT_EQ(CChangeViaDlg::PairIndex(1, 0), CChangeViaDlg::kAnyPair);
}

TEST_F(PropertyDialogsTest, GridStepKeepsToItsRangeInEitherUnit)
{
    struct Case {
        bool mm;
        const char* typed;
        bool accepted;
        double mils;
        const char* message;
    } cases[] = {
        {false, "0.005", false, 0, "Please enter a number between 0.01 and 1000."},
        {false, "1000", true, 1000, nullptr},
        {false, "1000.5", false, 0, "Please enter a number between 0.01 and 1000."},
        {true, "2.54", true, 100, nullptr},
        {true, "2.6", false, 0, "只能是大于0.025400mm,小于2.540000mm的值"},
        {true, "0.5", true, 19.68503937007874, nullptr},
        {true, "0.01", true, 0.3937007874015748, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        ui.messages.clear();
        CSetGridDlg dlg(c.mm);
        dlg.Load(GridValues{20});
        dlg.show();
        EXPECT_EQ(EditOf(&dlg, 1001)->text(), c.mm ? "0.508" : "20");
        EXPECT_EQ(DialogControls::Find<QLabel>(&dlg, 1032)->text(), c.mm ? "MM" : "MILS");
        EXPECT_EQ(dlg.focusWidget(), EditOf(&dlg, 1001));
        EditOf(&dlg, 1001)->setText(c.typed);
        dlg.accept();
        EXPECT_EQ(dlg.result() == QDialog::Accepted, c.accepted);
        if (c.accepted) {
            GridValues back;
            dlg.Store(back);
            EXPECT_NEAR(back.step, c.mils, 1e-9);
        } else {
            EXPECT_EQ(ui.messages, std::vector<std::string>{c.message});
            EXPECT_EQ(EditOf(&dlg, 1001)->text(), c.typed);
            dlg.reject();
        }
    }
}

TEST_F(PropertyDialogsTest, PatternDialogConfirmsOnSpaceAndEmptiesThePatternWhenCancelled)
{
    CInputComponentPatternDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), "Add Component to my library");
    EXPECT_EQ(dlg.property("dialogId").toInt(), 162);
    EXPECT_EQ(DialogControls::Find<QLabel>(&dlg, 1223)->text(),
              "Please input pattern of the component:");
    EXPECT_EQ(DialogControls::Find<QPushButton>(&dlg, 1)->text(), "Pick pin1");
    QLineEdit* edit = EditOf(&dlg, 1224);
    EXPECT_EQ(edit->maxLength(), 12);
    dlg.show();
    EXPECT_EQ(dlg.focusWidget(), edit);
    edit->setText("SO8");
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(edit, &space);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(edit->text(), "SO8");

    QTimer::singleShot(0, [] {
        auto* open = qobject_cast<CInputComponentPatternDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(open, nullptr);
        EXPECT_EQ(EditOf(open, 1224)->text(), "OLD");
        open->reject();
    });
    std::string pattern = "OLD";
    EXPECT_FALSE(CInputComponentPatternDlg::Ask(nullptr, pattern));
    EXPECT_EQ(pattern, "");
}

// ---------------------------------------------------------------------------------
// Layers and colours

void Click(QWidget* w)
{
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

std::set<int> CheckedRows(const CSetLayerColorDlg& dlg)
{
    std::set<int> rows;
    for (int row = 0; row < CSetLayerColorDlg::kCheckedRows; ++row)
        if (dlg.Check(row)->isChecked())
            rows.insert(row);
    return rows;
}

LayersValues EveryRow(int shown)
{
    LayersValues values;
    for (int row = 0; row < CSetLayerColorDlg::kRows; ++row)
        values.table[row] = LayerEntry{MakeRGB(row, 0, 0), shown};
    return values;
}

TEST_F(PropertyDialogsTest, LayerButtonsCheckTheRowsTheyName)
{
    std::set<int> all;
    for (int row = 0; row < CSetLayerColorDlg::kCheckedRows; ++row)
        all.insert(row);
    struct Case {
        int button;
        int current;
        std::map<int, int> used;
        std::set<int> checked;
    } cases[] = {
        {CSetLayerColorDlg::IDC_TURN_ALL_OFF, 0, {}, {}},
        {CSetLayerColorDlg::IDC_ALL_LAYERS_ON, 0, {}, all},
        {CSetLayerColorDlg::IDC_RESET_ALL, 0, {}, all},
        {CSetLayerColorDlg::IDC_USED_LAYERS_ON, 0, {{33, 1}, {34, 1}}, {33, 34, 35}},
        {CSetLayerColorDlg::IDC_USED_LAYERS_ON, 0, {{5, 1}, {36, 1}, {39, 1}}, {5, 36}},
        {CSetLayerColorDlg::IDC_SINGLE_LAYER, 33, {}, {33, 34, 35}},
        {CSetLayerColorDlg::IDC_SINGLE_LAYER, 7, {}, {7}},
        {CSetLayerColorDlg::IDC_SINGLE_LAYER, 36, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button * 100 + c.current);
        for (int shown : {0, 1}) {
            CSetLayerColorDlg dlg;
            LayersValues values = EveryRow(shown);
            values.used = c.used;
            values.current = c.current;
            dlg.Load(values);
            EXPECT_EQ(CheckedRows(dlg).size(), shown ? all.size() : 0u);
            DialogControls::Find<QPushButton>(&dlg, c.button)->click();
            EXPECT_EQ(CheckedRows(dlg), c.checked);
        }
    }
}

TEST_F(PropertyDialogsTest, LayerDialogTextsAndResetColours)
{
    CSetLayerColorDlg dlg;
    EXPECT_EQ(dlg.property("dialogId").toInt(), 154);
    EXPECT_EQ(dlg.windowTitle(), "Set Layers and Colors");
    const std::map<int, const char*> buttons = {
        {1125, "Turn All &Off"},     {1126, "&All Layers On"}, {1127, "&Used Layers On"},
        {1128, "Single Layer Mode"}, {1221, "Reset All"},
    };
    for (const auto& [id, text] : buttons)
        EXPECT_EQ(DialogControls::Find<QPushButton>(&dlg, id)->text(), text);
    EXPECT_EQ(dlg.Check(0)->text(), "&Top");
    EXPECT_EQ(dlg.Check(33)->text(), "Multi Layer");
    EXPECT_EQ(DialogControls::Find<QLabel>(&dlg, 1220)->text(), "Backgroud");
    EXPECT_FALSE(dlg.Check(37)->isEnabled());
    EXPECT_EQ(dlg.Check(38), nullptr);
    // Rows the caller leaves out stay unchecked and red.
    EXPECT_EQ(dlg.Swatch(5)->GetColor(), MakeRGB(255, 0, 0));

    DialogControls::Find<QPushButton>(&dlg, 1221)->click();
    dlg.accept();
    EXPECT_EQ(dlg.Table().size(), 40u);
    EXPECT_EQ(dlg.Table().at(LAYER_BACKGROUND).color, MakeRGB(0, 0, 0));
    EXPECT_EQ(dlg.Table().at(LAYER_HIGHLIGHT).color, MakeRGB(255, 0, 255));
    EXPECT_EQ(dlg.Table().at(LAYER_DRILL_DRAWING).color, MakeRGB(255, 0, 42));
    EXPECT_EQ(dlg.Table().at(LAYER_GRID2).shown, 1);
}

TEST_F(PropertyDialogsTest, SwatchTakesTheChosenColourAndKeepsItsOwnWhenCancelled)
{
    std::vector<COLORREF> starts;
    std::optional<COLORREF> answer;
    CColorStatic::SetChooser([&](COLORREF start) {
        starts.push_back(start);
        return answer;
    });
    CSetLayerColorDlg dlg;
    dlg.Load(EveryRow(1));
    dlg.show();
    CColorStatic* swatch = dlg.Swatch(LAYER_BOTTOM);
    Click(swatch);
    EXPECT_EQ(swatch->GetColor(), MakeRGB(15, 0, 0));
    answer = MakeRGB(1, 2, 3);
    Click(swatch);
    EXPECT_EQ(swatch->GetColor(), MakeRGB(1, 2, 3));
    EXPECT_EQ(starts, (std::vector<COLORREF>{MakeRGB(0, 0, 0), MakeRGB(0, 0, 0)}));
    dlg.accept();
    EXPECT_EQ(dlg.Table().at(LAYER_BOTTOM).color, MakeRGB(1, 2, 3));
    CColorStatic::SetChooser(nullptr);
}

// The dialog against a board: the rows in use come from its objects, and only OK
// reaches its layer table.
class LayerDialogBoardTest : public BoardTest
{
  protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        UiServices::Install(&qt);
    }
    void TearDown() override
    {
        UiServices::Install(nullptr);
        BoardTest::TearDown();
    }
    // Opens the board's layer dialog, presses `button`, then OK or Cancel.
    void Run(int button, bool confirm)
    {
        QTimer::singleShot(0, [button, confirm] {
            auto* dlg = qobject_cast<CSetLayerColorDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            DialogControls::Find<QPushButton>(dlg, button)->click();
            confirm ? dlg->accept() : dlg->reject();
        });
        board().ShowLayersDialog();
    }
    bool Shown(int row) { return board().GetLayerTable().entries.at(row).shown != 0; }
    QtUiServices qt;
};

TEST_F(LayerDialogBoardTest, ButtonsActOnTheBoardOnlyAfterOk)
{
    const int mid5 = 5;
    board().AddEntity(std::make_unique<CLine>(Position(0, 0), Position(10, 0), &mid5));
    board().SetCurrentLayer(LAYER_BOTTOM);
    Run(CSetLayerColorDlg::IDC_TURN_ALL_OFF, false);
    EXPECT_TRUE(Shown(LAYER_TOP));

    Run(CSetLayerColorDlg::IDC_USED_LAYERS_ON, true);
    EXPECT_TRUE(Shown(mid5));
    EXPECT_FALSE(Shown(LAYER_TOP));
    EXPECT_TRUE(board().GetElements().GetHiddenLayers().count(LAYER_TOP) != 0);
    EXPECT_EQ(Shown(LAYER_GRID1), board().GetLayerTable().entries.at(LAYER_GRID1).shown != 0);

    Run(CSetLayerColorDlg::IDC_SINGLE_LAYER, true);
    EXPECT_TRUE(Shown(LAYER_BOTTOM));
    EXPECT_FALSE(Shown(mid5));

    Run(CSetLayerColorDlg::IDC_ALL_LAYERS_ON, true);
    EXPECT_TRUE(Shown(mid5) && Shown(LAYER_TOP) && Shown(LAYER_VIA_HOLE));

    board().GetLayerTable().entries[LAYER_BACKGROUND].color = MakeRGB(9, 9, 9);
    Run(CSetLayerColorDlg::IDC_RESET_ALL, false);
    EXPECT_EQ(board().GetLayerTable().entries.at(LAYER_BACKGROUND).color, MakeRGB(9, 9, 9));
    Run(CSetLayerColorDlg::IDC_RESET_ALL, true);
    EXPECT_EQ(board().GetLayerTable().entries.at(LAYER_BACKGROUND).color, MakeRGB(0, 0, 0));
}

} // namespace
