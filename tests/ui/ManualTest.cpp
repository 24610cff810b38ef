// The manual the build puts beside the program: Help > Manual finds it there, it names
// every item of the Place menu and every tool, and it needs nothing from outside.
#include "ui/CMainFrame.h"

#include "board/CVantorDoc.h"
#include "support/FrameTest.h"
#include "ui/CommandTable.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace
{

// A command's name as the menu shows it: "Arra&y..." is "Array...", "&Set the
// Origin(&S)" is "Set the Origin", "&Manual...\t F1" is "Manual...".
QString ShownName(const char* text)
{
    QString name = QString::fromUtf8(text).section(QLatin1Char('\t'), 0, 0);
    name.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
    name.remove(QLatin1Char('&'));
    return name.trimmed();
}

class ManualTest : public FrameTest
{
};

TEST_F(ManualTest, TheBuiltManualBesideTheProgramNamesEveryPlaceMenuItemAndEveryTool)
{
    QFile file(CMainFrame::ManualFile(QString::fromUtf8(VANTOR_PROGRAM_DIR)));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    const QString html = QString::fromUtf8(file.readAll());

    std::set<int> ids;
    for (QAction* a : frame->TopLevelMenu(CMainFrame::MenuPlace)->actions())
        if (!a->isSeparator())
            ids.insert(a->data().toInt());
    const std::size_t placeItems = ids.size();
    EXPECT_GE(placeItems, 11u);
    for (const CommandInfo& c : CommandTable::All())
        if (c.toolKind != 0)
            ids.insert(c.id);
    EXPECT_GT(ids.size(), placeItems);

    for (int id : ids) {
        const CommandInfo* command = CommandTable::Find(id);
        ASSERT_NE(command, nullptr) << id;
        EXPECT_TRUE(html.contains(ShownName(command->text)))
            << "the manual does not name " << ShownName(command->text).toStdString();
    }
    for (const char* outside : {"<script", "src=", "http:", "https:", "<link"})
        EXPECT_FALSE(html.contains(QString::fromLatin1(outside), Qt::CaseInsensitive)) << outside;
}

} // namespace
