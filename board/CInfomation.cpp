#include "CInfomation.h"

#include "AtomicFile.h"
#include "ViewPort.h"
#include "model/CComponent.h"
#include "model/CEntity.h"
#include "model/CStrokeFont.h"
#include "model/Constants.h"
#include "model/ProtelFormat.h"
#include "model/UiServices.h"
#include "platform/CArchive.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_set>
#include <vector>

CInfomation* theInfomation = nullptr;

namespace
{

// A zoom step that moves scale x by no more than this changed nothing.
constexpr double kZoomStepEpsilon = 1e-6;
// Zoom steps one fit may take at most, whatever the view does.
constexpr int kMaxZoomSteps = 200;

} // namespace

CInfomation::CInfomation() : m_strokeFont(std::make_unique<CStrokeFont>()), m_redoUndo(&m_elements)
{
    m_grid.SetDefault();
    m_layerTable.SetDefaults();
}

CInfomation::~CInfomation()
{
    // The loading thread goes first: it may still be reading a library.
    StopLoadLibraries();
    if (&BoardServices::Current() == this)
        BoardServices::Install(nullptr);
    m_tempEntities.clear();
    m_inHand.clear();
    PasteBuffer.clear();
    SelectionList.clear();
    m_redoUndo.Clear();
    m_elements.Clear();
}

CInfomation* CInfomation::Create(const std::string& settingsFolder)
{
    if (theInfomation)
        return theInfomation;
    auto* info = new CInfomation;
    info->m_settingsFolder = settingsFolder;
    info->m_librarySet.SetSettingsFolder(settingsFolder);
    std::string error;
    // A missing or damaged file leaves the default colours.
    info->m_layerTable.Read(settingsFolder + kLayerFileName, &error);
    info->ApplyLayerTable();
    theInfomation = info;
    BoardServices::Install(info);
    return info;
}

void CInfomation::Destroy()
{
    CInfomation* info = theInfomation;
    if (!info)
        return;
    std::string error;
    info->m_layerTable.Write(info->m_settingsFolder + kLayerFileName, &error);
    // The list is written only once the loader has stopped, so that it names every
    // library it had not come to.
    info->StopLoadLibraries();
    info->WriteLibraryList(&error);
    if (&BoardServices::Current() == info)
        BoardServices::Install(nullptr);
    theInfomation = nullptr;
    delete info;
}

// ---------------------------------------------------------------------------------
// Board services

COLORREF CInfomation::GetLayerColor(int key) const
{
    return m_layerTable.GetColor(key);
}

Point CInfomation::BoardToScreen(const Position& p) const
{
    return TransformToScreen(p, m_viewOffset, m_originPixel, m_scaleX, m_scaleY);
}

Position CInfomation::ScreenToBoard(Point pt) const
{
    return TransformToBoard(pt, m_viewOffset, m_originPixel, m_scaleX, m_scaleY);
}

int CInfomation::BoardToPixels(const double& length) const
{
    return TransformToPixels(length, m_scaleX, m_scaleY);
}

double CInfomation::PixelsToBoard(int n) const
{
    return n * m_scaleX;
}

Point CInfomation::GetViewScrollPosition() const
{
    return m_view ? m_view->GetScrollPosition() : Point{};
}

void CInfomation::InvalidateRect(const Rect& clientRect)
{
    if (m_view)
        m_view->InvalidateRect(clientRect);
}

void CInfomation::InvalidateObject(const CEntity& object, const Rect& clientRect)
{
    if (!m_view)
        return;
    if (DrawnOverBoard(object))
        m_view->InvalidateOverlay(clientRect);
    else
        m_view->InvalidateRect(clientRect);
}

bool CInfomation::DrawnOverBoard(const CEntity& object) const
{
    if (m_inHand.count(&object) != 0)
        return true;
    // An object the board holds is in its index, or a part of one; a tool's own shape is
    // neither.
    return !object.GetBoxListener() && !object.IsComponentPart() &&
           std::find(m_tempEntities.begin(), m_tempEntities.end(), &object) != m_tempEntities.end();
}

void CInfomation::NotifyModified()
{
    if (m_view)
        m_view->PostBoardNotify(BN_MODIFIED, 0);
}

void CInfomation::ReleaseCapture()
{
    if (m_view)
        m_view->ReleaseCapture();
}

// ---------------------------------------------------------------------------------
// View transform and units

void CInfomation::SetViewOffset(const Position& offset)
{
    if (!offset.IsNear(m_viewOffset))
        m_viewOffset = offset;
}

void CInfomation::SetScreenOrigin(const int* pair)
{
    if (pair)
        m_originPixel = Point{pair[0], pair[1]};
}

void CInfomation::GetScreenOrigin(int* pair) const
{
    if (!pair)
        return;
    pair[0] = m_originPixel.x;
    pair[1] = m_originPixel.y;
}

// A scale of zero or less (or not a number) would make every conversion divide by
// zero; it is refused and the scale kept.
void CInfomation::SetScaleX(const double& scale)
{
    if (std::isfinite(scale) && scale > 0.0)
        m_scaleX = scale;
}

void CInfomation::SetScaleY(const double& scale)
{
    if (std::isfinite(scale) && scale > 0.0)
        m_scaleY = scale;
}

void CInfomation::SetCursorPosition(const Position& p)
{
    if (!m_view)
        return;
    const Point s = BoardToScreen(p);
    const Point scroll = m_view->GetScrollPosition();
    m_view->SetCursorPos(Point{s.x - scroll.x, s.y - scroll.y});
}

Position CInfomation::GetCursorPosition() const
{
    if (!m_view)
        return ScreenToBoard(Point{});
    const Point c = m_view->GetCursorPos();
    const Point scroll = m_view->GetScrollPosition();
    return ScreenToBoard(Point{c.x + scroll.x, c.y + scroll.y});
}

std::string CInfomation::GetUnitName() const
{
    switch (m_unitMode) {
    case 0:
        return "MM";
    case 1:
        return "MILS";
    default:
        return "";
    }
}

void CInfomation::ZoomToFit()
{
    BOX2D box;
    if (!m_view || !m_elements.GetBoundingBox(&box))
        return;
    const Position centre = box.Center();
    const Point client = m_view->GetClientSize();
    if (client.x <= 0 || client.y <= 0)
        return;
    const double target = std::max(box.Width() / client.x, box.Height() / client.y);

    int steps = 0;
    // One zoom step; false when it changed nothing (which ends stepping that way).
    auto step = [&](bool zoomIn) {
        if (++steps > kMaxZoomSteps)
            return false;
        const double before = m_scaleX;
        m_view->ZoomStep(zoomIn, centre);
        return std::fabs(m_scaleX - before) > kZoomStepEpsilon;
    };
    if (target < m_scaleX) {
        while (target < m_scaleX && step(true)) {
        }
    }
    // Back out to the first level at which the box fits.
    while (target > m_scaleX && step(false)) {
    }
    m_view->ScrollToLogical(BoardToScreen(centre));
}

// ---------------------------------------------------------------------------------
// Board contents

void CInfomation::AddEntity(CEntity* entity)
{
    if (!entity)
        return;
    {
        CMutexLock lock(m_entityLock);
        m_elements.AddEntity(entity);
        m_redoUndo.AddAction(entity, UA_ADD);
    }
    entity->Invalidate();
    NotifyModified();
}

CEntity* CInfomation::AddEntity(std::unique_ptr<CEntity> entity)
{
    CEntity* added = entity.release(); // the board owns it from here
    AddEntity(added);
    return added;
}

void CInfomation::AddEntities(std::list<CEntity*>* list)
{
    if (!list || list->empty())
        return;
    {
        CMutexLock lock(m_entityLock);
        m_redoUndo.AddAction(list, UA_INSERT);
    }
    NotifyModified();
}

void CInfomation::DeleteEntities(const std::list<CEntity*>& list)
{
    std::list<CEntity*> live;
    for (CEntity* e : list)
        if (e && e->IsActive() && std::find(live.begin(), live.end(), e) == live.end())
            live.push_back(e);
    if (live.empty())
        return;
    for (CEntity* e : live)
        SelectionList.remove(e);
    {
        CMutexLock lock(m_entityLock);
        m_redoUndo.AddAction(&live, UA_DELETE);
    }
    NotifyModified();
}

void CInfomation::RemoveLastEntity()
{
    CEntity* last = m_elements.GetLastAdded();
    if (!last)
        return;
    SelectionList.remove(last);
    m_redoUndo.AddAction(last, UA_DELETE);
}

void CInfomation::BringToFront(CEntity* entity)
{
    if (!entity)
        return;
    m_elements.BringToFront(entity);
    entity->Invalidate();
}

int CInfomation::MoveSelection(const Position& v)
{
    if (SelectionList.empty())
        return 0;
    // The area the selection covers before the move.
    BOX2D before;
    const bool haveBox = CManElement::UnionOfBoxes(SelectionList, nullptr, false, &before) != 0;
    for (CEntity* e : SelectionList) {
        const Position p = e->GetPosition();
        e->PushUndoState(e);
        int flag = 1;
        e->Move(p, p + v, &flag);
    }
    if (haveBox) {
        const Position c = before.Center();
        BOX2D after = before;
        after.Move(c, c + v);
        after.x1 = std::min(after.x1, before.x1);
        after.y1 = std::min(after.y1, before.y1);
        after.x2 = std::max(after.x2, before.x2);
        after.y2 = std::max(after.y2, before.y2);
        m_drawingQueue.AddArea(after);
    }
    RecordEntityChange(&SelectionList);
    return 1;
}

void CInfomation::RecordEntityChange(std::list<CEntity*>* list)
{
    if (list && !list->empty())
        m_redoUndo.AddAction(list, UA_PROPERTY);
    NotifyModified();
}

int CInfomation::HasEntities() const
{
    return m_elements.IsEmpty() ? 0 : 1;
}

void CInfomation::ClearBoard()
{
    PasteBuffer.clear();
    // Nothing may point at the objects once they are gone: the undo records, the
    // temporary objects, the paste anchor and a component waiting to go to a library.
    m_redoUndo.Clear();
    m_tempEntities.clear();
    m_inHand.clear();
    m_pasteAnchor.reset();
    m_librarySet.DeleteLibraryPending();
    m_elements.Clear();
    SelectionList.clear();
}

void CInfomation::SetOrigin(const Position& p)
{
    const Point origin = BoardToScreen(p);
    // Re-anchor: board (0, 0) now sits where p was. The pixel is whole, so the part of
    // p that falls between pixels is kept in the view offset and every object stays in
    // register with the photo.
    m_viewOffset.x += (origin.x - m_originPixel.x) * m_scaleX - p.x;
    m_viewOffset.y -= (origin.y - m_originPixel.y) * m_scaleY + p.y;
    m_originPixel = origin;
    m_elements.MoveAll(p);
    MoveStoredStates(p);
    if (m_pasteAnchor)
        *m_pasteAnchor -= p;
    NotifyModified();
}

void CInfomation::MoveStoredStates(const Position& p)
{
    const Position zero(0.0, 0.0);
    for (CEntity* e : m_elements.GetEntities())
        e->MoveStates(p, zero);
}

void CInfomation::Serialize(CArchive& ar)
{
    m_lastArchiveName = ar.GetFileName();
    if (ar.IsStoring()) {
        ar.WriteI32(m_originPixel.x);
        ar.WriteI32(m_originPixel.y);
        ar.WriteF64(m_headerReal1);
        ar.WriteF64(m_headerReal2);
        ar.WriteI32(m_headerInt1);
        ar.WriteI32(m_headerInt2);
        m_elements.Serialize(ar);
        return;
    }
    // The header takes effect only when the whole file has been read.
    Point origin;
    origin.x = ar.ReadI32();
    origin.y = ar.ReadI32();
    // Board points land at most a billion pixels from the origin (TransformToScreen): an
    // origin further out than that would take the view transform past the range of int.
    constexpr int kMaxOriginPixel = 1000000000;
    if (origin.x < -kMaxOriginPixel || origin.x > kMaxOriginPixel || origin.y < -kMaxOriginPixel ||
        origin.y > kMaxOriginPixel)
        CArchive::Throw(CArchiveException::generic, "board origin outside the view's range");
    const double real1 = ar.ReadF64();
    const double real2 = ar.ReadF64();
    const int int1 = ar.ReadI32();
    const int int2 = ar.ReadI32();
    m_elements.Serialize(ar);
    m_originPixel = origin;
    m_headerReal1 = real1;
    m_headerReal2 = real2;
    m_headerInt1 = int1;
    m_headerInt2 = int2;
}

int CInfomation::ImportProtelPcb(const std::string&)
{
    return 1;
}

namespace
{

int CountOf(const std::map<int, int>& counts, int type)
{
    const auto it = counts.find(type);
    return it == counts.end() ? 0 : it->second;
}

} // namespace

bool CInfomation::ExportProtelPcb(const std::string& path, const Position& origin,
                                  std::string* error)
{
    std::map<int, int> counts;
    for (int type : {ET_FREEPAD, ET_VIA, ET_TEXT, ET_LINE, ET_FILLAREA, ET_ARC, ET_COMPONENT})
        counts[type] = 0;
    std::string body;
    m_elements.WriteProtelAscii(body, counts, origin);

    // -1: a field that is always 0.
    std::string head = "PCB FILE 6 VERSION 2.80\n0";
    for (int type : {int(ET_LINE), -1, -1, int(ET_ARC), int(ET_VIA), int(ET_COMPONENT),
                     int(ET_FILLAREA), int(ET_FREEPAD), int(ET_TEXT)}) {
        head += ' ';
        head += std::to_string(CountOf(counts, type));
    }
    head += '\n';
    // The board point under the view's origin pixel, as seen from `origin`.
    const Position defaults = ScreenToBoard(m_originPixel) - origin;
    std::string tail = "DEFAULTS\n";
    tail += std::to_string(Protel::Scaled(defaults.x, 10000.0));
    tail += ' ';
    tail += std::to_string(Protel::Scaled(defaults.y, 10000.0));
    tail += "\nENDPCB";

    // The format's lines end in CR LF.
    std::string file;
    file.reserve(head.size() + body.size() + body.size() / 8 + tail.size() + 64);
    for (const std::string* piece : {&head, &body, &tail})
        for (char c : *piece) {
            if (c == '\n')
                file += '\r';
            file += c;
        }
    return WriteFileAtomically(path, file.data(), file.size(), error);
}

// ---------------------------------------------------------------------------------
// Selection and internal clipboard

void CInfomation::ClearSelection()
{
    for (CEntity* e : SelectionList)
        if (e->IsSelected())
            e->ToggleSelect();
    SelectionList.clear();
    m_elements.DeselectAll();
}

void CInfomation::SelectInBox(std::list<CEntity*>* out, const BOX2D* box)
{
    if (!box)
        ClearSelection();
    m_elements.SelectInBox(out, box, box ? nullptr : &SelectionList);
}

void CInfomation::SelectInBox(std::list<CEntity*>* out, const BOX2D& box, BoxSelect mode)
{
    if (mode == BoxSelect::Replace)
        ClearSelection();
    std::list<CEntity*> found;
    m_elements.SelectInBox(&found, box, BoxSelect::Add);
    const std::unordered_set<CEntity*> selected(SelectionList.begin(), SelectionList.end());
    for (CEntity* e : found)
        if (!selected.contains(e))
            SelectionList.push_back(e);
    if (out)
        out->splice(out->end(), found);
}

int CInfomation::IsPasteBufferEmpty()
{
    if (!PasteBuffer.empty())
        return 0;
    m_pasteReady = 0;
    return 1;
}

int CInfomation::CanPaste() const
{
    return m_pasteReady && !PasteBuffer.empty() ? 1 : 0;
}

int CInfomation::CopySelection()
{
    m_pasteAnchor.reset();
    PasteBuffer.clear();
    for (CEntity* e : SelectionList)
        if (e->IsActive())
            PasteBuffer.push_back(e);
    m_pasteReady = 1;
    return 1;
}

void CInfomation::CutSelection()
{
    CopySelection();
    if (PasteBuffer.empty())
        return;
    std::list<CEntity*> cut = PasteBuffer;
    // The cut objects are no longer selected, flags and list alike: undo brings them
    // back unselected.
    for (CEntity* e : SelectionList)
        if (e->IsSelected())
            e->ToggleSelect();
    m_redoUndo.AddAction(&cut, UA_CUT);
    SelectionList.clear();
    NotifyModified();
}

void CInfomation::DeleteSelection()
{
    std::list<CEntity*> live;
    for (CEntity* e : SelectionList)
        if (e->IsActive())
            live.push_back(e);
    SelectionList.clear();
    if (live.empty())
        return;
    m_redoUndo.AddAction(&live, UA_DELETE);
    NotifyModified();
}

void CInfomation::Undo()
{
    ClearSelection();
    std::list<CEntity*> affected;
    m_redoUndo.Undo(&affected);
    NotifyModified();
}

void CInfomation::Redo()
{
    ClearSelection();
    std::list<CEntity*> affected;
    m_redoUndo.Redo(&affected);
    NotifyModified();
}

// ---------------------------------------------------------------------------------
// Display

void CInfomation::SetView(ViewPort* view)
{
    m_view = view;
    m_drawingQueue.SetViewPort(view);
}

void CInfomation::DrawBoard(DrawContext* dc, Rect clip)
{
    DrawElements(dc, clip);
    DrawTemporary(dc, clip);
}

void CInfomation::DrawElements(DrawContext* dc, Rect clip)
{
    if (dc)
        m_elements.DrawAll(dc, DM_NORMAL, clip, CurrentLayer,
                           m_inHand.empty() ? nullptr : &m_inHand);
}

void CInfomation::DrawTemporary(DrawContext* dc, Rect clip)
{
    if (!dc)
        return;
    for (CEntity* e : m_tempEntities)
        e->Draw(dc, DM_NORMAL, clip, &m_elements.GetHiddenLayers());
}

void CInfomation::SetTempEntity(CEntity* entity)
{
    std::list<CEntity*> entities;
    if (entity)
        entities.push_back(entity);
    SetTempEntities(entities);
}

void CInfomation::SetTempEntities(const std::list<CEntity*>& entities)
{
    // Board objects taken in hand leave the board's picture where they were drawn.
    for (CEntity* e : entities)
        if (e && e->GetBoxListener() && m_inHand.count(e) == 0)
            e->Invalidate();
    std::list<CEntity*> dropped;
    for (CEntity* e : m_tempEntities)
        if (std::find(entities.begin(), entities.end(), e) == entities.end())
            dropped.push_back(e);
    m_tempEntities = entities;
    m_inHand.clear();
    for (CEntity* e : m_tempEntities)
        if (e && e->GetBoxListener())
            m_inHand.insert(e);
    // The objects let go of are repainted where they are, with the board.
    for (CEntity* e : dropped) {
        if (e->IsSelected())
            e->ToggleSelect();
        e->Invalidate();
    }
}

void CInfomation::ClearTempEntities()
{
    std::list<CEntity*> inHand;
    for (CEntity* e : m_tempEntities)
        if (m_inHand.count(e) != 0)
            inHand.push_back(e);
    m_tempEntities.clear();
    m_inHand.clear();
    for (CEntity* e : inHand)
        e->Invalidate();
}

void CInfomation::ShowLayersDialog()
{
    std::map<int, int> used;
    for (int key : {LAYER_GRID1, LAYER_GRID2}) {
        auto it = m_layerTable.entries.find(key);
        if (it != m_layerTable.entries.end() && it->second.shown != 0)
            used[key] = 1;
    }
    LayersValues values;
    values.table = m_layerTable.entries;
    m_elements.CollectUsedLayers(&used);
    values.used = used;
    values.current = CurrentLayer;
    if (UiServices::Current().Ask(values))
        m_layerTable.entries = values.table;
    ApplyLayerTable();
}

void CInfomation::ApplyLayerTable()
{
    std::map<int, int> hidden;
    for (const auto& [key, entry] : m_layerTable.entries) {
        if (entry.shown == 0)
            hidden[key] = 1;
        if (key == LAYER_GRID1)
            m_grid.SetOption(entry.shown);
    }
    m_elements.SetLayerFilter(hidden);
}
