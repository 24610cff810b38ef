// The main window: the menu bar, the toolbar with the current-layer list at its end,
// the status bar with the board-coordinate pane, and the board view in the middle.
// Every command of the menus, the toolbar and the keyboard arrives at OnCommand, which
// hands it to the view, the document, the frame and the application, in that order;
// UpdateCommands sets each action's enabled, checked and text state the same way.
#pragma once

#include "DialogControls.h"

#include <QMainWindow>

#include <QMap>
#include <QString>
#include <QTimer>
#include <memory>

#include <cstdint>
#include <vector>

class AppServices;
struct LibraryLoadProgress;
class CVantorDoc;
class CMyWnd;
class CVantorView;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QToolBar;
enum class KeyMenu;

class CMainFrame : public QMainWindow
{
    Q_OBJECT

  public:
    // Number of board layers in the current-layer list.
    static constexpr int kLayerCount = DialogControls::kLayerCount;
    static constexpr int kMultiLayer = 33;
    // The coordinate pane is as wide as this text.
    static constexpr const char* kCoordinatePaneText = "x:????????,y:????????";
    static constexpr const char* kHomePage = "https://vantor.example.org/";
    static constexpr const char* kManualEnglish = "VantorEn.html";
    static constexpr const char* kManualChinese = "Vantor.html";
    // Top-level menus by position, and the pop-ups of View by position.
    enum TopMenu {
        MenuFile = 0,
        MenuEdit = 1,
        MenuView = 2,
        MenuPlace = 3,
        MenuTools = 4,
        MenuHelp = 5
    };
    enum ViewPopup { ViewLanguage = 3, ViewGrid = 4, ViewZoom = 5 };
    // Period of the update of the toolbar's states.
    static constexpr int kUpdatePeriodMs = 250;
    // How long a library loading message stays in the status bar.
    static constexpr int kLoadMessageMs = 2500;
    // How long a tool's note stays in the status bar.
    static constexpr int kNoteMs = 4000;

    // `doc` is not owned; `app` may be null (then application commands are disabled).
    explicit CMainFrame(CVantorDoc* doc, AppServices* app = nullptr, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CVantorView* GetActiveView() const { return m_view; }
    CVantorDoc* GetDocument() const { return m_doc; }
    // The action of a command id; null when there is none.
    QAction* Action(int id) const { return m_actions.value(id, nullptr); }
    // Every command id that has an action.
    QList<int> CommandIds() const { return m_actions.keys(); }
    QComboBox* LayerList() const { return m_layerList; }
    QLabel* CoordinatePane() const { return m_coordinatePane; }
    QToolBar* ToolBar() const { return m_toolBar; }
    // The overlay window over the view (owned by the frame).
    CMyWnd* Overlay() const { return m_overlay; }
    // The lock indicators: "CAP", "NUM" and "SCRL", each shown while its lock is on.
    QLabel* LockIndicator(int id) const;
    // Brings the lock indicators up to date with the keyboard's locks (where the
    // platform reports them).
    void UpdateLockIndicators();
    // A top-level menu by position.
    QMenu* TopLevelMenu(int index) const;
    // A pop-up of a menu by its position among the menu's items (separators count).
    static QMenu* PopupAt(QMenu* menu, int position);

    // Runs a command; false when nobody handled it.
    bool OnCommand(int id);
    // The state of one command: enabled, checked, and its text (unchanged unless the
    // handler sets one).
    void UpdateCommand(int id, bool* enabled, bool* checked, QString* text);
    // Applies UpdateCommand to every action (before menus show and on a timer).
    void UpdateCommands();

    // The layer chosen in the current-layer list.
    void OnLayerSelect(int layer);
    // A board notification sent to the frame: sub-code 6 shows the frame maximised,
    // library loading (4 and 5) comes through OnLibraryLoadNotify, every other one goes
    // on to the view.
    void OnBoardNotify(int code, std::intptr_t arg);
    // Library loading: a step (4, `progress` valid during this call only) or the end
    // (5), in the status bar for a while.
    void OnLibraryLoadNotify(int code, const LibraryLoadProgress* progress);
    // The keyboard's popups: View > Grid, Place, View > Zoom, and the next language.
    void OnKeyMenu(KeyMenu menu);

    // A menu resource other than the menu bar, its items translated: 130, the pop-up
    // "_POPUP_" with Cut, Copy and Paste, which no window shows today. Null for an id
    // without a menu.
    std::unique_ptr<QMenu> LoadMenuResource(int id);
    // A toolbar button's drop-down: the first pop-up of the menu resource named by the
    // button's command, shown under the button at `below` (global); nothing when there
    // is no such menu.
    void OnToolbarDropDown(int commandId, const QPoint& below);

    // The recent files shown in the File menu (at most eight).
    void SetRecentFiles(const QStringList& files);
    const QStringList& RecentFiles() const { return m_recentFiles; }
    // The window title after the board path.
    void UpdateTitle();

    // The manual in `folder` for the active language: "Vantor.html" when the language
    // is simplified Chinese and that file exists, else "VantorEn.html".
    static QString ManualFile(const QString& folder);

    // Substitutes for desktop services; return false when nothing could be started.
    bool OnHelpManual();
    bool OnHomepage();
    bool OnCalculator();

    // The calculators tried in order.
    static const std::vector<const char*>& Calculators();

  protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A file dropped on the window is opened like one named on the command line.
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

  private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    // Gives the menus, prompts and recent-file entries the active language's texts.
    void ApplyLanguage();
    // What the message pane shows when no prompt is shown ("Ready").
    static QString IdleText();
    QMenu* AddMenu(QMenu* menu, const std::vector<int>& ids);
    bool DocumentCommand(int id);
    bool FrameCommand(int id);
    bool DocumentUpdate(int id, bool* enabled, bool* checked);
    bool FrameUpdate(int id, bool* enabled, bool* checked);
    void OnViewNotify(int code, qintptr arg);
    void OnLanguage(int id);

    CVantorDoc* m_doc;
    AppServices* m_app; // not owned; may be null
    CVantorView* m_view = nullptr;
    QMap<int, QAction*> m_actions;
    QMap<int, QString> m_defaultTexts;
    QList<QAction*> m_aliases;
    QToolBar* m_toolBar = nullptr;
    QComboBox* m_layerList = nullptr;
    QLabel* m_coordinatePane = nullptr;
    QMap<int, QLabel*> m_lockIndicators;
    CMyWnd* m_overlay = nullptr;
    QMenu* m_recentMenu = nullptr;
    QMenu* m_languageMenu = nullptr;
    QTimer m_updateTimer;
    QStringList m_recentFiles;
    // The library step shown while libraries load.
    QString m_libraryProgress;
};
