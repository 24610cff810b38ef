// The one document of the program: the background photograph and the path of the
// board file. The board itself lives in the board state (theInfomation). Questions,
// file prompts and messages go through the user-interface port.
//
// Board files (".vtx") are written whole to a temporary file that then replaces the
// old one, and read whole and checked before anything on the board changes: a file
// that cannot be written or read is reported and leaves the board, the board path and
// the modified flag as they were.
//
// The origin pixel a board file stores is the view pixel of the board's (0, 0) with the
// photograph at actual size, so that a file means the same whatever the zoom it was
// saved or opened at.
#pragma once

#include "CDib.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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
    // The board file's name without its folder, or "Untitled".
    std::string GetTitle() const;

    // --- board files ----------------------------------------------------------------
    // File New: closes the board (after the save question). False when the user kept it.
    bool OnNewDocument();
    // File Open: asks for a board file and opens it. False when cancelled or not opened.
    bool OnFileOpen();
    // Opens a board file over the loaded photograph: the file is read and checked
    // first; then the board is closed (after the save question) and replaced by the
    // file's, the path is remembered and the view zooms to fit. False, with a message,
    // when there is no photograph or the file cannot be read, is damaged or is not a
    // board file; the board is then unchanged.
    bool OnOpenDocument(const std::string& path);
    // Writes the board to `path` (empty: the board path). False, with a message, when
    // the file could not be written: the old file, the board path and the modified flag
    // are then as they were. Success clears the modified flag.
    bool OnSaveDocument(const std::string& path);
    // Saves to `path`, or, when it is empty, to a file the user chooses. With `replace`
    // the board path becomes the file saved to; otherwise the modified flag keeps its
    // value. False when cancelled or not written, and nothing changes.
    bool DoSave(const std::string& path, bool replace = true);
    // File Save: to the board path, or as a new file when there is none or it cannot be
    // written.
    bool DoFileSave();
    // File Save As.
    bool OnFileSaveAs() { return DoSave(std::string(), true); }
    // Asks whether to save a modified board (yes, no or cancel) and saves it on yes.
    // False when the board should stay open: the question was cancelled, or saving was
    // asked for and did not happen.
    bool SaveModified();
    // Reads a board file into the current board, adding its objects; the origin and
    // the header values become the file's. False, with a message, for a path that is
    // not a board file, a file that cannot be read or a damaged file; the board is then
    // unchanged.
    bool LoadBoardFile(const std::string& path);
    // The file prompt for board files: open or save form; true with the chosen file in
    // `path`.
    static bool DoPromptFileName(std::string& path, bool open);

    // --- File menu commands -------------------------------------------------------
    // Adds the objects of a board file the user chooses; the document is then modified.
    bool OnImportVtx();
    // Writes the board as a Protel ASCII file the user chooses, with the photograph's
    // bottom-left corner as the file's origin. Nothing happens on an empty board.
    bool OnExportPcb();
    // Closes the board after the save question; false (and nothing changes) when the
    // board is still modified because saving was asked for and did not happen.
    bool OnCloseBoard();
    // Closes the board and then the photograph.
    bool OnCloseAll();

    // --- photograph ----------------------------------------------------------------
    // Asks for a photograph and reads it with its resolution; then closes the board
    // (after the save question) and only then puts the new photograph in place of the
    // old one. False when cancelled or not read at any step: board and photograph are
    // then as they were.
    bool OnOpenBackgroundPhoto();
    // The open-file prompt for photographs; true with the chosen file in `path`.
    bool PromptPhotoFile(std::string& path);
    // Opens a photograph (".bmp", ".jpg", ".jpeg" anywhere in the path, any case),
    // keeping the one held when it cannot be read, or, over a loaded photograph, a
    // board file as File Open does.
    bool OpenFile(const std::string& path);
    // Drops the photograph.
    void OnClosePhoto();

    // Called after the photograph changed (opened or closed), e.g. to refresh views.
    void SetPhotoChangedHandler(std::function<void()> handler)
    {
        m_photoChanged = std::move(handler);
    }
    // Called just before the board's objects are freed, so that nothing (a tool, say)
    // still works on them.
    void SetBoardClosingHandler(std::function<void()> handler)
    {
        m_boardClosing = std::move(handler);
    }
    // Called after the board path was set by opening or saving a file, or emptied by
    // closing the board.
    void SetPathChangedHandler(std::function<void()> handler)
    {
        m_pathChanged = std::move(handler);
    }

    static constexpr const char* kPhotoPromptTitle = "Open file";
    static constexpr const char* kNoPhotoMessage = "Please open the photo before!";
    static constexpr const char* kUntitled = "Untitled";
    static constexpr const char* kBoardFilter = "Vantor files(*.vtx)";
    static constexpr const char* kOpenTitle = "Open PCB file";
    static constexpr const char* kSaveTitle = "Save PCB file";
    static constexpr const char* kImportTitle = "Import vtx file";
    static constexpr const char* kExportTitle = "Export Pcb file";
    static constexpr const char* kExportFilter = "Protel 2.8 Pcb files(*.pcb)";
    // Board files larger than this are refused unread.
    static constexpr std::size_t kMaxBoardFileBytes = std::size_t(1) << 30;

  private:
    using Bytes = std::vector<std::uint8_t>;

    void UpdateAllViews();
    // Reads a photograph without touching the one held; null (with a message when the
    // file cannot be opened) when nothing was read.
    static std::unique_ptr<PhotoFile> ReadPhoto(const std::string& path);
    // Puts a photograph read by ReadPhoto in place of the one held and tells the board.
    void InstallPhoto(std::unique_ptr<PhotoFile> photo);
    void PathChanged();
    // Reads a board file whole and checks that it is one: false, with the message
    // shown, when it is not.
    bool ReadBoardFile(const std::string& path, Bytes* bytes);
    // Reads board bytes into the board state, adding their objects, and places the
    // file's origin. False, with a message, when they are damaged: nothing changed.
    bool ApplyBoardBytes(const Bytes& bytes, const std::string& path);
    // Puts the board's (0, 0) at the origin pixel a file gives (at actual size), at the
    // zoom the view has.
    void PlaceFileOrigin(const int* origin);
    // The board as file bytes, its origin given at actual size.
    bool StoreBoard(const std::string& path, Bytes* bytes);

    CDib m_photo;
    std::string m_boardPath;
    // The size of the board file last read or written: a save makes room for about as
    // much at once (a first save, for kFirstSaveBytes).
    std::size_t m_fileBytes = 0;
    static constexpr std::size_t kFirstSaveBytes = std::size_t(64) << 10;
    bool m_modified = false;
    std::function<void()> m_photoChanged;
    std::function<void()> m_boardClosing;
    std::function<void()> m_pathChanged;
};
