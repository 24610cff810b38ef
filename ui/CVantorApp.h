// The application: brings the program up in a fixed order (model classes, the board
// state on the settings folder, the user-interface services, the document, the main
// window, the file named on the command line) and takes it down in reverse. It also
// keeps the recent-file list and answers the commands that belong to no window.
#pragma once

#include "AppServices.h"

#include <QString>
#include <QStringList>

#include <memory>

class CDlgStartUpWindow;
class CMainFrame;
class CVantorDoc;
class LibraryProgressWindow;
class QPrinter;
class QtUiServices;

class CVantorApp : public AppServices
{
  public:
    // Settings: organisation and application name of the stored settings.
    static constexpr const char* kRegistryKey = "Local AppWizard-Generated Applications";
    static constexpr const char* kApplicationName = "Vantor";
    static constexpr const char* kRecentGroup = "Recent File List";
    static constexpr int kRecentFileCount = 8;

    // A QApplication must exist for the whole life of this object.
    CVantorApp();
    ~CVantorApp() override;
    CVantorApp(const CVantorApp&) = delete;
    CVantorApp& operator=(const CVantorApp&) = delete;

    // `arguments` as QCoreApplication::arguments(): the program, then at most one file
    // to open (further arguments are ignored). False when the program cannot start,
    // e.g. when the file named on the command line could not be opened.
    bool InitInstance(const QStringList& arguments);
    // Stops the library loading thread, ends any tool, saves the recent files, closes
    // the window and frees the board state (which writes "lib.dat"). Runs once; the
    // destructor calls it too.
    void ExitInstance();

    bool OnCommand(int id) override;
    bool UpdateCommand(int id, bool* enabled, bool* checked) override;

    // Opens a file as the command line or the recent-file list do; on success it
    // heads the recent-file list.
    bool OpenDocumentFile(const QString& path) override;
    void AddToRecentFileList(const QString& path) override;
    QStringList RecentFiles() const { return m_recentFiles; }

    // The start-up picture in its about form, closed by a key or a click; it deletes
    // itself.
    CDlgStartUpWindow* OnAppAbout();
    // The system's page setup dialog; the settings are kept for this run. True when
    // confirmed.
    bool OnFilePrintSetup();

    // "Version %u.%02u.%02u" of the program's version.
    static QString GetProgramVersionString();

    CMainFrame* GetMainFrame() const { return m_frame.get(); }
    CVantorDoc* GetDocument() const { return m_doc.get(); }
    // The running application, null when there is none.
    static CVantorApp* Instance() { return s_instance; }

  private:
    void LoadRecentFiles();
    void SaveRecentFiles() const;
    void ShowRecentFiles();

    static CVantorApp* s_instance;

    std::unique_ptr<QtUiServices> m_ui;
    std::unique_ptr<CVantorDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    // Where the library loading thread's progress goes (the main frame).
    std::unique_ptr<LibraryProgressWindow> m_libraryWindow;
    std::unique_ptr<QPrinter> m_printer;
    QStringList m_recentFiles;
    bool m_boardCreated = false;
};
