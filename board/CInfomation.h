// The board state: the one object through which every part of the program reaches the
// open board. It holds the entity container, the selection and the internal paste
// buffer, the undo history, the repaint queue, the grid, the layer colours, the view
// transform between board mils and view pixels, the unit of display and the remembered
// parameters of several tools. It is also the board services the model draws through.
#pragma once

#include "CDrawingQueue.h"
#include "CGrid.h"
#include "CManElement.h"
#include "CMutex.h"
#include "CRedoUndo.h"
#include "LayerTable.h"
#include "model/BoardServices.h"
#include "model/Geometry.h"
#include "platform/WinTypes.h"

#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CArchive;
class CComponent;
class CDib;
class CEntity;
class CLoadLibrary;
class LibraryLoader;
class LibraryProgressWindow;
class CStrokeFont;
class DrawContext;
class ViewPort;

class CInfomation : public BoardServices
{
  public:
    // The settings are not read here: Create does that for the global board state.
    CInfomation();
    CInfomation(const CInfomation&) = delete;
    CInfomation& operator=(const CInfomation&) = delete;
    ~CInfomation() override;

    // Builds the global board state, reads "layer.dat" from `settingsFolder` (a folder
    // path ending in '/', or empty for the working folder) and installs it as the
    // board services. A second call returns the existing one.
    static CInfomation* Create(const std::string& settingsFolder);
    // Writes "layer.dat" back, uninstalls and frees the global board state.
    static void Destroy();

    // --- board services -------------------------------------------------------------
    COLORREF GetLayerColor(int key) const override;
    Point BoardToScreen(const Position& p) const override;
    Position ScreenToBoard(Point pt) const override;
    int BoardToPixels(const double& length) const override;
    double PixelsToBoard(int n) const override;
    Point GetViewScrollPosition() const override;
    void InvalidateRect(const Rect& clientRect) override;
    void NotifyModified() override;
    void ReleaseCapture() override;
    const CStrokeFont* GetStrokeFont() const override { return m_strokeFont.get(); }

    // --- view transform and units --------------------------------------------------
    void SetViewOffset(const Position& offset);
    Position GetViewOffset() const { return m_viewOffset; }
    void SetScreenOrigin(const int* pair);
    void GetScreenOrigin(int* pair) const;
    void SetScaleX(const double& scale);
    void SetScaleY(const double& scale);
    double GetScaleX() const { return m_scaleX; }
    double GetScaleY() const { return m_scaleY; }
    void GetViewScrollPosition(Point* out) const { *out = GetViewScrollPosition(); }
    // Moves the mouse pointer onto a board point / the board point under the pointer.
    void SetCursorPosition(const Position& p);
    Position GetCursorPosition() const;
    void SetUnit(const int& unit) { m_unitMode = unit; }
    int GetUnit() const { return m_unitMode; }
    // "MM", "MILS", or empty for an unknown unit.
    std::string GetUnitName() const;
    void ZoomToFit();

    // --- board contents ------------------------------------------------------------
    void AddEntity(CEntity* entity);
    void AddEntities(std::list<CEntity*>* list);
    void RemoveLastEntity();
    void BringToFront(CEntity* entity);
    // Moves every selected object by -v; 0 when nothing is selected.
    int MoveSelection(const Position& v);
    void RecordEntityChange(std::list<CEntity*>* list);
    int HasEntities() const;
    void ClearBoard();
    void SetOrigin(const Position& p);
    void Serialize(CArchive& ar);
    int ImportProtelPcb(const std::string& path);
    // Writes the board as a Protel 2.8 ASCII PCB file, with board point `origin` (the
    // photograph's bottom-left corner) as the file's (0, 0); the board itself is not
    // moved. False, with the reason in `error`, when the file could not be written; a
    // file already at `path` is then left as it was.
    bool ExportProtelPcb(const std::string& path, const Position& origin,
                         std::string* error = nullptr);

    // --- selection and internal clipboard -------------------------------------------
    void ClearSelection();
    void SelectInBox(std::list<CEntity*>* out, const BOX2D* box);
    int IsSelectionEmpty() const { return SelectionList.empty() ? 1 : 0; }
    int IsPasteBufferEmpty();
    int CanPaste() const;
    int CopySelection();
    void CutSelection();
    void DeleteSelection();
    void Undo();
    void Redo();
    int CanUndo() const { return m_redoUndo.CanUndo(); }
    int CanRedo() const { return m_redoUndo.CanRedo(); }

    // --- display -----------------------------------------------------------------
    // Registers the view (null: none); repaints and notices go to it.
    void SetView(ViewPort* view);
    ViewPort* GetView() const { return m_view; }
    // The board objects, then the current command's temporary objects on top.
    void DrawBoard(DrawContext* dc, Rect clip);
    // Registers the current command's rubber-band object (null: none). The one
    // registered before is deselected and repainted first, so it must still exist:
    // a command that frees its object unregisters it first (or calls
    // ClearTempEntities, which touches nothing).
    void SetTempEntity(CEntity* entity);
    const std::list<CEntity*>& GetTempEntities() const { return m_tempEntities; }
    void ClearTempEntities() { m_tempEntities.clear(); }
    void ShowLayersDialog();
    void SetBrowserVisible(const int& visible) { m_browserVisible = visible; }
    int IsBrowserVisible() const { return m_browserVisible; }

    // --- photo ---------------------------------------------------------------------
    void SetPhoto(CDib* photo) { m_photo = photo; }
    CDib* GetPhoto() const { return m_photo; }
    void SetPhotoSize(int width, int height)
    {
        m_photoWidth = width;
        m_photoHeight = height;
    }
    int GetPhotoWidth() const { return m_photoWidth; }
    int GetPhotoHeight() const { return m_photoHeight; }

    // --- parts ---------------------------------------------------------------------
    CManElement& GetElements() { return m_elements; }
    const CManElement& GetElements() const { return m_elements; }
    CRedoUndo& GetRedoUndo() { return m_redoUndo; }
    CDrawingQueue& GetDrawingQueue() { return m_drawingQueue; }
    CGrid& GetGrid() { return m_grid; }
    const CGrid& GetGrid() const { return m_grid; }
    LayerTable& GetLayerTable() { return m_layerTable; }
    const LayerTable& GetLayerTable() const { return m_layerTable; }
    CMutex& GetEntityLock() { return m_entityLock; }
    // The layer chosen in the toolbar.
    int GetCurrentLayer() const { return CurrentLayer; }
    void SetCurrentLayer(int layer) { CurrentLayer = layer; }
    const std::string& GetLastArchiveName() const { return m_lastArchiveName; }
    // The four document header values stored after the origin.
    double m_headerReal1 = 0.0;
    double m_headerReal2 = 0.0;
    int m_headerInt1 = 0;
    int m_headerInt2 = 0;

    // The anchor from which pasted copies are moved to the pointer; null until the
    // first copy is dropped. Owned.
    std::unique_ptr<Position> m_pasteAnchor;
    // Pixels the view scrolls per edge-scroll tick (15..225 in steps of 15).
    int AutoScrollStep = 30;
    // Points are snapped to the grid while set.
    int m_snap = 0;
    int CurrentLayer = 0;
    // The last Cut or Copy: pointers to the board's own objects.
    std::list<CEntity*> PasteBuffer;
    std::list<CEntity*> SelectionList;
    int m_pasteReady = 0;

    // --- component libraries (GUI thread only) ---------------------------------------
    // Reads "lib.dat" from the settings folder and starts the loading thread over the
    // listed libraries (once). The loader hands its results over; `window` (may be
    // null) is woken for each batch, and PumpLibraryLoading takes them in: each opened
    // library joins the set, each failure is shown, each step goes to the window, and
    // BN_LOAD_DONE ends it. A damaged list is shown and loads nothing.
    void StartLoadLibraries(LibraryProgressWindow* window);
    // Takes in what the loading thread has handed over; the number of items taken.
    int PumpLibraryLoading();
    // Asks the loading thread to stop, without waiting for it.
    void CancelLoadLibraries();
    // Cancels the loading thread and waits for it; libraries it had opened by then join
    // the set, without notices. Listed paths not loaded stay in "lib.dat". The progress
    // window is forgotten.
    void StopLoadLibraries();
    // Opens a library and enters it under its canonical path; with a progress window,
    // its components report their steps. FALSE when a library of that path is already
    // open, or when it cannot be opened (shown to the user); a missing file is created
    // as an empty library.
    BOOL OpenLibrary(const std::string& path);
    // The same without progress: a missing file becomes a new empty library; an
    // existing file that cannot be read is refused and left as it is.
    BOOL CreateLibrary(const std::string& path);
    // Enters an opened library (taken over on TRUE) under the canonical form of
    // `path`; FALSE when that path is already in the set.
    BOOL AddLibrary(const std::string& path, CLoadLibrary* library);
    // The open library of that path, however spelled; null for an empty path or none.
    CLoadLibrary* FindLibrary(const std::string& path) const;
    // Takes the library out of the set and deletes it (it saves itself when modified).
    void RemoveLibrary(const std::string& path);
    // Writes "lib.dat": the open libraries in set order, then the listed paths not
    // loaded. Destroy calls it after stopping the loader.
    bool WriteLibraryList(std::string* error);
    // The listed paths the loader has not yet opened or reported.
    const std::vector<std::string>& GetUnloadedLibraryPaths() const { return m_unloadedLibraries; }

    // Asks for the pattern name of a component going to a library; false when
    // cancelled. The user interface installs it.
    using PatternPrompt = std::function<bool(std::string& pattern)>;
    void SetPatternPrompt(PatternPrompt prompt) { m_patternPrompt = std::move(prompt); }
    // The add-to-my-library flow: the library menu, the pattern name and the replace
    // question; TRUE when a component of copies of `list` waits for its reference
    // point (then the pin-1 pick follows).
    BOOL AddSelectionToMyLibrary(const std::list<CEntity*>* list);
    // Ends the flow: with a point, the waiting component is moved so that the point
    // becomes its (0, 0) and stored in its library, replacing one of the same name only
    // once it is stored; without one it is dropped. Nothing waits afterwards.
    void CompleteAddToMyLibrary(const Position* picked);

    // Open component libraries by canonical path (owned), and the add-to-my-library
    // flow: the component (owned) waiting for its reference point and the path of the
    // library it goes to.
    std::map<std::string, CLoadLibrary*> LibraryMap;
    std::string m_pendingLibraryPath;
    CComponent* m_pendingComponent = nullptr;
    // The library menu's last choice, from 1; 0 before the first.
    int m_lastLibraryChoice = 0;

    // Remembered tool parameters (mils and radians).
    int ArrayCircular = 0;
    int ArrayLinear = 0;
    int ArrayRectangle = 0;
    double ArrayXSpacing = 0.0;
    double ArrayYSpacing = 0.0;
    double ArrayAngle = 0.0;
    int ArrayCount = 0;
    int ArrayTextIncrement = 0;
    int ArrayBeginAtCurrent = 0;
    int ArrayRotateItems = 0;
    int InsertCount = 0;
    int InsertTextIncrement = 0;
    double OffsetDistance = 0.0;
    double ChamferDistance1 = 0.0;
    double ChamferDistance2 = 0.0;
    int ChamferTrim = 0;
    double FilletRadius = 0.0;
    int FilletTrim = 0;

    static constexpr const char* kLayerFileName = "layer.dat";
    static constexpr const char* kReplaceQuestion =
        "Component name is already used,Replace existing Component?";

  private:
    // Keys whose shown flag is 0 go to the container; key 36's flag becomes the grid's
    // option.
    void ApplyLayerTable();
    // Moves the stored undo states of every object by -p, as MoveAll moves the objects.
    void MoveStoredStates(const Position& p);
    void DeleteLibraryPending();
    // The listed path is settled (opened or failed): it leaves the unloaded paths.
    void SettleLibraryPath(const std::string& path);
    void DeleteLibraries();

    std::unique_ptr<CStrokeFont> m_strokeFont;
    CDrawingQueue m_drawingQueue;
    std::string m_lastArchiveName;
    ViewPort* m_view = nullptr;
    CDib* m_photo = nullptr;
    CManElement m_elements;
    LayerTable m_layerTable;
    int m_photoHeight = 0;
    CGrid m_grid;
    int m_photoWidth = 0;
    CMutex m_entityLock;
    CRedoUndo m_redoUndo;
    // View transform: board point m_viewOffset sits at pixel m_originPixel (scrolled
    // view); scales in mils per pixel; board y grows upwards.
    Position m_viewOffset;
    Point m_originPixel;
    double m_scaleX = 1.0;
    double m_scaleY = 1.0;
    int m_browserVisible = 0;
    int m_unitMode = 1;
    std::list<CEntity*> m_tempEntities;
    std::string m_settingsFolder;
    std::unique_ptr<LibraryLoader> m_libraryLoader;
    LibraryProgressWindow* m_progressWindow = nullptr;
    // The paths of "lib.dat" (once it was read) not yet opened or reported.
    std::vector<std::string> m_unloadedLibraries;
    bool m_libraryListRead = false;
    bool m_pumpingLibraries = false;
    PatternPrompt m_patternPrompt;
};

extern CInfomation* theInfomation;
