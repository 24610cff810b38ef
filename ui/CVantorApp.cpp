#include "CVantorApp.h"

#include "CDlgStartUpWindow.h"
#include "CInputComponentPatternDlg.h"
#include "CMainFrame.h"
#include "CVantorView.h"
#include "CommandIds.h"
#include "Language.h"
#include "QtUiServices.h"
#include "board/CInfomation.h"
#include "board/CVantorDoc.h"
#include "board/LibraryProgressWindow.h"
#include "board/SettingsFolder.h"
#include "board/ViewPort.h"
#include "model/ModelSetup.h"
#include "model/UiServices.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrinter>
#include <QSettings>

using namespace Cmd;

namespace
{

// The library loading thread's progress goes to the start-up window while it shows,
// then to the main frame's status bar (libraries added later); its hand-overs are taken
// in on the GUI thread by a queued call.
class AppLibraryWindow : public LibraryProgressWindow
{
  public:
    explicit AppLibraryWindow(CMainFrame* frame) : m_frame(frame) {}
    void SetStartUpWindow(CDlgStartUpWindow* window) { m_startUp = window; }

    void WakeLibraryLoading() override
    {
        QMetaObject::invokeMethod(
            qApp,
            [] {
                if (theInfomation)
                    theInfomation->PumpLibraryLoading();
            },
            Qt::QueuedConnection);
    }
    void OnLibraryLoadNotify(int code, const LibraryLoadProgress* progress) override
    {
        if (m_startUp)
            m_startUp->OnLibraryLoadNotify(code, progress);
        else if (m_frame)
            m_frame->OnLibraryLoadNotify(code, progress);
    }

  private:
    QPointer<CMainFrame> m_frame;
    QPointer<CDlgStartUpWindow> m_startUp;
};

} // namespace

CVantorApp* CVantorApp::s_instance = nullptr;

CVantorApp::CVantorApp()
{
    s_instance = this;
}

CVantorApp::~CVantorApp()
{
    ExitInstance();
    if (s_instance == this)
        s_instance = nullptr;
}

QString CVantorApp::GetProgramVersionString()
{
    return QString::asprintf("Version %u.%02u.%02u", unsigned(VANTOR_VERSION_MAJOR),
                             unsigned(VANTOR_VERSION_MINOR), unsigned(VANTOR_VERSION_PATCH));
}

bool CVantorApp::InitInstance(const QStringList& arguments)
{
    QCoreApplication::setOrganizationName(QString::fromLatin1(kRegistryKey));
    QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationName));
    QCoreApplication::setApplicationVersion(GetProgramVersionString());
    LoadRecentFiles();

    RegisterModelClasses();
    CInfomation::Create(GetSettingsFolder());
    m_boardCreated = true;

    // The language is chosen before the first window is made.
    Language::Current().LangInitialize();
    Language::Current().TranslateDialogsWhenShown(QCoreApplication::instance());

    m_ui = std::make_unique<QtUiServices>();
    UiServices::Install(m_ui.get());

    m_doc = std::make_unique<CVantorDoc>();
    m_frame = std::make_unique<CMainFrame>(m_doc.get(), this);
    m_ui->SetParent(m_frame.get());
    ShowRecentFiles();

    if (arguments.size() > 1 && !arguments[1].isEmpty()) {
        if (!OpenDocumentFile(arguments[1]))
            return false;
    }

    // The libraries of the last run open in the background.
    CMainFrame* frame = m_frame.get();
    theInfomation->SetPatternPrompt(
        [frame](std::string& pattern) { return CInputComponentPatternDlg::Ask(frame, pattern); });
    // The frame stays hidden behind the start-up window while the libraries load; the
    // window's closing shows it.
    auto libraryWindow = std::make_unique<AppLibraryWindow>(frame);
    libraryWindow->SetStartUpWindow(
        new CDlgStartUpWindow(frame, CDlgStartUpWindow::StartUp, Language::Current().ActivePath()));
    m_libraryWindow = std::move(libraryWindow);
    theInfomation->StartLoadLibraries(m_libraryWindow.get());
    return true;
}

void CVantorApp::ExitInstance()
{
    // The loading thread ends before anything it reports to goes, and before the board
    // state writes the library list.
    if (m_boardCreated && theInfomation) {
        theInfomation->StopLoadLibraries();
        theInfomation->SetPatternPrompt(nullptr);
    }
    m_libraryWindow.reset();
    if (m_frame) {
        if (CVantorView* view = m_frame->GetActiveView())
            view->Dispatcher().EndCurrentCommand(EndReason::Teardown);
        SaveRecentFiles();
        m_frame.reset();
    }
    if (m_ui) {
        UiServices::Install(nullptr);
        m_ui.reset();
    }
    m_doc.reset();
    if (m_boardCreated) {
        CInfomation::Destroy();
        m_boardCreated = false;
    }
}

bool CVantorApp::OpenDocumentFile(const QString& path)
{
    if (!m_doc)
        return false;
    const QString full = QFileInfo(path).absoluteFilePath();
    if (!m_doc->OpenFile(full.toStdString()))
        return false;
    AddToRecentFileList(full);
    if (m_frame)
        m_frame->UpdateTitle();
    return true;
}

void CVantorApp::AddToRecentFileList(const QString& path)
{
    m_recentFiles.removeAll(path);
    m_recentFiles.prepend(path);
    while (m_recentFiles.size() > kRecentFileCount)
        m_recentFiles.removeLast();
    SaveRecentFiles();
    ShowRecentFiles();
}

void CVantorApp::ShowRecentFiles()
{
    if (m_frame)
        m_frame->SetRecentFiles(m_recentFiles);
}

void CVantorApp::LoadRecentFiles()
{
    QSettings settings;
    settings.beginGroup(QString::fromLatin1(kRecentGroup));
    m_recentFiles.clear();
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const QString file = settings.value(QStringLiteral("File%1").arg(i)).toString();
        if (!file.isEmpty() && !m_recentFiles.contains(file))
            m_recentFiles << file;
    }
}

void CVantorApp::SaveRecentFiles() const
{
    QSettings settings;
    settings.beginGroup(QString::fromLatin1(kRecentGroup));
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= m_recentFiles.size())
            settings.setValue(key, m_recentFiles[i - 1]);
        else
            settings.remove(key);
    }
}

bool CVantorApp::OnCommand(int id)
{
    if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kRecentFileCount) {
        const int index = id - ID_FILE_MRU_FILE1;
        if (index >= m_recentFiles.size())
            return true;
        const QString file = m_recentFiles[index];
        // A file that is gone leaves the list.
        if (!OpenDocumentFile(file) && !QFileInfo::exists(file)) {
            m_recentFiles.removeAll(file);
            SaveRecentFiles();
            ShowRecentFiles();
        }
        return true;
    }
    switch (id) {
    case ID_APP_EXIT:
        if (m_frame)
            m_frame->close();
        return true;
    case ID_APP_ABOUT:
        OnAppAbout();
        return true;
    case ID_FILE_PRINT_SETUP:
        OnFilePrintSetup();
        return true;
    default:
        return false;
    }
}

CDlgStartUpWindow* CVantorApp::OnAppAbout()
{
    return new CDlgStartUpWindow(m_frame.get(), CDlgStartUpWindow::About,
                                 Language::Current().ActivePath());
}

bool CVantorApp::OnFilePrintSetup()
{
    // Only the settings are kept: nothing in the program prints.
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>();
    QPageSetupDialog dialog(m_printer.get(), m_frame.get());
    return dialog.exec() == QDialog::Accepted;
}

bool CVantorApp::UpdateCommand(int id, bool* enabled, bool* checked)
{
    *checked = false;
    switch (id) {
    case ID_APP_EXIT:
    case ID_FILE_PRINT_SETUP:
    case ID_APP_ABOUT:
        *enabled = true;
        return true;
    default:
        return false;
    }
}
