// The one document of the program: the background photograph and the path of the
// board file. The board itself lives in the board state (theInfomation). Questions,
// file prompts and messages go through the user-interface port.
#pragma once

#include "CDib.h"

#include <functional>
#include <string>

class CVantorDoc
{
  public:
    CVantorDoc();
    CVantorDoc(const CVantorDoc&) = delete;
    CVantorDoc& operator=(const CVantorDoc&) = delete;
    virtual ~CVantorDoc();

    CDib& GetPhoto() { return m_photo; }
    const CDib& GetPhoto() const { return m_photo; }

    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified = true) { m_modified = modified; }

    // The board file last opened or saved; empty for a new board.
    const std::string& GetBoardPath() const { return m_boardPath; }

    // Asks for a photograph and opens it. False when cancelled or not loaded.
    bool OnOpenBackgroundPhoto();
    // The open-file prompt for photographs; true with the chosen file in `path`.
    bool PromptPhotoFile(std::string& path);
    // Opens a photograph (".bmp", ".jpg", ".jpeg" anywhere in the path, any case) or,
    // over a loaded photograph, a board file.
    bool OpenFile(const std::string& path);
    // Drops the photograph.
    void OnClosePhoto();

    // Called after the photograph changed (opened or closed), e.g. to refresh views.
    void SetPhotoChangedHandler(std::function<void()> handler)
    {
        m_photoChanged = std::move(handler);
    }

    static constexpr const char* kPhotoPromptTitle = "Open file";
    static constexpr const char* kNoPhotoMessage = "Please open the photo before!";

  private:
    void UpdateAllViews();

    CDib m_photo;
    std::string m_boardPath;
    bool m_modified = false;
    std::function<void()> m_photoChanged;
};
