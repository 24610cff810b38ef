#include "ui/CChangePolygonDlg.h"

#include "support/FakeUiServices.h"
#include "ui/QtUiServices.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{

const PolygonProperties kGiven{2, 12.0, 8.0, 15}; // 45 degrees, bottom layer

// The control carrying resource number `id`.
QWidget* Control(const QDialog& dlg, int id)
{
    for (QWidget* w : dlg.findChildren<QWidget*>())
        if (w->property("controlId").toInt() == id)
            return w;
    return nullptr;
}

// The label that names the control `id`.
QString LabelOf(const QDialog& dlg, int id)
{
    for (QLabel* l : dlg.findChildren<QLabel*>())
        if (l->buddy() && l->buddy()->property("controlId").toInt() == id)
            return l->text();
    return {};
}

TEST(PolygonDialog, CarriesItsNumbersTextsAndTheValuesInTheShownUnit)
{
    struct Case {
        const char* unit;
        const char* grid;
        const char* width;
    } cases[] = {{"MILS", "12", "8"}, {"MM", "0.3048", "0.2032"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unit);
        CChangePolygonDlg dlg(kGiven, c.unit);
        EXPECT_EQ(dlg.property("dialogId").toInt(), 150);
        EXPECT_EQ(dlg.windowTitle(), "Change Polygon");
        const std::pair<int, const char*> labels[] = {{1015, "Hatching Style:"},
                                                      {1009, "Grid size:"},
                                                      {1014, "Track Width:"},
                                                      {1010, "Layer:"}};
        for (const auto& [id, text] : labels)
            EXPECT_EQ(LabelOf(dlg, id), text) << id;
        for (int id : {1032, 1033})
            EXPECT_EQ(qobject_cast<QLabel*>(Control(dlg, id))->text(), c.unit) << id;
        for (int id : {1, 2})
            EXPECT_NE(Control(dlg, id), nullptr) << id;

        ASSERT_EQ(Control(dlg, 1015), dlg.StyleBox());
        QStringList styles;
        for (int i = 0; i < dlg.StyleBox()->count(); ++i)
            styles << dlg.StyleBox()->itemText(i);
        EXPECT_EQ(styles,
                  QStringList({"None", "90 Degree", "45 Degree", "Horizontal", "Vertical"}));
        ASSERT_EQ(Control(dlg, 1010), dlg.LayerBox());
        ASSERT_EQ(dlg.LayerBox()->count(), 34);
        EXPECT_EQ(dlg.LayerBox()->itemText(0), "Top Layer");
        EXPECT_EQ(dlg.LayerBox()->itemText(33), "Multi-Layer");

        EXPECT_EQ(dlg.StyleBox()->currentIndex(), 2);
        EXPECT_EQ(dlg.LayerBox()->currentText(), "Bottom Layer");
        EXPECT_EQ(Control(dlg, 1009), dlg.GridEdit());
        EXPECT_EQ(Control(dlg, 1014), dlg.WidthEdit());
        EXPECT_EQ(dlg.GridEdit()->text(), c.grid);
        EXPECT_EQ(dlg.WidthEdit()->text(), c.width);
        dlg.show();
        EXPECT_EQ(dlg.focusWidget(), dlg.GridEdit());
        EXPECT_EQ(dlg.GridEdit()->selectedText(), c.grid);
    }
}

TEST(PolygonDialog, ChecksGridAndWidthInMilsAndNamesTheRangeInTheShownUnit)
{
    FakeUiServices ui;
    UiServices::Install(&ui);
    struct Case {
        const char* unit;
        const char* grid;
        const char* width;
        const char* refusal; // empty: accepted
        double gridMils;
        double widthMils;
    } cases[] = {
        {"MILS", "0", "1000", "", 0, 1000},
        {"MILS", "1000.5", "8", "Please enter a number between 0 and 1000.", 0, 0},
        {"MILS", "12", "-1", "Please enter a number between 0 and 1000.", 0, 0},
        {"MILS", "12a", "8", "Please enter a number.", 0, 0},
        {"MM", "25.4", "0.5", "", 1000, 19.68503937007874},
        {"MM", "25.5", "1", "Please enter a number between 0 and 25.4.", 0, 0},
        {"MM", "1", "-0.01", "Please enter a number between 0 and 25.4.", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.unit) + " " + c.grid + " " + c.width);
        ui.messages.clear();
        CChangePolygonDlg dlg(kGiven, c.unit);
        dlg.show();
        dlg.GridEdit()->setText(c.grid);
        dlg.WidthEdit()->setText(c.width);
        dlg.StyleBox()->setCurrentIndex(4);
        dlg.LayerBox()->setCurrentIndex(0);
        dlg.accept();
        if (*c.refusal) {
            EXPECT_TRUE(dlg.isVisible());
            EXPECT_EQ(ui.messages, std::vector<std::string>{c.refusal});
            EXPECT_EQ(dlg.GridEdit()->text(), c.grid); // as typed
            EXPECT_EQ(dlg.WidthEdit()->text(), c.width);
            EXPECT_EQ(dlg.m_values, kGiven);
            QLineEdit* refused = std::string(c.grid) == "12" || std::string(c.grid) == "1"
                                     ? dlg.WidthEdit()
                                     : dlg.GridEdit();
            EXPECT_EQ(dlg.focusWidget(), refused);
        } else {
            EXPECT_EQ(dlg.result(), QDialog::Accepted);
            EXPECT_TRUE(ui.messages.empty());
            EXPECT_DOUBLE_EQ(dlg.m_values.grid, c.gridMils);
            EXPECT_DOUBLE_EQ(dlg.m_values.width, c.widthMils);
            EXPECT_EQ(dlg.m_values.hatchStyle, 4);
            EXPECT_EQ(dlg.m_values.layer, 0);
        }
    }
}

TEST(PolygonDialog, OpensThroughTheDialogPortAndCancelChangesNothing)
{
    QtUiServices qt;
    UiServices::Install(&qt);
    for (const bool confirm : {false, true}) {
        SCOPED_TRACE(confirm);
        QTimer::singleShot(0, [confirm] {
            auto* dlg = qobject_cast<CChangePolygonDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            dlg->GridEdit()->setText("20");
            if (confirm)
                dlg->accept();
            else
                dlg->reject();
        });
        PolygonProperties values = kGiven;
        EXPECT_EQ(UiServices::Current().Ask(values), confirm);
        EXPECT_DOUBLE_EQ(values.grid, confirm ? 20.0 : 12.0);
    }
    UiServices::Install(nullptr);
}

} // namespace
