#include "support/FakeUiServices.h"
#include "ui/CChangeTxtDlg.h"
#include "ui/CInputComponentTxtDlg.h"
#include "ui/QtUiServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>

namespace
{

std::set<int> ControlIds(const QDialog& dlg)
{
    std::set<int> ids;
    for (QWidget* w : dlg.findChildren<QWidget*>())
        if (w->property("controlId").isValid())
            ids.insert(w->property("controlId").toInt());
    return ids;
}

TEST(PlaceDialogsTest, EachDialogCarriesItsIdCaptionAndControls)
{
    TextProperties text;
    text.text = "R1";
    struct Row {
        std::function<std::unique_ptr<QDialog>()> make;
        int id;
        const char* caption;
        std::set<int> controls;
    } rows[] = {
        {[&] { return std::make_unique<CChangeTxtDlg>(text, "MILS"); },
         143,
         "Change Txt String",
         {1, 2, 1004, 1005, 1006, 1009, 1010, 1017, 1018, 1032, 1033, 1034, 1035, 1038}},
        {[] { return std::make_unique<CInputComponentTxtDlg>("U1"); },
         146,
         "Component Designator",
         {1, 2, 1029}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.caption);
        auto dlg = r.make();
        EXPECT_EQ(dlg->property("dialogId").toInt(), r.id);
        EXPECT_EQ(dlg->windowTitle(), r.caption);
        EXPECT_EQ(ControlIds(*dlg), r.controls);
    }
}

TEST(PlaceDialogsTest, TheTextDialogShowsTheBoardUnitAndChecksSizesInMils)
{
    FakeUiServices ui;
    UiServices::Install(&ui);
    TextProperties given;
    given.text = "R1";
    given.width = 10;
    given.height = 393.7007874015748; // 10 mm
    given.layer = 16;
    given.rotation = 3.1415926 / 2;
    given.position = Position(78.74015748031496, -39.37007874015748);
    struct Case {
        const char* unit;
        int field;
        const char* typed;
        const char* refusal; // null: accepted
        double mils;         // the field's value when accepted
    } cases[] = {
        {"MILS", CChangeTxtDlg::IDC_WIDTH, "1000", nullptr, 1000},
        {"MILS", CChangeTxtDlg::IDC_WIDTH, "1000.5", "Please enter a number between 0 and 1000.",
         0},
        {"MILS", CChangeTxtDlg::IDC_HEIGHT, "-1", "Please enter a number between 0 and 1000.", 0},
        {"MILS", CChangeTxtDlg::IDC_HEIGHT, "abc", "Please enter a number.", 0},
        {"MM", CChangeTxtDlg::IDC_WIDTH, "25", nullptr, 984.251968503937},
        {"MM", CChangeTxtDlg::IDC_WIDTH, "26", "Please enter a number between 0 and 25.4.", 0},
        {"MM", CChangeTxtDlg::IDC_X, "-3000", nullptr, -118110.23622047244},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.unit) + " " + c.typed);
        CChangeTxtDlg dlg(given, c.unit);
        dlg.show();
        const bool mm = std::string(c.unit) == "MM";
        EXPECT_EQ(dlg.focusWidget(), dlg.Edit(CChangeTxtDlg::IDC_TEXT));
        EXPECT_EQ(dlg.Edit(CChangeTxtDlg::IDC_TEXT)->selectedText(), "R1");
        EXPECT_EQ(dlg.Edit(CChangeTxtDlg::IDC_HEIGHT)->text(), mm ? "10" : "393.700787402");
        EXPECT_EQ(dlg.Edit(CChangeTxtDlg::IDC_X)->text(), mm ? "2" : "78.7401574803");
        EXPECT_EQ(dlg.Edit(CChangeTxtDlg::IDC_ROTATION)->text(), "90");
        EXPECT_EQ(dlg.LayerBox()->currentText(), "Top Overlay");
        for (QLabel* label : dlg.findChildren<QLabel*>()) {
            if (label->property("controlId").toInt() >= 1032) {
                EXPECT_EQ(label->text(), c.unit);
            }
        }

        ui.messages.clear();
        dlg.Edit(c.field)->setText(c.typed);
        dlg.accept();
        if (c.refusal) {
            EXPECT_TRUE(dlg.isVisible());
            EXPECT_EQ(ui.messages, std::vector<std::string>{c.refusal});
            EXPECT_EQ(dlg.focusWidget(), dlg.Edit(c.field));
            EXPECT_EQ(dlg.Edit(c.field)->text(), c.typed); // kept as typed
            dlg.reject();
            continue;
        }
        EXPECT_FALSE(dlg.isVisible());
        const TextProperties& v = dlg.m_values;
        const double got = c.field == CChangeTxtDlg::IDC_WIDTH ? v.width : v.position.x;
        EXPECT_NEAR(got, c.mils, 1e-9);
        EXPECT_NEAR(v.height, given.height, 1e-9);
        EXPECT_NEAR(v.rotation, given.rotation, 1e-12);
        EXPECT_EQ(v.layer, 16);
        EXPECT_EQ(v.text, "R1");
    }
    UiServices::Install(nullptr);
}

TEST(PlaceDialogsTest, TheDesignatorDialogOpensSelectedAndASpaceConfirmsIt)
{
    CInputComponentTxtDlg dlg("U7");
    dlg.show();
    EXPECT_EQ(dlg.focusWidget(), dlg.TextEdit());
    EXPECT_EQ(dlg.TextEdit()->selectedText(), "U7");
    auto key = [&](int k, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
        QApplication::sendEvent(dlg.TextEdit(), &press);
    };
    key(Qt::Key_C, QStringLiteral("C"));
    key(Qt::Key_3, QStringLiteral("3"));
    key(Qt::Key_Space, QStringLiteral(" "));
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.TextEdit()->text(), "C3");
}

TEST(PlaceDialogsTest, ThePortOpensBothDialogsAndReturnsWhatWasEntered)
{
    QtUiServices qt;
    UiServices::Install(&qt);
    // Types `text` into the edit `control` of the dialog `id` that the port opens, and
    // confirms it.
    auto answer = [](int id, int control, const char* text) {
        QTimer::singleShot(0, [=] {
            QWidget* dlg = QApplication::activeModalWidget();
            ASSERT_NE(dlg, nullptr);
            EXPECT_EQ(dlg->property("dialogId").toInt(), id);
            for (QLineEdit* edit : dlg->findChildren<QLineEdit*>())
                if (edit->property("controlId").toInt() == control)
                    edit->setText(QString::fromLatin1(text));
            static_cast<QDialog*>(dlg)->accept();
        });
    };
    answer(CChangeTxtDlg::IDD, CChangeTxtDlg::IDC_TEXT, "GND");
    TextProperties text;
    EXPECT_TRUE(UiServices::Current().Ask(text));
    EXPECT_EQ(text.text, "GND");
    answer(CInputComponentTxtDlg::IDD, CInputComponentTxtDlg::IDC_DESIGNATOR, "Q4");
    DesignatorValues designator{"U1"};
    EXPECT_TRUE(UiServices::Current().Ask(designator));
    EXPECT_EQ(designator.text, "Q4");
    UiServices::Install(nullptr);
}

} // namespace
