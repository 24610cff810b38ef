#include "model/UiServices.h"
#include "support/FakeUiServices.h"
#include "ui/CInsertEntityDlg.h"

#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <memory>

namespace
{

// The control carrying resource number `id`, or null.
template <class W> W* Control(QWidget& dlg, int id)
{
    for (W* w : dlg.findChildren<W*>())
        if (w->property("controlId").toInt() == id)
            return w;
    return nullptr;
}

TEST(InsertEntityDialog, CarriesItsIdsAndTextsAndRefusesCountsOutOfRange)
{
    FakeUiServices ui;
    UiServices::Install(&ui);
    CInsertEntityDlg dlg(InsertValues{0, 2});
    EXPECT_EQ(dlg.property("dialogId").toInt(), 156);
    EXPECT_EQ(dlg.windowTitle(), "Insert Entitys");
    ASSERT_NE(Control<QLabel>(dlg, 1172), nullptr);
    EXPECT_EQ(Control<QLabel>(dlg, 1172)->text(), "Entitys Count");
    ASSERT_NE(Control<QLabel>(dlg, 1153), nullptr);
    EXPECT_EQ(Control<QLabel>(dlg, 1153)->text(), "Text Increment");
    EXPECT_EQ(Control<QLineEdit>(dlg, 1173), dlg.CountEdit());
    EXPECT_EQ(Control<QLineEdit>(dlg, 1031), dlg.IncrementEdit());

    dlg.show();
    EXPECT_EQ(dlg.CountEdit()->text(), "0");
    EXPECT_EQ(dlg.IncrementEdit()->text(), "2");
    EXPECT_EQ(dlg.focusWidget(), dlg.CountEdit());

    struct Case {
        const char* count;
        const char* increment;
        bool accepted;
    };
    const Case cases[] = {
        {"0", "1", false},   {"1001", "1", false}, {"3x", "1", false},
        {"5", "1.5", false}, {"1000", "-7", true}, {"1", "0", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        dlg.setResult(QDialog::Rejected);
        dlg.show();
        dlg.CountEdit()->setText(c.count);
        dlg.IncrementEdit()->setText(c.increment);
        const std::size_t before = ui.messages.size();
        dlg.accept();
        EXPECT_EQ(dlg.result() == QDialog::Accepted, c.accepted);
        EXPECT_EQ(ui.messages.size(), before + (c.accepted ? 0 : 1));
        // A refusal keeps the text as typed.
        EXPECT_EQ(dlg.CountEdit()->text(), c.count);
    }
    EXPECT_EQ(dlg.Count(), 1);
    EXPECT_EQ(dlg.Increment(), 0);
    UiServices::Install(nullptr);
}

} // namespace
