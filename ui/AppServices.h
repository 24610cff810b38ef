// What the main window asks of the application: the commands that belong to no window
// and the recent-file list. The application implements it; the frame holds it without
// owning it, so the frame does not depend on the application's header.
#pragma once

class QString;

class AppServices
{
  public:
    virtual ~AppServices() = default;

    // True when the application carried out / knows the command.
    virtual bool OnCommand(int id) = 0;
    virtual bool UpdateCommand(int id, bool* enabled, bool* checked) = 0;
    // Opens a file as the recent-file list does; false when it could not be opened.
    virtual bool OpenDocumentFile(const QString& path) = 0;
    virtual void AddToRecentFileList(const QString& path) = 0;
};
