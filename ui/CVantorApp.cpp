#include "CVantorApp.h"

#include "CMainFrame.h"
#include "CVantorView.h"
#include "CommandIds.h"
#include "QtUiServices.h"
#include "board/CInfomation.h"
#include "board/CVantorDoc.h"
#include "board/SettingsFolder.h"
#include "model/ModelSetup.h"
#include "model/UiServices.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

using namespace Cmd;

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

    m_ui = std::make_unique<QtUiServices>();
    UiServices::Install(m_ui.get());

    m_doc = std::make_unique<CVantorDoc>();
    m_frame = std::make_unique<CMainFrame>(m_doc.get(), this);
    m_ui->SetParent(m_frame.get());
    ShowRecentFiles();
    m_frame->showMaximized();

    if (arguments.size() > 1 && !arguments[1].isEmpty()) {
        if (!OpenDocumentFile(arguments[1]))
            return false;
    }
    return true;
}

void CVantorApp::ExitInstance()
{
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
    default:
        return false;
    }
}

bool CVantorApp::UpdateCommand(int id, bool* enabled, bool* checked)
{
    *checked = false;
    switch (id) {
    case ID_APP_EXIT:
        *enabled = true;
        return true;
    // Board files, printing and the about window come with later versions.
    case ID_FILE_NEW:
    case ID_FILE_OPEN:
    case ID_FILE_PRINT_SETUP:
    case ID_APP_ABOUT:
        *enabled = false;
        return true;
    default:
        return false;
    }
}
