#include "ui/Language.h"

#include "board/CVantorDoc.h"
#include "commands/CNormalStatus.h"
#include "support/BoardFixture.h"
#include "support/FakeUiServices.h"
#include "ui/CGetDPIDlg.h"
#include "ui/CMainFrame.h"
#include "ui/CommandIds.h"
#include "ui/ProfileFile.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace Cmd;

namespace
{

void Write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A settings folder and a program folder, each with a "Language" folder.
class LanguageFiles : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(settings.isValid() && program.isValid());
        language.SetFolders(settings.path(), program.path());
    }
    void AddFile(const QTemporaryDir& where, const QString& name, const QByteArray& text)
    {
        Write(where.filePath("Language/" + name + ".lang"), text);
    }
    int Kept() const
    {
        return ProfileFile::Load(settings.filePath("vantor.ini")).IntValue("Main", "Language", -1);
    }

    QTemporaryDir settings;
    QTemporaryDir program;
    Language language;
};

const QByteArray kGerman = "[Language]\nLanguage=1031\nDescription=Deutsch\n"
                           "FontName=DejaVu Sans\nFontSize=11\n"
                           "[String]\n5050=F8 wechselt die Sprache.\n"
                           "[128]\n|0=&Datei\n57600=&Neu\n|2|3=&Sprache\n"
                           "[129]\n0=Aufloesung\n1=Gut\n";

} // namespace

TEST(ProfileFileTest, ReadsSectionsAndKeysWhateverTheirCaseAndTheFirstOccurrenceWins)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    Write(path, "; a comment\n[Main]\r\nLanguage = 2052 \nlanguage=1\nText=  a = b  \n"
                "Empty=\n[MAIN]\nOther=3\n[Numbers]\nSigned=-12abc\nWord=abc\n");
    const ProfileFile file = ProfileFile::Load(path);
    EXPECT_EQ(file.IntValue("main", "LANGUAGE", 0), 2052);
    EXPECT_EQ(file.Value("Main", "Text"), "a = b");
    EXPECT_TRUE(file.Value("Main", "Empty").isEmpty());
    EXPECT_FALSE(file.Value("Main", "Empty").isNull());
    EXPECT_TRUE(file.Value("Main", "Other").isNull()); // only the first [Main] counts
    EXPECT_TRUE(file.Value("Nowhere", "Text").isNull());
    EXPECT_EQ(file.IntValue("Numbers", "Signed", 7), -12);
    EXPECT_EQ(file.IntValue("Numbers", "Word", 7), 7);
    EXPECT_EQ(file.IntValue("Numbers", "Missing", 7), 7);
}

TEST(ProfileFileTest, ReadsGb18030TextAndWritesWhatItReadsBack)
{
    QTemporaryDir dir;
    const QString chinese = QString::fromUtf8("简体中文");
    QStringEncoder gb("GB18030");
    Write(dir.filePath("gb.lang"), "[String]\n57345=" + gb.encode(chinese) + "\n");
    Write(dir.filePath("utf8.lang"), "\xEF\xBB\xBF[String]\n57345=" + chinese.toUtf8() + "\n");
    for (const char* name : {"gb.lang", "utf8.lang"})
        EXPECT_EQ(ProfileFile::Load(dir.filePath(name)).Value("string", "57345"), chinese) << name;

    ProfileFile file = ProfileFile::Load(dir.filePath("gb.lang"));
    file.SetValue("main", "Language", "2052");
    file.SetValue("String", "57345", "x");
    ASSERT_TRUE(file.Save(dir.filePath("out.ini")));
    const ProfileFile back = ProfileFile::Load(dir.filePath("out.ini"));
    EXPECT_EQ(back.Value("Main", "language"), "2052");
    EXPECT_EQ(back.Value("String", "57345"), "x");
}

TEST_F(LanguageFiles, WithoutLanguageFilesOnlyTheProgramsOwnTextsAreOffered)
{
    Write(settings.filePath("vantor.ini"), "[Main]\nLanguage=1031\n");
    EXPECT_EQ(language.LangInitialize(), 1031);
    EXPECT_TRUE(language.ActivePath().isEmpty());
    QMenu popup;
    popup.addAction("&Default")->setData(Language::kMenuDefault);
    EXPECT_EQ(language.LangBuildMenu(&popup), Language::kMenuDefault);
    EXPECT_EQ(popup.actions().size(), 1);
    EXPECT_EQ(language.LangLoadString(5050), "Press F8 to switch other languages.");
    EXPECT_EQ(language.LangLoadString(Language::kIdleMessage), "Ready");
    EXPECT_FALSE(language.LangLoadString(1).has_value());
}

TEST_F(LanguageFiles, AChosenLanguageIsListedCheckedKeptAndActiveAtTheNextStart)
{
    AddFile(settings, "Deutsch", kGerman);
    AddFile(program, "Zero", "[Language]\nLanguage=0\n");
    AddFile(program, "Chinese", "[Language]\nLanguage=2052\n");
    Write(settings.filePath("vantor.ini"), "[Main]\nLanguage=0\n");
    EXPECT_EQ(language.LangInitialize(), 0);

    QMenu popup;
    popup.addAction("&Default")->setData(Language::kMenuDefault);
    language.LangBuildMenu(&popup);
    const QList<QAction*> items = popup.actions();
    ASSERT_EQ(items.size(), 4); // Default, separator, Deutsch, Chinese (not Zero)
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(items[2]->text(), "Deutsch");
    EXPECT_EQ(items[2]->data().toInt(), 5051);
    EXPECT_EQ(items[3]->text(), "Chinese");
    EXPECT_EQ(language.LangReadDescription(5051), "Deutsch");
    EXPECT_TRUE(language.LangReadDescription(5052).isEmpty());

    language.LangSelect(&popup, 5051);
    EXPECT_TRUE(items[2]->isChecked());
    EXPECT_EQ(Kept(), 1031);
    EXPECT_EQ(language.LangLoadString(5050), "F8 wechselt die Sprache.");
    EXPECT_EQ(language.LangLoadString(Language::kIdleMessage), "Ready"); // not in the file
    ASSERT_TRUE(language.Font().has_value());
    EXPECT_EQ(language.Font()->pointSize(), 11);

    Language next; // the next start
    next.SetFolders(settings.path(), program.path());
    EXPECT_EQ(next.LangInitialize(), 1031);
    EXPECT_TRUE(next.ActivePath().endsWith("Deutsch.lang"));

    language.LangSelect(&popup, Language::kMenuDefault);
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_TRUE(language.ActivePath().isEmpty());
    EXPECT_EQ(Kept(), 0);
}

TEST_F(LanguageFiles, MenusAndDialogsAreTranslatedAndGivenTheirOwnTextsBack)
{
    AddFile(program, "Deutsch", kGerman);
    QMenu popup;
    popup.addAction("&Default")->setData(Language::kMenuDefault);
    language.LangBuildMenu(&popup);

    QMenuBar bar;
    QMenu* file = bar.addMenu("&File");
    file->addAction("&New")->setData(57600);
    QMenu* view = bar.addMenu("&Edit");
    view = bar.addMenu("&View");
    for (const char* text : {"a", "b", "c"})
        view->addAction(text)->setData(1);
    QMenu* lang = view->addMenu("&Language");

    CGetDPIDlg dialog(nullptr);
    language.LangSelect(&popup, 5051);
    language.LangTranslateMenu(&bar, Language::kMainMenu);
    EXPECT_EQ(file->title(), "&Datei");
    EXPECT_EQ(file->actions()[0]->text(), "&Neu");
    EXPECT_EQ(bar.actions()[1]->text(), "&Edit"); // no key: its own text
    EXPECT_EQ(lang->title(), "&Sprache");

    auto* edit = dialog.findChild<QLineEdit*>();
    edit->setText("800");
    language.LangTranslateDialog(&dialog, 129);
    EXPECT_EQ(dialog.windowTitle(), "Aufloesung");
    auto* ok = dialog.findChild<QPushButton*>();
    QList<QPushButton*> buttons = dialog.findChildren<QPushButton*>();
    QString okText, cancelText;
    for (QPushButton* b : buttons)
        (b->property("controlId").toInt() == 1 ? okText : cancelText) = b->text();
    EXPECT_EQ(okText, "Gut");
    EXPECT_NE(cancelText, "Gut");
    EXPECT_EQ(edit->text(), "800");                // a value is never translated
    EXPECT_EQ(ok->font().family(), "DejaVu Sans"); // the font reaches every control

    language.LangSelect(&popup, Language::kMenuDefault);
    language.LangTranslateMenu(&bar, Language::kMainMenu);
    language.LangTranslateDialog(&dialog, 129);
    EXPECT_EQ(file->title(), "&File");
    EXPECT_EQ(file->actions()[0]->text(), "&New");
    EXPECT_EQ(lang->title(), "&Language");
    EXPECT_NE(dialog.windowTitle(), "Aufloesung");
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
        EXPECT_NE(b->text(), "Gut");
}

TEST_F(LanguageFiles, ADialogIsTranslatedAsItIsShownAndItsValuesAreKept)
{
    AddFile(program, "Deutsch", kGerman + "5=Breite\n6=XX\n7=YY\n");
    QMenu popup;
    popup.addAction("&Default")->setData(Language::kMenuDefault);
    Language::Current().TranslateDialogsWhenShown(QCoreApplication::instance());
    Language::Current().TranslateDialogsWhenShown(QCoreApplication::instance()); // once

    QDialog dialog;
    dialog.setProperty("dialogId", 129);
    auto* label = new QLabel("Width", &dialog);
    label->setProperty("controlId", 5);
    auto* unit = Language::KeepText(new QLabel("MM", &dialog));
    unit->setProperty("controlId", 6);
    auto* edit = new QLineEdit("12.5", &dialog);
    edit->setProperty("controlId", 7);
    Language::Current().SetFolders(settings.path(), program.path());
    Language::Current().LangBuildMenu(&popup);
    Language::Current().LangSelect(nullptr, 5051);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Aufloesung");
    EXPECT_EQ(label->text(), "Breite");
    EXPECT_EQ(unit->text(), "MM");
    EXPECT_EQ(edit->text(), "12.5");
    dialog.hide();
    Language::Current().LangSelect(nullptr, Language::kMenuDefault);
    Language::Current().SetFolders({}, {});
}

class LanguageFrame : public BoardTest
{
  protected:
    QTemporaryDir settings;
    QTemporaryDir program;
};

TEST_F(LanguageFrame, TheFrameSwitchesLanguageFromItsMenuAndWithF8)
{
    Write(program.filePath("Language/Deutsch.lang"), kGerman);
    Language& current = Language::Current();
    current.SetFolders(settings.path(), program.path());
    current.LangInitialize();
    auto kept = [&] {
        return ProfileFile::Load(settings.filePath("vantor.ini")).IntValue("Main", "Language", -1);
    };
    FakeUiServices ui;
    UiServices::Install(&ui);
    auto doc = std::make_unique<CVantorDoc>();
    {
        CMainFrame frame(doc.get());
        QMenu* fileMenu = frame.TopLevelMenu(CMainFrame::MenuFile);
        ASSERT_EQ(fileMenu->title(), "&File");
        frame.OnKeyMenu(KeyMenu::NextLanguage);
        EXPECT_EQ(current.CheckedId(), 5051);
        EXPECT_EQ(fileMenu->title(), "&Datei");
        EXPECT_EQ(frame.Action(ID_FILE_NEW)->text(), "&Neu");
        EXPECT_EQ(frame.Action(ID_LANGUAGE_DEFAULT)->statusTip(), "F8 wechselt die Sprache.");
        EXPECT_EQ(kept(), 1031);
        frame.OnKeyMenu(KeyMenu::NextLanguage); // round to "&Default"
        EXPECT_EQ(current.CheckedId(), Language::kMenuDefault);
        EXPECT_EQ(fileMenu->title(), "&File");
        EXPECT_TRUE(frame.Action(ID_FILE_NEW)->text().startsWith("&New\t"));
        EXPECT_EQ(kept(), 0);
    }
    current.SetFolders({}, {});
}

TEST_F(LanguageFrame, ThePopupMenuAndTheManualFollowTheLanguage)
{
    Write(program.filePath("Language/Chinese.lang"),
          "[Language]\nLanguage=2052\nDescription=" + QString::fromUtf8("简体中文").toUtf8() +
              "\n[130]\n|0=" + QString::fromUtf8("弹出").toUtf8() +
              "\n57635=" + QString::fromUtf8("剪切").toUtf8() + "\n");
    Language& current = Language::Current();
    current.SetFolders(settings.path(), program.path());
    current.LangInitialize();
    FakeUiServices ui;
    UiServices::Install(&ui);
    auto doc = std::make_unique<CVantorDoc>();
    {
        CMainFrame frame(doc.get());
        auto texts = [&] {
            const std::unique_ptr<QMenu> menu = frame.LoadMenuResource(IDR_POPUP_EDIT);
            QStringList list{menu->actions().front()->text()};
            for (QAction* a : menu->actions().front()->menu()->actions())
                list << a->text();
            return list;
        };
        EXPECT_EQ(frame.LoadMenuResource(ID_EDIT_CUT), nullptr);
        EXPECT_EQ(texts(), QStringList({"_POPUP_", "Cu&t", "&Copy", "&Paste"}));
        EXPECT_EQ(CMainFrame::ManualFile(program.path()), program.filePath("VantorEn.html"));

        frame.OnCommand(5051);
        EXPECT_EQ(texts(), QStringList({QString::fromUtf8("弹出"), QString::fromUtf8("剪切"),
                                        "&Copy", "&Paste"}));
        EXPECT_EQ(CMainFrame::ManualFile(program.path()), program.filePath("VantorEn.html"));
        Write(program.filePath("Vantor.html"), "<html></html>");
        EXPECT_EQ(CMainFrame::ManualFile(program.path()), program.filePath("Vantor.html"));
        frame.OnCommand(ID_LANGUAGE_DEFAULT);
    }
    current.SetFolders({}, {});
}
