#include "ui/CMainFrame.h"

#include "board/CVantorDoc.h"
#include "commands/CCreateLine.h"
#include "commands/CommandKinds.h"
#include "model/CArc.h"
#include "model/CFillArea.h"
#include "model/CFreePad.h"
#include "model/CLine.h"
#include "model/CPolygon.h"
#include "model/CTxtTag.h"
#include "model/CViaPad.h"
#include "model/LayerId.h"
#include "model/Utilities.h"
#include "support/FrameTest.h"
#include "ui/CChangeLineDlg.h"
#include "ui/CGetDPIDlg.h"
#include "ui/CVantorApp.h"
#include "ui/CVantorView.h"
#include "ui/CommandIds.h"
#include "ui/CommandTable.h"
#include "ui/DialogControls.h"
#include "ui/QtUiServices.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <set>

using namespace Cmd;

namespace
{

struct SwitchSetting {
    explicit SwitchSetting(int on) : saved(thePlatformFlag) { thePlatformFlag = on; }
    ~SwitchSetting() { thePlatformFlag = saved; }
    int saved;
};

class CMainFrameTest : public FrameTest
{
  protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        frame->resize(800, 600);
    }
    // Opens a 64 x 48 photograph through the document, answering its questions.
    void OpenPhoto()
    {
        const std::string path = settingsFolder + "photo.bmp";
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        ASSERT_TRUE(image.save(QString::fromStdString(path)));
        ui.Expect<DpiValues>(true);
        ui.Expect<Question>(true);
        ASSERT_TRUE(doc->OpenFile(path));
    }
    enum SaveAnswer { Yes, No, Cancel };
    void AnswerSave(SaveAnswer answer)
    {
        ui.Expect<SaveQuestion>(answer != Cancel,
                                [answer](SaveQuestion& q) { q.save = answer == Yes; });
    }
    static std::string ReadAll(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    struct State {
        bool enabled;
        bool checked;
    };
    State StateOf(int id)
    {
        frame->UpdateCommands();
        QAction* a = frame->Action(id);
        return {a->isEnabled(), a->isChecked()};
    }
};

TEST_F(CMainFrameTest, EveryCommandHasOneActionWithItsTextAndKeys)
{
    // Ids are unique in the table, and the frame holds exactly one action for each.
    std::map<int, int> perId;
    for (QAction* a : frame->findChildren<QAction*>()) {
        if (a->menu() || a->isSeparator() || !a->data().isValid() ||
            a->text().startsWith(QStringLiteral("Components(&C)")))
            continue;
        ++perId[a->data().toInt()];
    }
    for (const CommandInfo& c : CommandTable::All()) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(perId[c.id], 1);
        ASSERT_NE(frame->Action(c.id), nullptr);
    }
    EXPECT_EQ(perId.size(), CommandTable::All().size());

    // The keyboard's commands and a sample of the menu texts.
    const std::map<int, QStringList> keys = {
        {ID_EDIT_SELECT_ALL, {"Ctrl+A"}},
        {ID_FILE_OPEN_PHOTO, {"Ctrl+B"}},
        {ID_EDIT_COPY, {"Ctrl+C", "Ctrl+Ins"}},
        {ID_FILE_EXPORT_PCB, {"Ctrl+E"}},
        {ID_FILE_NEW, {"Ctrl+N"}},
        {ID_FILE_OPEN, {"Ctrl+O"}},
        {ID_VIEW_CAPTURE, {"Ctrl+P", "F2"}},
        {ID_FILE_SAVE, {"Ctrl+S"}},
        {ID_EDIT_PASTE, {"Ctrl+V", "Ctrl+Shift+V", "Shift+Ins"}},
        {ID_EDIT_CLEAR, {"Del"}},
        {ID_HELP_MANUAL, {"F1"}},
        {ID_PLACE_COMPONENT, {"F10"}},
        {ID_VIEW_LAYERS, {"F11"}},
        {ID_NEXT_PANE, {"F6"}},
        {ID_PREV_PANE, {"Shift+F6"}},
        {ID_VIEW_UNIT_SWITCH, {"F9"}},
        {ID_VIEW_ACTUAL_SIZE, {"Home"}},
        {ID_EDIT_CUT, {"Ctrl+X"}},
        {ID_EDIT_REDO, {"Ctrl+Y"}},
        {ID_EDIT_UNDO, {"Ctrl+Z"}},
        {ID_ZOOM_IN, {}},
        {ID_PLACE_TRACK, {}},
    };
    for (const CommandInfo& c : CommandTable::All()) {
        QStringList actual;
        for (const QKeySequence& k : frame->Action(c.id)->shortcuts())
            actual << k.toString(QKeySequence::PortableText);
        const auto it = keys.find(c.id);
        EXPECT_EQ(actual, it == keys.end() ? QStringList() : it->second) << c.id;
    }
    const std::map<int, const char*> texts = {
        {ID_PLACE_TRACK, "&Track"},
        {ID_EDIT_UNDO, "Undo(&Z)\tCtrl+Z"},
        {ID_VIEW_ACTUAL_SIZE, "Photo actual size(&R)\t Home"},
        {ID_VIEW_CAPTURE, "&Capture(&P)\t F2"},
        {ID_ZOOM_OUT, "&Out\t PageDown"},
        {ID_GRID_BASE + 7, "7 mils"},
        {ID_GRID_OTHER, "Other...."},
        {ID_EDIT_CLEAR, "Clear all(Del)\tDel"},
        {ID_HELP_MANUAL, "&Manual...\t F1"},
        {ID_HELP_HOMEPAGE, "&Our site(&O)"},
        {ID_FILE_CLOSE_BOARD, "&Close vtx file"},
        {ID_PLACE_INSERT, "&Insert entitys"},
    };
    for (const auto& [id, text] : texts)
        EXPECT_EQ(frame->Action(id)->text(), QString::fromUtf8(text)) << id;
}

TEST_F(CMainFrameTest, MenusKeepThePositionsTheKeysRelyOn)
{
    const QStringList titles = {"&File", "&Edit", "&View", "&Place", "&Tools", "&Help"};
    QStringList actual;
    for (QAction* a : frame->menuBar()->actions())
        actual << a->text();
    EXPECT_EQ(actual, titles);

    QMenu* viewMenu = frame->TopLevelMenu(CMainFrame::MenuView);
    const QMenu* language = CMainFrame::PopupAt(viewMenu, CMainFrame::ViewLanguage);
    const QMenu* grid = CMainFrame::PopupAt(viewMenu, CMainFrame::ViewGrid);
    const QMenu* zoom = CMainFrame::PopupAt(viewMenu, CMainFrame::ViewZoom);
    ASSERT_TRUE(language && grid && zoom);
    EXPECT_EQ(language->actions().front()->data().toInt(), ID_LANGUAGE_DEFAULT);
    EXPECT_EQ(grid->actions().size(), 11);
    EXPECT_EQ(zoom->actions().front()->data().toInt(), ID_ZOOM_IN);
    EXPECT_EQ(viewMenu->actions().at(8)->data().toInt(), ID_VIEW_UNIT_SWITCH);
    EXPECT_EQ(frame->TopLevelMenu(CMainFrame::MenuPlace)->actions().front()->data().toInt(),
              ID_PLACE_TRACK);

    // The toolbar ends with the layer list.
    const QList<QAction*> items = frame->ToolBar()->actions();
    EXPECT_EQ(frame->ToolBar()->widgetForAction(items.back()), frame->LayerList());
    EXPECT_EQ(items.front()->data().toInt(), ID_FILE_OPEN);
}

TEST_F(CMainFrameTest, LayerListFollowsAndSetsTheCurrentLayer)
{
    QComboBox* list = frame->LayerList();
    ASSERT_EQ(list->count(), CMainFrame::kLayerCount);
    EXPECT_EQ(list->itemText(0), "Top Layer");
    EXPECT_EQ(list->itemText(15), "Bottom Layer");
    EXPECT_EQ(list->itemText(33), "Multi-Layer");
    // New objects start on the multi-layer, and the list says so; vias keep their own.
    EXPECT_EQ(list->currentText(), "Multi-Layer");
    EXPECT_EQ(board().GetCurrentLayer(), 33);
    const int viaLayer = thePrototypeViaPad.GetLayer();
    for (const CEntity* e : std::initializer_list<const CEntity*>{
             &thePrototypeFreePad, &thePrototypeFillArea, &theDefaultLine, &thePrototypeTxtTag,
             &thePrototypeArc})
        EXPECT_EQ(e->GetLayer(), 33);

    // The track tool draws on the layer shown at start, and on one chosen while it is
    // on (here between two chains).
    CNormalStatus& tools = frame->GetActiveView()->Dispatcher();
    RoutingMode = 3;
    tools.SetCommand(CommandKind::Track);
    for (const int chosen : {33, 15}) {
        if (chosen != 33) {
            list->setCurrentIndex(chosen);
            emit list->activated(chosen);
        }
        for (const Position& p : {Position(100, chosen), Position(200, chosen)})
            tools.OnLButtonDown(MK::LButton, p);
        tools.OnRButtonDown(MK::RButton, Position(200, chosen));
    }
    tools.SetCommand(CommandKind::None);
    const std::list<CEntity*>& drawn = board().GetElements().GetEntities(); // newest first
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn.back()->GetLayer(), 33);
    EXPECT_EQ(drawn.front()->GetLayer(), 15);

    // A choice in the list sets the current layer and the drawing prototypes'; pads and
    // vias keep theirs.
    list->setCurrentIndex(15);
    emit list->activated(15);
    EXPECT_EQ(board().GetCurrentLayer(), 15);
    for (const CEntity* e : std::initializer_list<const CEntity*>{
             &thePrototypeFillArea, &theDefaultLine, &thePrototypeTxtTag, &thePrototypeArc,
             &thePrototypePolygon})
        EXPECT_EQ(e->GetLayer(), 15);
    EXPECT_EQ(thePrototypeFreePad.GetLayer(), 33);
    EXPECT_EQ(thePrototypeViaPad.GetLayer(), viaLayer);

    // Choosing the layer that is already current still gives it to new tracks.
    theDefaultLine.SetLayer(33);
    emit list->activated(15);
    EXPECT_EQ(theDefaultLine.GetLayer(), 15);

    // The list shows a current layer set elsewhere.
    board().SetCurrentLayer(5);
    frame->UpdateCommands();
    EXPECT_EQ(list->currentIndex(), 5);
}

TEST_F(CMainFrameTest, UpdateAndRoutingFollowThePhotographAndTheBoard)
{
    SwitchSetting noBoardWithoutPhoto(0);
    EXPECT_TRUE(StateOf(ID_FILE_OPEN_PHOTO).enabled);
    EXPECT_FALSE(StateOf(ID_FILE_CLOSE_PHOTO).enabled);
    EXPECT_FALSE(StateOf(ID_PLACE_TRACK).enabled);
    // Unhandled commands and commands of later versions stay disabled and do not run.
    for (int id : {ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_IMPORT_VTX, ID_FILE_EXPORT_PCB,
                   ID_EDIT_CUT, ID_NEXT_PANE})
        EXPECT_FALSE(StateOf(id).enabled) << id;
    EXPECT_FALSE(frame->OnCommand(ID_PLACE_TRACK));
    EXPECT_FALSE(StateOf(ID_GRID_OTHER).enabled);
    EXPECT_FALSE(StateOf(ID_VIEW_LAYERS).enabled);
    EXPECT_TRUE(StateOf(ID_HELP_MANUAL).enabled);
    EXPECT_TRUE(StateOf(ID_LANGUAGE_DEFAULT).checked);

    OpenPhoto();
    EXPECT_TRUE(StateOf(ID_FILE_CLOSE_PHOTO).enabled);
    EXPECT_TRUE(StateOf(ID_PLACE_TRACK).enabled);
    EXPECT_FALSE(StateOf(ID_PLACE_TRACK).checked);
    EXPECT_TRUE(frame->OnCommand(ID_PLACE_TRACK));
    EXPECT_TRUE(StateOf(ID_PLACE_TRACK).checked);
    // The polygon command asks the pour's properties first.
    ui.Expect<PolygonProperties>(true);
    EXPECT_TRUE(frame->OnCommand(ID_PLACE_POLYGON));
    EXPECT_TRUE(StateOf(ID_PLACE_POLYGON).checked);
    EXPECT_FALSE(StateOf(ID_PLACE_TRACK).checked);

    // The grid items check the current step; "Other...." is checked above 10 mils and
    // sets the step it is given.
    EXPECT_TRUE(StateOf(ID_GRID_OTHER).checked);
    EXPECT_TRUE(frame->OnCommand(ID_GRID_BASE + 5));
    EXPECT_TRUE(StateOf(ID_GRID_BASE + 5).checked);
    EXPECT_FALSE(StateOf(ID_GRID_BASE + 4).checked);
    EXPECT_FALSE(StateOf(ID_GRID_OTHER).checked);
    ui.Expect<GridValues>(false, [](GridValues& v) { v.step = 30; });
    ui.Expect<GridValues>(true, [](GridValues& v) { v.step = 12.5; });
    EXPECT_TRUE(frame->OnCommand(ID_GRID_OTHER));
    EXPECT_EQ(board().GetGrid().GetStep(), 5.0);
    EXPECT_TRUE(frame->OnCommand(ID_GRID_OTHER));
    EXPECT_EQ(board().GetGrid().GetStep(), 12.5);
    EXPECT_EQ(ui.Received<GridValues>().at(1).step, 5.0);
    EXPECT_TRUE(StateOf(ID_GRID_OTHER).checked);
    EXPECT_FALSE(StateOf(ID_GRID_BASE + 5).checked);

    // The layers dialog receives the board's table and current layer; OK hides a layer.
    EXPECT_TRUE(StateOf(ID_VIEW_LAYERS).enabled);
    board().SetCurrentLayer(7);
    ui.Expect<LayersValues>(true, [](LayersValues& v) { v.table[LAYER_TOP].shown = 0; });
    EXPECT_TRUE(frame->OnCommand(ID_VIEW_LAYERS));
    EXPECT_EQ(ui.Received<LayersValues>().at(0).current, 7);
    EXPECT_EQ(ui.Received<LayersValues>().at(0).table.size(), 40u);
    EXPECT_EQ(board().GetLayerTable().entries.at(LAYER_TOP).shown, 0);
    EXPECT_TRUE(board().GetElements().GetHiddenLayers().count(LAYER_TOP) != 0);

    // The unit switch names the unit it switches to, however often it is updated.
    QAction* unit = frame->Action(ID_VIEW_UNIT_SWITCH);
    for (int round = 0; round < 3; ++round) {
        board().SetUnit(0);
        frame->UpdateCommands();
        EXPECT_EQ(unit->text(), "Unit switch(&U) Mils");
        EXPECT_TRUE(frame->OnCommand(ID_VIEW_UNIT_SWITCH));
        EXPECT_EQ(board().GetUnit(), 1);
        EXPECT_EQ(unit->text(), "Unit switch(&U) MM");
    }

    // Closing the photograph through the menu goes to the document.
    EXPECT_TRUE(frame->OnCommand(ID_FILE_CLOSE_PHOTO));
    EXPECT_FALSE(doc->GetPhoto().HasImage());
    EXPECT_FALSE(StateOf(ID_PLACE_TRACK).enabled);
    EXPECT_TRUE(ui.AllAnswersUsed());
}

TEST_F(CMainFrameTest, FileCommandsRunTheDocumentAndFollowItsPath)
{
    SwitchSetting noBoardWithoutPhoto(0);
    OpenPhoto();
    EXPECT_TRUE(StateOf(ID_FILE_IMPORT_VTX).enabled);
    EXPECT_FALSE(StateOf(ID_FILE_SAVE_AS).enabled);
    board().AddEntity(new CLine(Position(0, 0), Position(50, 0)));
    doc->SetModifiedFlag(true);
    for (int id : {ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_EXPORT_PCB})
        EXPECT_TRUE(StateOf(id).enabled) << id;

    // Save without a board path asks for a name; the title follows the path.
    const std::string path = settingsFolder + "frame.vtx";
    ui.Expect<FilePrompt>(true, [path](FilePrompt& p) { p.path = path; });
    EXPECT_TRUE(frame->OnCommand(ID_FILE_SAVE));
    EXPECT_EQ(frame->windowTitle(), "frame.vtx - Vantor");
    EXPECT_FALSE(StateOf(ID_FILE_SAVE).enabled);

    // A tool at work ends before the board closes.
    EXPECT_TRUE(frame->OnCommand(ID_PLACE_TRACK));
    EXPECT_TRUE(StateOf(ID_PLACE_TRACK).checked);
    EXPECT_TRUE(frame->OnCommand(ID_FILE_CLOSE_BOARD));
    EXPECT_FALSE(StateOf(ID_PLACE_TRACK).checked);
    EXPECT_FALSE(board().HasEntities());
    EXPECT_EQ(frame->windowTitle(), "Untitled - Vantor");

    ui.Expect<FilePrompt>(true, [path](FilePrompt& p) { p.path = path; });
    EXPECT_TRUE(frame->OnCommand(ID_FILE_OPEN));
    EXPECT_EQ(ui.Received<FilePrompt>().back().title, "Open PCB file");
    EXPECT_TRUE(board().HasEntities());
    EXPECT_EQ(frame->windowTitle(), "frame.vtx - Vantor");

    // Closing the window offers to save; a save that does not happen keeps it open.
    AnswerSave(No);
    doc->SetModifiedFlag(true);
    EXPECT_TRUE(frame->OnCommand(ID_FILE_NEW));
    board().AddEntity(new CLine(Position(0, 0), Position(50, 0)));
    doc->SetModifiedFlag(true);
    AnswerSave(Yes);
    ui.Expect<FilePrompt>(false);
    EXPECT_FALSE(frame->close());
    AnswerSave(No);
    EXPECT_TRUE(frame->close());
    EXPECT_TRUE(ui.AllAnswersUsed());
}

// Every command that drops the board asks first; yes saves and goes on, no goes on
// without saving, cancel (also Esc and the close button) stops the command.
TEST_F(CMainFrameTest, TheSaveQuestionsThreeAnswersForEveryCommandThatDropsTheBoard)
{
    SwitchSetting noBoardWithoutPhoto(0);
    const std::string kept = settingsFolder + "kept.vtx";
    const std::string other = settingsFolder + "other.vtx";
    const std::string photo2 = settingsFolder + "second.bmp";
    ASSERT_TRUE(QImage(32, 32, QImage::Format_RGB32).save(QString::fromStdString(photo2)));
    OpenPhoto();
    board().AddEntity(new CFillArea);
    ASSERT_TRUE(doc->DoSave(other));

    // The answers a command asks before its save question, and what shows it went on.
    const int kExit = -1;
    struct Command {
        int id;
        std::function<void()> answerFirst;
        std::function<bool()> wentOn;
    } commands[] = {
        {kExit, [] {}, [&] { return !frame->isVisible(); }},
        {ID_FILE_NEW, [] {}, [&] { return !board().HasEntities(); }},
        {ID_FILE_CLOSE_BOARD, [] {}, [&] { return !board().HasEntities(); }},
        {ID_FILE_OPEN, [&] { ui.Expect<FilePrompt>(true, [&](FilePrompt& p) { p.path = other; }); },
         [&] { return doc->GetBoardPath() == other; }},
        {ID_FILE_OPEN_PHOTO,
         [&] {
             ui.Expect<FilePrompt>(true, [&](FilePrompt& p) { p.path = photo2; });
             ui.Expect<DpiValues>(true);
             ui.Expect<Question>(true);
         },
         [&] { return doc->GetPhoto().GetPath() == photo2 && !board().HasEntities(); }},
    };
    for (const Command& command : commands) {
        for (SaveAnswer answer : {Yes, No, Cancel}) {
            SCOPED_TRACE(std::to_string(command.id) + " answered " + std::to_string(answer));
            if (doc->GetPhoto().GetPath() == photo2)
                OpenPhoto();
            frame->show();
            // A board saved as `kept`, then changed.
            board().ClearBoard();
            board().AddEntity(new CLine(Position(0, 0), Position(50, 0)));
            ASSERT_TRUE(doc->DoSave(kept));
            const std::string saved = ReadAll(kept);
            board().AddEntity(new CLine(Position(0, 0), Position(0, 50)));
            doc->SetModifiedFlag(true);

            command.answerFirst();
            AnswerSave(answer);
            if (command.id == kExit)
                frame->close();
            else
                EXPECT_TRUE(frame->OnCommand(command.id));
            EXPECT_TRUE(ui.AllAnswersUsed());
            EXPECT_EQ(ui.Received<SaveQuestion>().back().text, "Save changes to kept.vtx?");
            EXPECT_EQ(command.wentOn(), answer != Cancel);
            EXPECT_EQ(ReadAll(kept) != saved, answer == Yes);
            if (answer == Cancel) {
                EXPECT_EQ(board().GetElements().GetEntities().size(), 2u);
                EXPECT_TRUE(doc->IsModified());
                EXPECT_EQ(doc->GetBoardPath(), kept);
                EXPECT_EQ(doc->GetPhoto().GetPath(), settingsFolder + "photo.bmp");
            }
        }
    }
}

TEST(CGetDPIDlgTest, OpensWith800SelectedAndRefusesValuesOutOfRange)
{
    FakeUiServices ui;
    UiServices::Install(&ui);
    CGetDPIDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), "Please input the vertical and horizontal of the photo ");
    EXPECT_EQ(dlg.m_vertical, 0);
    for (int round = 0; round < 2; ++round) {
        dlg.show();
        EXPECT_EQ(dlg.VerticalEdit()->text(), "800");
        EXPECT_EQ(dlg.HorizontalEdit()->text(), "800");
        EXPECT_EQ(dlg.focusWidget(), dlg.VerticalEdit());
        EXPECT_EQ(dlg.VerticalEdit()->selectedText(), "800");

        struct Case {
            const char* vertical;
            const char* horizontal;
            QLineEdit* refused;
        } refused[] = {{"0", "800", dlg.VerticalEdit()},
                       {"800", "10001", dlg.HorizontalEdit()},
                       {"12a", "800", dlg.VerticalEdit()},
                       {"-5", "800", dlg.VerticalEdit()}};
        for (const Case& c : refused) {
            SCOPED_TRACE(std::string(c.vertical) + " " + c.horizontal);
            ui.messages.clear();
            dlg.VerticalEdit()->setText(c.vertical);
            dlg.HorizontalEdit()->setText(c.horizontal);
            dlg.accept();
            EXPECT_TRUE(dlg.isVisible());
            EXPECT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(dlg.focusWidget(), c.refused);
            EXPECT_EQ(c.refused->selectedText(), c.refused->text());
        }
        dlg.VerticalEdit()->setText("1");
        dlg.HorizontalEdit()->setText("10000");
        dlg.accept();
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(dlg.m_vertical, 1);
        EXPECT_EQ(dlg.m_horizontal, 10000);
    }
}

TEST(QtUiServicesTest, OpensTheDialogListedForTheValues)
{
    QtUiServices qt;
    UiServices::Install(&qt);
    // A track opens its property dialog and takes what was entered.
    QTimer::singleShot(0, [] {
        auto* dlg = qobject_cast<CChangeLineDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        DialogControls::Find<QLineEdit>(dlg, 1014)->setText("12.5");
        dlg->accept();
    });
    TrackProperties track{20.0, Position(1, 2), Position(3, 4), 1};
    EXPECT_TRUE(UiServices::Current().Ask(track));
    EXPECT_EQ(track, (TrackProperties{12.5, Position(1, 2), Position(3, 4), 1}));

    // The resolution question opens its own dialog and returns what was entered.
    QTimer::singleShot(0, [] {
        auto* dlg = qobject_cast<CGetDPIDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        dlg->VerticalEdit()->setText("300");
        dlg->HorizontalEdit()->setText("600");
        dlg->accept();
    });
    DpiValues dpi;
    EXPECT_TRUE(UiServices::Current().Ask(dpi));
    EXPECT_EQ(std::pair(dpi.vertical, dpi.horizontal), std::pair(300u, 600u));
    UiServices::Install(nullptr);
}

TEST(QtUiServicesTest, TheSaveQuestionAnswersYesNoOrCancelAndEscCancels)
{
    QtUiServices qt;
    UiServices::Install(&qt);
    struct Case {
        const char* press; // a button's text, or "" for the Esc key, or "close"
        bool answered;
        bool save;
    } cases[] = {{"&Yes", true, true},
                 {"&No", true, false},
                 {"Cancel", false, true},
                 {"", false, true},
                 {"close", false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.press);
        QTimer::singleShot(0, [&c] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), "Save changes to a.vtx?");
            const QString press = QString::fromLatin1(c.press);
            if (press.isEmpty()) {
                QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(box, &esc);
            } else if (press == QLatin1String("close")) {
                box->close();
            } else {
                for (QAbstractButton* b : box->buttons())
                    if (b->text() == press)
                        b->click();
            }
        });
        SaveQuestion question{"Save changes to a.vtx?"};
        EXPECT_EQ(UiServices::Current().Ask(question), c.answered);
        EXPECT_EQ(question.save, c.save);
        EXPECT_FALSE(QtUiServices::IsModalOpen());
    }
    UiServices::Install(nullptr);
}

TEST(QtUiServicesTest, PhotoFiltersMatchAnyLetterCase)
{
    const QStringList filters = QtUiServices::NameFilters(
        {{"bmp files(*.bmp)", "*.bmp"}, {"jpeg files(*.jpeg|*.jpg)", "*.jpg;*.jpeg"}});
    ASSERT_EQ(filters.size(), 2);
    EXPECT_TRUE(filters[0].startsWith("bmp files(*.bmp) ("));
    // The patterns as the file dialog reads them: the last parenthesised part.
    auto matches = [&](int filter, const QString& file) {
        const QString inner = filters[filter].section(QLatin1Char('('), -1).chopped(1);
        for (const QString& glob : inner.split(QLatin1Char(' '))) {
            const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(glob));
            if (re.match(file).hasMatch())
                return true;
        }
        return false;
    };
    EXPECT_TRUE(matches(0, "a.bmp"));
    EXPECT_TRUE(matches(0, "SCAN.BMP"));
    EXPECT_FALSE(matches(0, "a.jpg"));
    EXPECT_TRUE(matches(1, "x.JPG"));
    EXPECT_TRUE(matches(1, "x.Jpeg"));
    EXPECT_FALSE(matches(1, "x.png"));
}

TEST(CVantorAppTest, StartsAndStopsTheBoardAndKeepsEightRecentFiles)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    qputenv("VANTOR_HOME", (home.path() + "/").toUtf8());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path());
    EXPECT_TRUE(QRegularExpression("^Version \\d+\\.\\d\\d\\.\\d\\d$")
                    .match(CVantorApp::GetProgramVersionString())
                    .hasMatch());

    {
        CVantorApp app;
        ASSERT_TRUE(app.InitInstance({"vantor"}));
        ASSERT_NE(theInfomation, nullptr);
        ASSERT_NE(app.GetMainFrame(), nullptr);
        EXPECT_EQ(app.GetMainFrame()->GetActiveView(), theInfomation->GetView());
        EXPECT_EQ(theInfomation->GetPhoto(), &app.GetDocument()->GetPhoto());
        for (int i = 1; i <= 10; ++i)
            app.AddToRecentFileList(QStringLiteral("/boards/b%1.vtx").arg(i));
        app.AddToRecentFileList("/boards/b5.vtx");
        app.GetMainFrame()->UpdateCommands();
        EXPECT_TRUE(app.GetMainFrame()->Action(ID_FILE_MRU_FILE1 + 7)->isEnabled());
        EXPECT_TRUE(app.GetMainFrame()->Action(ID_APP_EXIT)->isEnabled());
        app.ExitInstance();
        EXPECT_EQ(theInfomation, nullptr);
    }
    // Nothing is left pointing at the gone windows.
    Question question;
    EXPECT_FALSE(UiServices::Current().Ask(question));

    // The list comes back at the next start, newest first, without repeats.
    QSettings settings(CVantorApp::kRegistryKey, CVantorApp::kApplicationName);
    settings.beginGroup(CVantorApp::kRecentGroup);
    EXPECT_EQ(settings.value("File1").toString(), "/boards/b5.vtx");
    EXPECT_EQ(settings.value("File2").toString(), "/boards/b10.vtx");
    EXPECT_EQ(settings.value("File8").toString(), "/boards/b3.vtx");
    EXPECT_FALSE(settings.contains("File9"));
    CVantorApp again;
    ASSERT_TRUE(again.InitInstance({"vantor"}));
    EXPECT_EQ(again.RecentFiles().size(), 8);
    EXPECT_EQ(again.RecentFiles().front(), "/boards/b5.vtx");
    EXPECT_TRUE(again.GetMainFrame()->Action(ID_FILE_MRU_FILE1)->text().endsWith("b5.vtx"));
}

} // namespace
