#include "CMainFrame.h"

#include "AppServices.h"
#include "CMyWnd.h"
#include "CVantorView.h"
#include "CommandIds.h"
#include "CommandTable.h"
#include "DialogControls.h"
#include "Language.h"
#include "QtUiServices.h"
#include "board/CInfomation.h"
#include "board/CVantorDoc.h"
#include "board/LibraryLoadSink.h"
#include "model/CArc.h"
#include "model/CFillArea.h"
#include "model/CFreePad.h"
#include "model/CLine.h"
#include "model/CPolygon.h"
#include "model/CTxtTag.h"
#include "model/UiServices.h"
#include "platform/LockKeys.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>

using namespace Cmd;

// The icons live in a static library: their registration must be pulled in by hand.
static void InitResources()
{
    Q_INIT_RESOURCE(vantor);
}

namespace
{

// The status bar's lock indicators: id, text, lock.
struct LockPane {
    int id;
    const char* text;
    LockKey key;
};
const LockPane kLockIndicators[] = {
    {ID_INDICATOR_CAPS, "CAP", LockKey::Caps},
    {ID_INDICATOR_NUM, "NUM", LockKey::Num},
    {ID_INDICATOR_SCRL, "SCRL", LockKey::Scroll},
};

// A separator in the menu and toolbar lists.
constexpr int kSeparator = 0;

// The menu text without its mnemonics and shortcut hint.
QString PlainText(const QString& text)
{
    QString plain = text.section(QLatin1Char('\t'), 0, 0);
    plain.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
    plain.remove(QLatin1Char('&'));
    return plain.trimmed();
}

} // namespace

CMainFrame::CMainFrame(CVantorDoc* doc, AppServices* app, QWidget* parent)
    : QMainWindow(parent), m_doc(doc), m_app(app)
{
    InitResources();
    setObjectName(QStringLiteral("MainFrame"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/vantor.svg")));

    m_view = new CVantorView(doc, this);
    setCentralWidget(m_view);

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    // The overlay window lies over the view and receives copies of its messages.
    m_overlay = new CMyWnd(this);
    m_overlay->show();
    m_view->SetOverlayWindow(m_overlay);
    ApplyLanguage();

    // New pads, fills, tracks, texts and arcs start on the multi-layer until a layer is
    // chosen in the list.
    thePrototypeFreePad.SetLayer(kMultiLayer);
    thePrototypeFillArea.SetLayer(kMultiLayer);
    theDefaultLine.SetLayer(kMultiLayer);
    thePrototypeTxtTag.SetLayer(kMultiLayer);
    thePrototypeArc.SetLayer(kMultiLayer);
    // The list shows the layer they start on.
    if (theInfomation)
        theInfomation->SetCurrentLayer(kMultiLayer);
    m_layerList->setCurrentIndex(kMultiLayer);

    connect(m_view, &CVantorView::statusTextChanged, m_coordinatePane, &QLabel::setText);
    connect(m_view, &CVantorView::statusMessage, this,
            [this](const QString& text) { statusBar()->showMessage(text, kNoteMs); });
    connect(m_view, &CVantorView::documentModified, this, [this] {
        if (m_doc)
            m_doc->SetModifiedFlag(true);
    });
    connect(m_view, &CVantorView::frameNotify, this, &CMainFrame::OnViewNotify);
    m_view->Dispatcher().SetKeyMenuHandler([this](KeyMenu menu) { OnKeyMenu(menu); });
    m_view->Dispatcher().SetModalQuery([] { return QtUiServices::IsModalOpen(); });
    if (m_doc) {
        m_doc->SetPhotoChangedHandler([this] {
            if (m_view)
                m_view->PhotoChanged();
            UpdateCommands();
        });
        // No tool may go on working on objects that are about to be freed.
        m_doc->SetBoardClosingHandler([this] {
            if (m_view)
                m_view->Dispatcher().EndCurrentCommand(EndReason::Teardown);
        });
        // A board file opened or saved heads the recent files.
        m_doc->SetPathChangedHandler([this] {
            UpdateTitle();
            if (m_app && !m_doc->GetBoardPath().empty())
                m_app->AddToRecentFileList(
                    QFileInfo(QtUiServices::ToQString(m_doc->GetBoardPath())).absoluteFilePath());
        });
    }

    connect(&m_updateTimer, &QTimer::timeout, this, &CMainFrame::UpdateCommands);
    m_updateTimer.start(kUpdatePeriodMs);
    // Shortcuts of actions that were disabled a moment ago must work at once: the
    // states are brought up to date before a key is matched.
    qApp->installEventFilter(this);

    setAcceptDrops(true);
    SetRecentFiles({});
    UpdateTitle();
    UpdateCommands();
    m_view->setFocus(Qt::OtherFocusReason);
}

CMainFrame::~CMainFrame()
{
    qApp->removeEventFilter(this);
    m_updateTimer.stop();
    if (m_doc) {
        m_doc->SetPhotoChangedHandler(nullptr);
        m_doc->SetBoardClosingHandler(nullptr);
        m_doc->SetPathChangedHandler(nullptr);
    }
    // The view goes first, while the document it shows still stands.
    delete m_view;
    m_view = nullptr;
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    // The overlay follows the view wherever the toolbar and the status bar put it.
    if (m_view && m_overlay && (watched == m_view || watched == m_view->viewport()) &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        m_overlay->FitTo(m_view->viewport());
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        UpdateLockIndicators();
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this)
        UpdateCommands();
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------
// Construction

void CMainFrame::CreateActions()
{
    for (const CommandInfo& info : CommandTable::All()) {
        const QString text = QString::fromUtf8(info.text);
        auto* action = new QAction(text, this);
        action->setData(info.id);
        action->setObjectName(QStringLiteral("cmd%1").arg(info.id));
        QList<QKeySequence> keys;
        for (const QString& k :
             QString::fromLatin1(info.keys).split(QLatin1Char(';'), Qt::SkipEmptyParts))
            keys << QKeySequence(k, QKeySequence::PortableText);
        action->setShortcuts(keys);
        if (*info.icon)
            action->setIcon(QIcon(QString::fromLatin1(info.icon)));
        const QString prompt = *info.prompt ? QString::fromUtf8(info.prompt) : PlainText(text);
        action->setStatusTip(prompt);
        action->setToolTip(PlainText(text));
        // What the "&Default" language shows again.
        action->setProperty("resourceText", text);
        connect(action, &QAction::triggered, this, [this, id = info.id] { OnCommand(id); });
        // Every action belongs to the window, so its keys work whether or not it is
        // in a menu or on the toolbar.
        addAction(action);
        m_actions.insert(info.id, action);
        m_defaultTexts.insert(info.id, text);
    }
}

QMenu* CMainFrame::AddMenu(QMenu* menu, const std::vector<int>& ids)
{
    for (int id : ids) {
        if (id == kSeparator)
            menu->addSeparator();
        else if (QAction* a = Action(id))
            menu->addAction(a);
    }
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
    return menu;
}

void CMainFrame::CreateMenus()
{
    QMenuBar* bar = menuBar();

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    AddMenu(file, {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS, kSeparator,
                   ID_FILE_OPEN_PHOTO, ID_FILE_CLOSE_PHOTO, kSeparator});
    AddMenu(file->addMenu(QStringLiteral("I&mport file")), {ID_FILE_IMPORT_VTX});
    AddMenu(file, {ID_FILE_EXPORT_PCB, kSeparator, ID_FILE_CLOSE_BOARD, ID_FILE_CLOSE_ALL,
                   kSeparator, ID_FILE_PRINT_SETUP, kSeparator});
    std::vector<int> recent;
    recent.reserve(RECENT_FILE_COUNT);
    for (int i = 0; i < RECENT_FILE_COUNT; ++i)
        recent.push_back(ID_FILE_MRU_FILE1 + i);
    AddMenu(file, recent);
    AddMenu(file, {kSeparator, ID_APP_EXIT});

    AddMenu(bar->addMenu(QStringLiteral("&Edit")),
            {ID_EDIT_UNDO, ID_EDIT_REDO, kSeparator, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE,
             ID_EDIT_CLEAR, kSeparator, ID_EDIT_SELECT_ALL});

    // View: Language, Grid and Zoom must stay at positions 3, 4 and 5 (the keyboard
    // opens them by position), and the unit switch at position 8.
    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    AddMenu(view, {ID_VIEW_CROSS_LINE, ID_VIEW_ACTUAL_SIZE, ID_VIEW_LAYERS});
    m_languageMenu =
        AddMenu(view->addMenu(QStringLiteral("&Language\t F8")), {ID_LANGUAGE_DEFAULT});
    Action(ID_LANGUAGE_DEFAULT)->setCheckable(true);
    std::vector<int> grid;
    for (int id = ID_GRID_1; id <= ID_GRID_10; ++id)
        grid.push_back(id);
    grid.push_back(ID_GRID_OTHER);
    AddMenu(view->addMenu(QStringLiteral("&Grid")), grid);
    AddMenu(view->addMenu(QStringLiteral("&Zoom")), {ID_ZOOM_IN, ID_ZOOM_OUT, ID_ZOOM_ALL});
    AddMenu(view, {kSeparator, ID_VIEW_CAPTURE, ID_VIEW_UNIT_SWITCH});

    AddMenu(bar->addMenu(QStringLiteral("&Place")),
            {ID_PLACE_TRACK, ID_PLACE_ARC_CENTER, ID_PLACE_ARC_3POINTS, ID_PLACE_PAD, ID_PLACE_VIA,
             ID_PLACE_STRING, ID_PLACE_FILL, ID_PLACE_POLYGON, ID_PLACE_COMPONENT, kSeparator,
             ID_PLACE_ARRAY, ID_PLACE_INSERT});

    // The library browser has a second entry under Tools; it runs the same command.
    QMenu* tools = bar->addMenu(QStringLiteral("&Tools"));
    auto* browser = new QAction(QStringLiteral("Components(&C)\t F10"), this);
    browser->setData(ID_PLACE_COMPONENT);
    browser->setStatusTip(Action(ID_PLACE_COMPONENT)->statusTip());
    connect(browser, &QAction::triggered, this, [this] { OnCommand(ID_PLACE_COMPONENT); });
    m_aliases << browser;
    tools->addAction(browser);
    AddMenu(tools, {kSeparator, ID_TOOL_SET_ORIGIN, ID_TOOL_RESET_ORIGIN, ID_TOOL_JUMP_ORIGIN,
                    kSeparator, ID_TOOL_OFFSET, ID_TOOL_FILLET, ID_TOOL_CHAMFER});

    AddMenu(bar->addMenu(QStringLiteral("&Help")),
            {ID_HELP_MANUAL, ID_HELP_HOMEPAGE, kSeparator, ID_APP_ABOUT});

    for (int id : {ID_VIEW_CROSS_LINE, ID_VIEW_CAPTURE, ID_GRID_OTHER})
        Action(id)->setCheckable(true);
    for (const CommandInfo& c : CommandTable::All())
        if (c.route == CommandRoute::CheckedTool)
            Action(c.id)->setCheckable(true);
    for (int id = ID_GRID_1; id <= ID_GRID_10; ++id)
        Action(id)->setCheckable(true);

    Language::Current().LangBuildMenu(m_languageMenu);
    for (QAction* a : m_languageMenu->actions()) {
        const int id = a->data().toInt();
        if (id > ID_LANGUAGE_DEFAULT && id <= ID_LANGUAGE_LAST)
            connect(a, &QAction::triggered, this, [this, id] { OnCommand(id); });
    }
}

void CMainFrame::ApplyLanguage()
{
    const Language& language = Language::Current();
    Language::Current().LangTranslateMenu(menuBar(), Language::kMainMenu);
    for (auto it = m_actions.begin(); it != m_actions.end(); ++it) {
        QAction* action = it.value();
        const QString text = action->property("resourceText").toString();
        m_defaultTexts[it.key()] = action->text();
        action->setStatusTip(language.LangLoadString(it.key()).value_or(PlainText(text)));
        action->setToolTip(PlainText(action->text()));
    }
    for (QAction* a : m_languageMenu->actions()) {
        const int id = a->data().toInt();
        if (id > ID_LANGUAGE_DEFAULT && id <= ID_LANGUAGE_LAST)
            a->setStatusTip(language.LangReadDescription(id));
    }
    SetRecentFiles(m_recentFiles);
    statusBar()->showMessage(IdleText());
}

QString CMainFrame::IdleText()
{
    return Language::Current().LangLoadString(Language::kIdleMessage).value_or(QString());
}

void CMainFrame::CreateToolBar()
{
    m_toolBar = new QToolBar(QStringLiteral("Standard"), this);
    m_toolBar->setObjectName(QStringLiteral("Standard"));
    m_toolBar->setIconSize(QSize(22, 20));
    m_toolBar->setFloatable(false);
    // The toolbar is not customised: no menu to hide it or its buttons.
    m_toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    menuBar()->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, m_toolBar);

    const int buttons[] = {
        ID_FILE_OPEN,         ID_FILE_SAVE,       kSeparator,         ID_EDIT_CUT,
        ID_EDIT_COPY,         ID_EDIT_PASTE,      ID_TOOL_MEASURE,    kSeparator,
        ID_PLACE_PAD,         ID_PLACE_VIA,       kSeparator,         ID_PLACE_ARC_CENTER,
        ID_PLACE_ARC_3POINTS, kSeparator,         ID_PLACE_COMPONENT, kSeparator,
        ID_PLACE_TRACK,       ID_PLACE_POLYGON,   ID_PLACE_FILL,      ID_PLACE_STRING,
        kSeparator,           ID_EDIT_UNDO,       ID_EDIT_REDO,       kSeparator,
        ID_TOOL_AREA_SELECT,  ID_TOOL_CALCULATOR, kSeparator};
    for (int id : buttons) {
        if (id == kSeparator)
            m_toolBar->addSeparator();
        else
            m_toolBar->addAction(Action(id));
    }

    // The current-layer list, last on the toolbar.
    m_layerList = new QComboBox(m_toolBar);
    m_layerList->setObjectName(QStringLiteral("LayerList"));
    m_layerList->setProperty("commandId", ID_LAYER_SELECT);
    m_layerList->setToolTip(Action(ID_LAYER_SELECT)->toolTip());
    m_layerList->setStatusTip(Action(ID_LAYER_SELECT)->statusTip());
    m_layerList->setFocusPolicy(Qt::NoFocus);
    for (int layer = 0; layer < kLayerCount; ++layer)
        m_layerList->addItem(DialogControls::LayerName(layer), 0);
    m_layerList->setCurrentIndex(theInfomation ? theInfomation->GetCurrentLayer() : 0);
    connect(m_layerList, &QComboBox::activated, this, [this] { OnCommand(ID_LAYER_SELECT); });
    m_toolBar->addWidget(m_layerList);
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    m_coordinatePane = new QLabel(bar);
    m_coordinatePane->setObjectName(QStringLiteral("CoordinatePane"));
    m_coordinatePane->setMinimumWidth(m_coordinatePane->fontMetrics().horizontalAdvance(
                                          QString::fromLatin1(kCoordinatePaneText)) +
                                      8);
    m_coordinatePane->setToolTip(QStringLiteral("World coordinate"));
    bar->addPermanentWidget(m_coordinatePane);
    for (const LockPane& lock : kLockIndicators) {
        auto* label = new QLabel(bar);
        label->setObjectName(QString::fromLatin1(lock.text));
        label->setMinimumWidth(
            label->fontMetrics().horizontalAdvance(QString::fromLatin1(lock.text)) + 8);
        label->setAlignment(Qt::AlignCenter);
        bar->addPermanentWidget(label);
        m_lockIndicators.insert(lock.id, label);
    }
    UpdateLockIndicators();
    // The message pane says "Ready" whenever no prompt is shown.
    connect(bar, &QStatusBar::messageChanged, this, [bar](const QString& text) {
        if (text.isEmpty())
            bar->showMessage(IdleText());
    });
    bar->showMessage(IdleText());
}

QLabel* CMainFrame::LockIndicator(int id) const
{
    return m_lockIndicators.value(id, nullptr);
}

void CMainFrame::UpdateLockIndicators()
{
    for (const LockPane& lock : kLockIndicators) {
        QLabel* label = m_lockIndicators.value(lock.id, nullptr);
        const QString text =
            LockKeys::IsOn(lock.key).value_or(false) ? QString::fromLatin1(lock.text) : QString();
        if (label && label->text() != text)
            label->setText(text);
    }
}

QMenu* CMainFrame::TopLevelMenu(int index) const
{
    const QList<QAction*> tops = menuBar()->actions();
    if (index < 0 || index >= tops.size())
        return nullptr;
    return tops[index]->menu();
}

QMenu* CMainFrame::PopupAt(QMenu* menu, int position)
{
    if (!menu)
        return nullptr;
    const QList<QAction*> items = menu->actions();
    if (position < 0 || position >= items.size())
        return nullptr;
    return items[position]->menu();
}

// ---------------------------------------------------------------------------------
// Commands

bool CMainFrame::OnCommand(int id)
{
    // Only enabled commands run, also when a key arrives before the states were
    // brought up to date.
    bool enabled = false;
    bool checked = false;
    QString text;
    UpdateCommand(id, &enabled, &checked, &text);
    if (!enabled) {
        // A checkable item toggled itself when clicked: show its real state again.
        UpdateCommands();
        return false;
    }

    bool handled = false;
    // The layer list and the calculator are the frame's although their numbers fall in
    // the view's block.
    if (id == ID_LAYER_SELECT || id == ID_TOOL_CALCULATOR)
        handled = FrameCommand(id);
    else
        handled = (m_view && m_view->OnCommand(id)) || DocumentCommand(id) || FrameCommand(id) ||
                  (m_app && m_app->OnCommand(id));
    UpdateCommands();
    return handled;
}

bool CMainFrame::DocumentCommand(int id)
{
    if (!m_doc)
        return false;
    switch (id) {
    case ID_FILE_NEW:
        m_doc->OnNewDocument();
        return true;
    case ID_FILE_OPEN:
        m_doc->OnFileOpen();
        return true;
    case ID_FILE_SAVE:
        m_doc->DoFileSave();
        return true;
    case ID_FILE_SAVE_AS:
        m_doc->OnFileSaveAs();
        return true;
    case ID_FILE_IMPORT_VTX:
        m_doc->OnImportVtx();
        return true;
    case ID_FILE_EXPORT_PCB:
        m_doc->OnExportPcb();
        return true;
    case ID_FILE_CLOSE_BOARD:
        m_doc->OnCloseBoard();
        return true;
    case ID_FILE_CLOSE_ALL:
        m_doc->OnCloseAll();
        return true;
    case ID_FILE_OPEN_PHOTO:
        m_doc->OnOpenBackgroundPhoto();
        return true;
    case ID_FILE_CLOSE_PHOTO:
        m_doc->OnClosePhoto();
        return true;
    default:
        return false;
    }
}

bool CMainFrame::FrameCommand(int id)
{
    if (id >= ID_LANGUAGE_DEFAULT && id <= ID_LANGUAGE_LAST) {
        OnLanguage(id);
        return true;
    }
    switch (id) {
    case ID_LAYER_SELECT:
        OnLayerSelect(m_layerList->currentIndex());
        return true;
    case ID_HELP_HOMEPAGE:
        OnHomepage();
        return true;
    case ID_HELP_MANUAL:
        OnHelpManual();
        return true;
    case ID_TOOL_CALCULATOR:
        OnCalculator();
        return true;
    default:
        return false;
    }
}

void CMainFrame::UpdateCommand(int id, bool* enabled, bool* checked, QString* text)
{
    *enabled = false;
    *checked = false;
    if (id == ID_LAYER_SELECT) {
        FrameUpdate(id, enabled, checked);
        return;
    }
    bool known = (m_view && m_view->UpdateCommand(id, enabled, checked)) ||
                 DocumentUpdate(id, enabled, checked) || FrameUpdate(id, enabled, checked) ||
                 (m_app && m_app->UpdateCommand(id, enabled, checked));
    if (!known) {
        // Nobody handles it: disabled.
        *enabled = false;
        *checked = false;
    }
    if (id == ID_VIEW_UNIT_SWITCH && theInfomation) {
        // The item names the unit it switches to.
        const QString base = m_defaultTexts.value(id);
        *text = base + (theInfomation->GetUnitName() == "MM" ? QStringLiteral(" Mils")
                                                             : QStringLiteral(" MM"));
    }
}

bool CMainFrame::DocumentUpdate(int id, bool* enabled, bool* checked)
{
    *checked = false;
    switch (id) {
    case ID_FILE_NEW:
    case ID_FILE_OPEN:
    case ID_FILE_CLOSE_BOARD:
    case ID_FILE_CLOSE_ALL:
    case ID_FILE_OPEN_PHOTO:
        *enabled = m_doc != nullptr;
        return true;
    case ID_FILE_SAVE:
        *enabled = m_doc && m_doc->IsModified();
        return true;
    case ID_FILE_SAVE_AS:
    case ID_FILE_EXPORT_PCB:
        *enabled = m_doc && theInfomation && theInfomation->HasEntities();
        return true;
    case ID_FILE_IMPORT_VTX:
        // Board files are read over a photograph.
        *enabled = m_doc && m_doc->GetPhoto().IsLoaded();
        return true;
    case ID_FILE_CLOSE_PHOTO:
        *enabled = m_doc && m_doc->GetPhoto().HasImage();
        return true;
    default:
        return false;
    }
}

bool CMainFrame::FrameUpdate(int id, bool* enabled, bool* checked)
{
    if (id >= ID_LANGUAGE_DEFAULT && id <= ID_LANGUAGE_LAST) {
        *enabled = true;
        *checked = id == Language::Current().CheckedId();
        return true;
    }
    if (id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_LAST) {
        *enabled = id - ID_FILE_MRU_FILE1 < m_recentFiles.size();
        return true;
    }
    switch (id) {
    case ID_LAYER_SELECT:
        *enabled = theInfomation != nullptr;
        return true;
    case ID_HELP_HOMEPAGE:
    case ID_HELP_MANUAL:
        *enabled = true;
        return true;
    case ID_TOOL_CALCULATOR:
        // Like every command of the board's toolbar, only over a photograph.
        *enabled = m_doc && m_doc->GetPhoto().IsLoaded();
        return true;
    case ID_NEXT_PANE:
    case ID_PREV_PANE:
        // One pane only.
        *enabled = false;
        return true;
    default:
        return false;
    }
}

void CMainFrame::UpdateCommands()
{
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        const int id = it.key();
        QAction* action = it.value();
        bool enabled = false;
        bool checked = false;
        QString text;
        UpdateCommand(id, &enabled, &checked, &text);
        if (action->isEnabled() != enabled)
            action->setEnabled(enabled);
        if (action->isCheckable() && action->isChecked() != checked)
            action->setChecked(checked);
        if (!text.isEmpty() && action->text() != text)
            action->setText(text);
    }
    for (QAction* alias : std::as_const(m_aliases)) {
        if (QAction* primary = Action(alias->data().toInt()))
            alias->setEnabled(primary->isEnabled());
    }
    // The list always shows the current layer.
    if (m_layerList && theInfomation) {
        const int layer = theInfomation->GetCurrentLayer();
        if (layer >= 0 && layer < kLayerCount && m_layerList->currentIndex() != layer) {
            const QSignalBlocker block(m_layerList);
            m_layerList->setCurrentIndex(layer);
        }
        m_layerList->setEnabled(Action(ID_LAYER_SELECT)->isEnabled());
    }
}

// ---------------------------------------------------------------------------------
// Frame commands

void CMainFrame::OnLayerSelect(int layer)
{
    if (!theInfomation || layer < 0 || layer >= kLayerCount)
        return;
    if (layer != theInfomation->GetCurrentLayer()) {
        if (m_view)
            m_view->InvalidateAll();
        theInfomation->SetCurrentLayer(layer);
    }
    // The prototypes take the layer also when it was already current: new objects
    // then go where the list says.
    thePrototypeFillArea.SetLayer(layer);
    theDefaultLine.SetLayer(layer);
    thePrototypeTxtTag.SetLayer(layer);
    thePrototypeArc.SetLayer(layer);
    thePrototypePolygon.SetLayer(layer);
    // A tool at work takes it from its next segment on.
    if (m_view)
        m_view->Dispatcher().OnLayerChosen(layer);
}

std::unique_ptr<QMenu> CMainFrame::LoadMenuResource(int id)
{
    if (id != IDR_POPUP_EDIT)
        return nullptr;
    auto menu = std::make_unique<QMenu>();
    QMenu* popup = menu->addMenu(QStringLiteral("_POPUP_"));
    const std::pair<int, const char*> items[] = {
        {ID_EDIT_CUT, "Cu&t"}, {ID_EDIT_COPY, "&Copy"}, {ID_EDIT_PASTE, "&Paste"}};
    for (const auto& [command, text] : items) {
        QAction* a = popup->addAction(QString::fromLatin1(text));
        a->setData(command);
        a->setEnabled(Action(command) && Action(command)->isEnabled());
        const int item = command;
        connect(a, &QAction::triggered, this, [this, item] { OnCommand(item); });
    }
    Language::Current().LangTranslateMenu(menu.get(), id);
    return menu;
}

void CMainFrame::OnToolbarDropDown(int commandId, const QPoint& below)
{
    const std::unique_ptr<QMenu> menu = LoadMenuResource(commandId);
    if (!menu || menu->actions().isEmpty() || !menu->actions().front()->menu())
        return;
    menu->actions().front()->menu()->exec(below);
}

void CMainFrame::OnLanguage(int id)
{
    Language& language = Language::Current();
    // The checked entry is the active language: choosing it again does nothing.
    if (id != language.CheckedId())
        language.LangSelect(m_languageMenu, id);
    for (QAction* a : m_languageMenu->actions())
        if (!a->isSeparator() && a->data().toInt() == language.CheckedId())
            a->setChecked(true);
    ApplyLanguage();
    // Windows that stay open, such as the library browser, change language too.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->property("dialogId").isValid())
            language.LangTranslateDialog(w, w->property("dialogId").toInt());
}

QString CMainFrame::ManualFile(const QString& folder)
{
    const Language& language = Language::Current();
    const QDir dir(folder);
    const bool simplified = language.LangReadDescription(language.CheckedId())
                                .toLower()
                                .contains(QString::fromUtf8("简体"));
    if (simplified && dir.exists(QString::fromLatin1(kManualChinese)))
        return dir.filePath(QString::fromLatin1(kManualChinese));
    return dir.filePath(QString::fromLatin1(kManualEnglish));
}

bool CMainFrame::OnHelpManual()
{
    const QString file = ManualFile(QCoreApplication::applicationDirPath());
    if (!QFileInfo::exists(file)) {
        UiServices::Current().MessageBox(
            "The manual \"" + QDir::toNativeSeparators(file).toStdString() + "\" is missing.");
        return false;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(file))) {
        UiServices::Current().MessageBox("No browser could show the manual \"" +
                                         QDir::toNativeSeparators(file).toStdString() + "\".");
        return false;
    }
    return true;
}

bool CMainFrame::OnHomepage()
{
    if (!QDesktopServices::openUrl(QUrl(QString::fromLatin1(kHomePage)))) {
        UiServices::Current().MessageBox(std::string("No browser could open ") + kHomePage + ".");
        return false;
    }
    return true;
}

const std::vector<const char*>& CMainFrame::Calculators()
{
    static const std::vector<const char*> list = {"gnome-calculator", "kcalc", "galculator",
                                                  "mate-calc",        "xcalc", "qalculate-gtk"};
    return list;
}

bool CMainFrame::OnCalculator()
{
    for (const char* name : Calculators()) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!program.isEmpty() && QProcess::startDetached(program, {}))
            return true;
    }
    std::string names;
    for (const char* name : Calculators())
        names += std::string(names.empty() ? "" : ", ") + name;
    UiServices::Current().MessageBox("No calculator was found. Install one of: " + names + ".");
    return false;
}

// ---------------------------------------------------------------------------------
// Notifications, popups, recent files

void CMainFrame::OnBoardNotify(int code, std::intptr_t arg)
{
    if (code == BN_STARTUP_CLOSED) {
        showMaximized();
        return;
    }
    // Library loading reports through OnLibraryLoadNotify.
    if (code == BN_LOAD_PROGRESS || code == BN_LOAD_DONE)
        return;
    if (m_view)
        m_view->OnBoardNotify(code, arg);
}

void CMainFrame::OnLibraryLoadNotify(int code, const LibraryLoadProgress* p)
{
    if (code == BN_LOAD_PROGRESS) {
        if (!p)
            return;
        if (p->step == LibraryLoadSink::kLoadLibrary) {
            m_libraryProgress =
                QString::asprintf("Loading %d of %d librarys: ", p->current, p->total);
            statusBar()->showMessage(m_libraryProgress, kLoadMessageMs);
        } else {
            const QString components =
                QString::asprintf("%d of %d components", p->current, p->total);
            statusBar()->showMessage(m_libraryProgress + components, kLoadMessageMs);
        }
        return;
    }
    if (code == BN_LOAD_DONE) {
        m_libraryProgress.clear();
        statusBar()->showMessage(QStringLiteral("Complete successful!"), kLoadMessageMs);
    }
}

void CMainFrame::OnViewNotify(int code, qintptr)
{
    // What the view hands up: only the start-up window's closing concerns the frame.
    if (code == BN_STARTUP_CLOSED)
        showMaximized();
}

void CMainFrame::OnKeyMenu(KeyMenu which)
{
    if (QtUiServices::IsModalOpen())
        return;
    if (which == KeyMenu::NextLanguage) {
        QList<int> ids;
        int checkedIndex = -1;
        for (QAction* a : m_languageMenu->actions()) {
            const int id = a->data().toInt();
            if (a->isSeparator() || id < ID_LANGUAGE_DEFAULT || id > ID_LANGUAGE_LAST)
                continue;
            if (a->isChecked())
                checkedIndex = int(ids.size());
            ids << id;
        }
        if (!ids.isEmpty())
            OnCommand(ids[(checkedIndex + 1) % ids.size()]);
        return;
    }
    QMenu* menu = nullptr;
    switch (which) {
    case KeyMenu::Grid:
        menu = PopupAt(TopLevelMenu(MenuView), ViewGrid);
        break;
    case KeyMenu::Place:
        menu = TopLevelMenu(MenuPlace);
        break;
    case KeyMenu::Zoom:
        menu = PopupAt(TopLevelMenu(MenuView), ViewZoom);
        break;
    default:
        break;
    }
    if (menu)
        menu->exec(QCursor::pos());
}

void CMainFrame::SetRecentFiles(const QStringList& files)
{
    m_recentFiles = files.mid(0, RECENT_FILE_COUNT);
    for (int i = 0; i < RECENT_FILE_COUNT; ++i) {
        QAction* action = Action(ID_FILE_MRU_FILE1 + i);
        if (!action)
            continue;
        if (i < m_recentFiles.size()) {
            QString shown = QDir::toNativeSeparators(m_recentFiles[i]);
            shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
            action->setVisible(true);
        } else {
            // With no file at all the first entry says so, greyed.
            action->setText(m_defaultTexts.value(ID_FILE_MRU_FILE1 + i));
            action->setVisible(i == 0);
        }
    }
}

void CMainFrame::UpdateTitle()
{
    QString name = QStringLiteral("Untitled");
    if (m_doc && !m_doc->GetBoardPath().empty())
        name = QFileInfo(QtUiServices::ToQString(m_doc->GetBoardPath())).fileName();
    setWindowTitle(name + QStringLiteral(" - Vantor"));
}

namespace
{

// The first local file of a drag, empty when there is none.
QString DroppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}

} // namespace

void CMainFrame::dragEnterEvent(QDragEnterEvent* e)
{
    if (m_app && !DroppedFile(e->mimeData()).isEmpty())
        e->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* e)
{
    const QString file = DroppedFile(e->mimeData());
    if (!m_app || file.isEmpty())
        return;
    e->acceptProposedAction();
    activateWindow();
    // Opened once the drop is over: opening asks questions in dialogs of its own.
    QTimer::singleShot(0, this, [this, file] {
        if (m_app)
            m_app->OpenDocumentFile(file);
    });
}

void CMainFrame::closeEvent(QCloseEvent* e)
{
    if (m_view)
        m_view->Dispatcher().EndCurrentCommand(EndReason::Teardown);
    // A modified board is offered for saving; a save that did not happen keeps the
    // window open.
    if (m_doc && !m_doc->SaveModified()) {
        e->ignore();
        return;
    }
    e->accept();
}
