// Every dialog of the user-interface port opens as a real modal window, carries its
// resource number, and answers Cancel when it is closed that way. A picture of each is
// written to "screenshots" in the test's working folder, for review.
#include "support/FakeUiServices.h"
#include "ui/QtUiServices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <variant>

namespace
{

// The system's own file dialog and the pop-up list are not the program's windows.
template <class Values>
constexpr bool kOwnWindow =
    !std::is_same_v<Values, FilePrompt> && !std::is_same_v<Values, ListChoice>;

struct Seen {
    bool opened = false;
    int dialogId = -1;
};

template <class Values> Seen OpenAndCancel(std::size_t index)
{
    Seen seen;
    QTimer::singleShot(0, [&seen, index] {
        QWidget* w = QApplication::activeModalWidget();
        seen.opened = w != nullptr;
        if (!w)
            return;
        seen.dialogId = w->property("dialogId").isValid() ? w->property("dialogId").toInt() : -1;
        const QString name = seen.dialogId >= 0 ? QStringLiteral("dialog-%1").arg(seen.dialogId)
                                                : QStringLiteral("message-%1").arg(index);
        QDir().mkpath(QStringLiteral("screenshots"));
        w->grab().save(QStringLiteral("screenshots/") + name + QStringLiteral(".png"));
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box && box->escapeButton())
            box->escapeButton()->click();
        else if (auto* dialog = qobject_cast<QDialog*>(w))
            dialog->reject();
    });
    Values values{};
    EXPECT_FALSE(UiServices::Current().Ask(values)) << index;
    return seen;
}

template <std::size_t... I> void EveryDialog(std::index_sequence<I...>)
{
    auto one = [](auto index) {
        using Values = std::remove_pointer_t<std::variant_alternative_t<index, DialogValues>>;
        if constexpr (kOwnWindow<Values>) {
            const Seen seen = OpenAndCancel<Values>(index);
            EXPECT_TRUE(seen.opened) << "no window for values number " << index;
            constexpr bool message =
                std::is_same_v<Values, Question> || std::is_same_v<Values, SaveQuestion>;
            if (!message) {
                EXPECT_GT(seen.dialogId, 0) << "no resource number on dialog " << index;
            }
        }
    };
    (one(std::integral_constant<std::size_t, I>{}), ...);
}

} // namespace

TEST(DialogScreenshots, EveryDialogOpensCarriesItsNumberAndCancels)
{
    QtUiServices qt;
    UiServices::Install(&qt);
    EveryDialog(std::make_index_sequence<std::variant_size_v<DialogValues>>{});
    UiServices::Install(nullptr);
}
