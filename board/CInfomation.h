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
#include "LibrarySet.h"
#include "ToolParameters.h"
#include "model/BoardServices.h"
#include "model/Geometry.h"
#include "platform/WinTypes.h"

#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
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
    // An object drawn over the board only (DrawnOverBoard) is repainted over it only.
    void InvalidateObject(const CEntity& object, const Rect& clientRect) override;
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
    // Adds an object to the board (taken over; null: nothing) with one undo record.
    void AddEntity(CEntity* entity);
    // The same; returns the object, now the board's, or null for none.
    CEntity* AddEntity(std::unique_ptr<CEntity> entity);
    void AddEntities(std::list<CEntity*>* list);
    // Deletes the live objects of `list` (the board keeps them for undo) with one undo
    // record, drops them from the selection and notifies a change; nothing when none
    // of them is live.
    void DeleteEntities(const std::list<CEntity*>& list);
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
    // Selects the live objects on shown layers meeting `box` and lists them in `out`;
    // Replace first clears the selection, Add keeps it. The selection list takes each
    // newly selected object once, so it always matches the selected flags.
    void SelectInBox(std::list<CEntity*>* out, const BOX2D& box, BoxSelect mode);
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
    // The two halves of DrawBoard. After ReadyToDrawOnThreads, and while the board does
    // not change, DrawElements may run on several threads at once, each with a context
    // and board services of its own (see BandedDrawing and ViewSnapshot).
    void DrawElements(DrawContext* dc, Rect clip);
    void DrawTemporary(DrawContext* dc, Rect clip);
    void ReadyToDrawOnThreads() { m_elements.RefreshIndex(); }
    // How many board objects may show in `clip` (client pixels).
    std::size_t CountObjectsUnder(Rect clip) { return m_elements.CountUnder(clip); }
    std::vector<std::size_t> CountObjectsUnderRows(Rect clip, const std::vector<int>& rows)
    {
        return m_elements.CountUnderRows(clip, rows);
    }
    // Registers the current command's rubber-band object (null: none). The one
    // registered before is deselected and repainted first, so it must still exist:
    // a command that frees its object unregisters it first (or calls
    // ClearTempEntities, which touches none of them but board objects).
    void SetTempEntity(CEntity* entity);
    // The same for a group drawn together (a pasted or moved group); the list holds
    // the command's objects, which stay the command's. Board objects in the list (a
    // group being moved) are drawn with it, over the board, and not with the board.
    void SetTempEntities(const std::list<CEntity*>& entities);
    const std::list<CEntity*>& GetTempEntities() const { return m_tempEntities; }
    // Forgets the temporary objects; the board objects among them are drawn with the
    // board again.
    void ClearTempEntities();
    // True when `object` is drawn over the board only: a temporary object that is either
    // a board object in hand or a tool's own shape (not part of a component, which its
    // component draws).
    bool DrawnOverBoard(const CEntity& object) const;
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
    // The open libraries, their loading and the add-to-my-library flow; the functions
    // below forward to it.
    LibrarySet& GetLibrarySet() { return m_librarySet; }
    const LibrarySet& GetLibrarySet() const { return m_librarySet; }
    void StartLoadLibraries(LibraryProgressWindow* window)
    {
        m_librarySet.StartLoadLibraries(window);
    }
    int PumpLibraryLoading() { return m_librarySet.PumpLibraryLoading(); }
    void CancelLoadLibraries() { m_librarySet.CancelLoadLibraries(); }
    void StopLoadLibraries() { m_librarySet.StopLoadLibraries(); }
    BOOL OpenLibrary(const std::string& path) { return m_librarySet.OpenLibrary(path); }
    BOOL CreateLibrary(const std::string& path) { return m_librarySet.CreateLibrary(path); }
    BOOL AddLibrary(const std::string& path, CLoadLibrary* library)
    {
        return m_librarySet.AddLibrary(path, library);
    }

    CLoadLibrary* FindLibrary(const std::string& path) const
    {
        return m_librarySet.FindLibrary(path);
    }
    void RemoveLibrary(const std::string& path) { m_librarySet.RemoveLibrary(path); }
    bool WriteLibraryList(std::string* error) { return m_librarySet.WriteLibraryList(error); }
    const std::vector<std::string>& GetUnloadedLibraryPaths() const
    {
        return m_librarySet.GetUnloadedLibraryPaths();
    }
    using PatternPrompt = LibrarySet::PatternPrompt;
    void SetPatternPrompt(PatternPrompt prompt)
    {
        m_librarySet.SetPatternPrompt(std::move(prompt));
    }
    BOOL AddSelectionToMyLibrary(const std::list<CEntity*>* list)
    {
        return m_librarySet.AddSelectionToMyLibrary(list);
    }
    void CompleteAddToMyLibrary(const Position* picked)
    {
        m_librarySet.CompleteAddToMyLibrary(picked);
    }

    // The parameters the tools' dialogs remember (mils and radians).
    ToolParameters& GetToolParameters() { return m_toolParameters; }

    static constexpr const char* kLayerFileName = "layer.dat";
    static constexpr const char* kReplaceQuestion = LibrarySet::kReplaceQuestion;

  private:
    // Keys whose shown flag is 0 go to the container; key 36's flag becomes the grid's
    // option.
    void ApplyLayerTable();
    // Moves the stored undo states of every object by -p, as MoveAll moves the objects.
    void MoveStoredStates(const Position& p);

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
    // The board objects among them, which the board's drawing leaves out.
    std::unordered_set<const CEntity*> m_inHand;
    std::string m_settingsFolder;
    LibrarySet m_librarySet;
    ToolParameters m_toolParameters;
};

extern CInfomation* theInfomation;
