#include "model/Constants.h"
#include "support/FakeUiServices.h"
#include "ui/CChamferDlg.h"
#include "ui/CFilletDlg.h"
#include "ui/COffsetDialog.h"
#include "ui/CSetArrayDlg.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{

QWidget* Control(QDialog& dlg, int id)
{
    for (QWidget* w : dlg.findChildren<QWidget*>())
        if (w->property("controlId").toInt() == id)
            return w;
    return nullptr;
}

QString TextOf(QWidget* w)
{
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    return QString();
}

// Each dialog built over values that show the given length (mils) in both units.
std::unique_ptr<QDialog> Make(int id, bool mm, double mils)
{
    switch (id) {
    case COffsetDialog::IDD:
        return std::make_unique<COffsetDialog>(OffsetValues{mils, mm});
    case CChamferDlg::IDD:
        return std::make_unique<CChamferDlg>(ChamferValues{mils, mils, 1, mm});
    case CFilletDlg::IDD:
        return std::make_unique<CFilletDlg>(FilletValues{mils, 0, mm});
    default: {
        ArrayValues v;
        v.xSpacing = v.ySpacing = mils;
        v.millimetres = mm;
        return std::make_unique<CSetArrayDlg>(v);
    }
    }
}

TEST(OffsetArrayDialogs, EachCarriesItsIdsTextsAndShownUnit)
{
    struct Case {
        int id;
        const char* title;
        std::vector<std::pair<int, const char*>> controls; // id, text (null: any)
    } cases[] = {
        {157, "Offset parameter setup", {{1029, nullptr}, {1175, nullptr}}},
        {158,
         "Chamfer parameter setup",
         {{1178, nullptr}, {1179, nullptr}, {1182, "Trim"}, {1175, nullptr}, {1032, nullptr}}},
        {159, "Fillet parameter setup", {{1181, nullptr}, {1182, "Trim"}, {1175, nullptr}}},
        {155,
         "Setup Array Placement",
         {{1156, "Circular"},
          {1157, "Linear"},
          {1003, "Rectangle"},
          {1166, nullptr},
          {1167, nullptr},
          {1162, "0"},
          {1168, "1"},
          {1031, "0"},
          {1171, "Begin at Current"},
          {1160, "Rotate Item to Match"},
          {1175, nullptr},
          {1032, nullptr}}},
    };
    for (const Case& c : cases) {
        for (bool mm : {false, true}) {
            SCOPED_TRACE(c.title);
            std::unique_ptr<QDialog> dlg = Make(c.id, mm, 39.37007874015748);
            EXPECT_EQ(dlg->property("dialogId").toInt(), c.id);
            EXPECT_EQ(dlg->windowTitle(), c.title);
            for (const auto& [control, text] : c.controls) {
                QWidget* w = Control(*dlg, control);
                ASSERT_NE(w, nullptr) << control;
                if (text) {
                    EXPECT_EQ(TextOf(w), text) << control;
                }
            }
            // The first length field shows 1 mm, or its mils; the unit label follows.
            const int first = c.controls.front().first == 1156 ? 1166 : c.controls.front().first;
            EXPECT_EQ(TextOf(Control(*dlg, first)), mm ? "1" : "39.3700787402");
            EXPECT_EQ(TextOf(Control(*dlg, 1175)), mm ? "mm" : "mil");
        }
    }
}

TEST(OffsetArrayDialogs, RangesAreCheckedInMilsAndRefusedInTheShownUnit)
{
    FakeUiServices ui;
    UiServices::Install(&ui);
    struct Case {
        int id;
        bool mm;
        int control;
        const char* entered;
        const char* refusal; // null: accepted
    } cases[] = {
        {157, false, 1029, "-1", "Please enter a number not less than 0."},
        {157, true, 1029, "-0.001", "Please enter a number not less than 0."},
        {157, true, 1029, "abc", "Please enter a number."},
        {158, true, 1179, "-2", "Please enter a number not less than 0."},
        {159, false, 1181, "-3", "Please enter a number not less than 0."},
        {155, false, 1168, "1001", "Please enter an integer between 0 and 1000."},
        {155, true, 1168, "-1", "Please enter an integer between 0 and 1000."},
        {155, true, 1166, "-2", nullptr}, // spacings may point either way
        {155, false, 1168, "1000", nullptr},
        {157, true, 1029, "0", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.id) + " " + c.entered);
        ui.messages.clear();
        std::unique_ptr<QDialog> dlg = Make(c.id, c.mm, 0);
        dlg->show();
        auto* edit = qobject_cast<QLineEdit*>(Control(*dlg, c.control));
        ASSERT_NE(edit, nullptr);
        edit->setText(c.entered);
        dlg->accept();
        EXPECT_EQ(dlg->isVisible(), c.refusal != nullptr);
        if (c.refusal) {
            EXPECT_EQ(ui.messages, std::vector<std::string>{c.refusal});
            EXPECT_EQ(edit->text(), c.entered); // kept as typed
            EXPECT_EQ(dlg->focusWidget(), edit);
        }
    }
    UiServices::Install(nullptr);
}

TEST(OffsetArrayDialogs, AcceptedValuesComeBackInMilsAndRadians)
{
    FakeUiServices ui;
    UiServices::Install(&ui);
    {
        CChamferDlg dlg(ChamferValues{0, 0, 0, true});
        qobject_cast<QLineEdit*>(Control(dlg, 1178))->setText("1");
        qobject_cast<QLineEdit*>(Control(dlg, 1179))->setText("2.54");
        qobject_cast<QAbstractButton*>(Control(dlg, 1182))->setChecked(true);
        dlg.accept();
        EXPECT_DOUBLE_EQ(dlg.m_values.distance1, MILS_PER_MM);
        EXPECT_NEAR(dlg.m_values.distance2, 100, 1e-9);
        EXPECT_EQ(dlg.m_values.trim, 1);
    }
    {
        ArrayValues start;
        start.linear = 0; // no type chosen: OK is refused
        CSetArrayDlg dlg(start);
        dlg.show();
        qobject_cast<QLineEdit*>(Control(dlg, 1162))->setText("90");
        qobject_cast<QLineEdit*>(Control(dlg, 1168))->setText("4");
        dlg.accept();
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(ui.messages, std::vector<std::string>{CSetArrayDlg::kNoType});
        qobject_cast<QAbstractButton*>(Control(dlg, 1156))->setChecked(true);
        dlg.accept();
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.m_values.circular, 1);
        EXPECT_EQ(dlg.m_values.linear, 0);
        EXPECT_NEAR(dlg.m_values.angle, PI / 2, 1e-7);
        EXPECT_EQ(dlg.m_values.count, 4);
        EXPECT_EQ(dlg.m_values.rotateItems, 1);
    }
    UiServices::Install(nullptr);
}

} // namespace
