#include "CVantorDoc.h"

#include "AtomicFile.h"
#include "CInfomation.h"
#include "CManElement.h"
#include "ViewPort.h"
#include "model/UiServices.h"
#include "platform/CArchive.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <list>
#include <new>
#include <unistd.h>

namespace
{

std::string ToLower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

bool IsPhotoPath(const std::string& path)
{
    const std::string lower = ToLower(path);
    return lower.find(".bmp") != std::string::npos || lower.find(".jpg") != std::string::npos ||
           lower.find(".jpeg") != std::string::npos;
}

std::string FileNameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Zoom steps are powers of two, so a walk back to a zoom factor lands on it exactly.
void ZoomPhotoTo(CDib& photo, double zoom)
{
    const Position about;
    for (int step = 0; step < 64 && photo.GetZoomFactor() < zoom; ++step)
        if (!photo.ZoomIn(about))
            break;
    for (int step = 0; step < 64 && photo.GetZoomFactor() > zoom; ++step)
        if (!photo.ZoomOut(about))
            break;
}

// Shows the board at actual size while it exists, then returns to the zoom it found.
// Zooming keeps the board registered to the photograph, so going there and back
// leaves the view transform exactly as it was.
class ActualSize
{
  public:
    explicit ActualSize(CDib& photo) : m_photo(photo), m_zoom(photo.GetZoomFactor())
    {
        if (m_zoom != 1.0)
            m_photo.ZoomToActualSize();
    }
    ~ActualSize() { ZoomPhotoTo(m_photo, m_zoom); }
    ActualSize(const ActualSize&) = delete;
    ActualSize& operator=(const ActualSize&) = delete;

  private:
    CDib& m_photo;
    double m_zoom;
};

std::string DamagedMessage(const std::string& path, const std::string& reason)
{
    return "The file \"" + path + "\" is damaged or is not a Vantor board file; it was not read (" +
           reason + ").";
}

// A board file read whole into objects of its own, not yet on the board: the layout
// CInfomation::Serialize writes.
class StagedBoard
{
  public:
    StagedBoard() = default;
    StagedBoard(const StagedBoard&) = delete;
    StagedBoard& operator=(const StagedBoard&) = delete;
    ~StagedBoard()
    {
        for (CEntity* e : objects)
            delete e;
    }

    // False, with the reason, when the bytes are not a whole board file.
    bool Read(const std::vector<std::uint8_t>& bytes, std::string* reason)
    {
        try {
            CArchive ar(bytes);
            origin[0] = ar.ReadI32();
            origin[1] = ar.ReadI32();
            real1 = ar.ReadF64();
            real2 = ar.ReadF64();
            int1 = ar.ReadI32();
            int2 = ar.ReadI32();
            CManElement::ReadEntityList(ar, objects);
            return true;
        } catch (const CArchiveException& e) {
            *reason = e.what();
        } catch (const std::bad_alloc&) {
            *reason = "not enough memory";
        }
        return false;
    }

    int origin[2] = {0, 0};
    double real1 = 0.0;
    double real2 = 0.0;
    int int1 = 0;
    int int2 = 0;
    std::list<CEntity*> objects; // owned until handed to the board
};

} // namespace

CVantorDoc::CVantorDoc()
{
    if (theInfomation)
        theInfomation->SetPhoto(&m_photo);
}

CVantorDoc::~CVantorDoc()
{
    if (theInfomation && theInfomation->GetPhoto() == &m_photo) {
        theInfomation->SetPhoto(nullptr);
        theInfomation->SetPhotoSize(0, 0);
    }
}

std::string CVantorDoc::GetTitle() const
{
    return m_boardPath.empty() ? std::string(kUntitled) : FileNameOf(m_boardPath);
}

void CVantorDoc::UpdateAllViews()
{
    if (theInfomation && theInfomation->GetView())
        theInfomation->GetView()->InvalidateAll();
}

void CVantorDoc::PathChanged()
{
    if (m_pathChanged)
        m_pathChanged();
}

// ---------------------------------------------------------------------------------
// Board files

bool CVantorDoc::DoPromptFileName(std::string& path, bool open)
{
    FilePrompt prompt;
    prompt.title = open ? kOpenTitle : kSaveTitle;
    prompt.filters = {{kBoardFilter, "*.vtx"}};
    prompt.defaultExtension = "vtx";
    prompt.save = !open;
    prompt.path = path;
    if (!UiServices::Current().Ask(prompt))
        return false;
    path = prompt.path;
    return true;
}

bool CVantorDoc::OnNewDocument()
{
    return OnCloseBoard();
}

bool CVantorDoc::OnFileOpen()
{
    std::string path;
    if (!DoPromptFileName(path, true))
        return false;
    return OpenFile(path);
}

bool CVantorDoc::ReadBoardFile(const std::string& path, Bytes* bytes)
{
    UiServices& ui = UiServices::Current();
    // The kind of file is told by its name: the first ".vtx" or ".pcb" in it.
    const std::string name = ToLower(FileNameOf(path));
    const std::size_t vtx = name.find(".vtx");
    const std::size_t pcb = name.find(".pcb");
    if (pcb != std::string::npos && (vtx == std::string::npos || pcb > vtx)) {
        ui.MessageBox("\"" + path +
                      "\" is a Protel PCB file. Vantor exports Protel PCB files but does not "
                      "read them; open a Vantor board file (*.vtx).");
        return false;
    }
    if (vtx == std::string::npos) {
        ui.MessageBox("\"" + path + "\" is not a Vantor board file (*.vtx).");
        return false;
    }
    std::string error;
    if (!ReadWholeFile(path, bytes, &error, kMaxBoardFileBytes)) {
        ui.MessageBox(error);
        return false;
    }
    return true;
}

bool CVantorDoc::ApplyBoardBytes(const Bytes& bytes, const std::string& path)
{
    CInfomation& board = *theInfomation;
    try {
        CArchive ar(bytes);
        ar.SetFileName(FileNameOf(path));
        // Reads everything before it changes anything.
        board.Serialize(ar);
    } catch (const CArchiveException& e) {
        UiServices::Current().MessageBox(DamagedMessage(path, e.what()));
        return false;
    } catch (const std::bad_alloc&) {
        UiServices::Current().MessageBox(DamagedMessage(path, "not enough memory"));
        return false;
    }

    m_fileBytes = bytes.size();
    int fileOrigin[2];
    board.GetScreenOrigin(fileOrigin);
    PlaceFileOrigin(fileOrigin);
    return true;
}

void CVantorDoc::PlaceFileOrigin(const int* origin)
{
    // The file's origin pixel is the board's (0, 0) at actual size: put it there at
    // actual size, let the photograph take its place from that, and return to the zoom
    // the view had.
    CInfomation& board = *theInfomation;
    const double zoom = m_photo.GetZoomFactor();
    m_photo.ZoomToActualSize();
    board.SetScreenOrigin(origin);
    board.SetViewOffset(Position(0.0, 0.0));
    m_photo.ZoomToActualSize();
    ZoomPhotoTo(m_photo, zoom);
}

bool CVantorDoc::LoadBoardFile(const std::string& path)
{
    if (!theInfomation)
        return false;
    Bytes bytes;
    return ReadBoardFile(path, &bytes) && ApplyBoardBytes(bytes, path);
}

bool CVantorDoc::OnOpenDocument(const std::string& path)
{
    if (!theInfomation)
        return false;
    UiServices& ui = UiServices::Current();
    if (!m_photo.IsLoaded()) {
        ui.MessageBox(kNoPhotoMessage);
        return false;
    }
    // The whole file is read before the open board is closed.
    StagedBoard staged;
    {
        Bytes bytes;
        if (!ReadBoardFile(path, &bytes))
            return false;
        std::string reason;
        if (!staged.Read(bytes, &reason)) {
            ui.MessageBox(DamagedMessage(path, reason));
            return false;
        }
    }
    if (!OnCloseBoard())
        return false;

    CInfomation& board = *theInfomation;
    {
        // In the file's order, newest first, as they were when saved.
        CMutexLock lock(board.GetEntityLock());
        board.GetElements().AppendEntities(staged.objects);
    }
    board.m_headerReal1 = staged.real1;
    board.m_headerReal2 = staged.real2;
    board.m_headerInt1 = staged.int1;
    board.m_headerInt2 = staged.int2;
    PlaceFileOrigin(staged.origin);
    m_boardPath = path;
    SetModifiedFlag(false);
    theInfomation->ZoomToFit();
    UpdateAllViews();
    PathChanged();
    return true;
}

bool CVantorDoc::StoreBoard(const std::string& path, Bytes* bytes)
{
    CInfomation& board = *theInfomation;
    const ActualSize actualSize(m_photo);
    int held[2];
    board.GetScreenOrigin(held);
    // Only the origin pixel is written; the view offset stays as it is.
    const Point zero = board.BoardToScreen(Position(0.0, 0.0));
    const int stored[2] = {zero.x, zero.y};
    board.SetScreenOrigin(stored);
    try {
        CArchive ar;
        ar.SetFileName(FileNameOf(path));
        ar.Reserve(m_fileBytes + m_fileBytes / 8 + kFirstSaveBytes);
        board.Serialize(ar);
        *bytes = ar.TakeBytes();
        m_fileBytes = bytes->size();
    } catch (const CArchiveException& e) {
        board.SetScreenOrigin(held);
        UiServices::Current().MessageBox("The board was not saved: " + std::string(e.what()));
        return false;
    } catch (const std::bad_alloc&) {
        board.SetScreenOrigin(held);
        UiServices::Current().MessageBox("The board was not saved: there is not enough memory.");
        return false;
    }
    board.SetScreenOrigin(held);
    return true;
}

bool CVantorDoc::OnSaveDocument(const std::string& path)
{
    const std::string target = path.empty() ? m_boardPath : path;
    if (!theInfomation || target.empty())
        return false;
    Bytes bytes;
    if (!StoreBoard(target, &bytes))
        return false;
    std::string error;
    if (!WriteFileAtomically(target, bytes.data(), bytes.size(), &error)) {
        UiServices::Current().MessageBox("The board was not saved. " + error);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

bool CVantorDoc::DoSave(const std::string& path, bool replace)
{
    std::string name = path;
    if (name.empty()) {
        name = m_boardPath;
        if (!DoPromptFileName(name, false) || name.empty())
            return false;
    }
    const bool wasModified = IsModified();
    if (!OnSaveDocument(name))
        return false;
    if (replace) {
        m_boardPath = name;
        PathChanged();
    } else {
        SetModifiedFlag(wasModified);
    }
    return true;
}

bool CVantorDoc::DoFileSave()
{
    // A file that is gone or may not be written is saved under a name the user chooses.
    if (m_boardPath.empty() || ::access(m_boardPath.c_str(), W_OK) != 0)
        return DoSave(std::string(), true);
    return DoSave(m_boardPath, true);
}

bool CVantorDoc::SaveModified()
{
    if (!theInfomation)
        return true;
    if (m_boardPath.empty() && !theInfomation->HasEntities()) {
        SetModifiedFlag(false);
        return true;
    }
    if (!IsModified())
        return true;
    SaveQuestion question{"Save changes to " + GetTitle() + "?"};
    if (!UiServices::Current().Ask(question))
        return false; // cancelled: the board stays as it is
    return !question.save || DoFileSave();
}

// ---------------------------------------------------------------------------------
// File menu commands

bool CVantorDoc::OnImportVtx()
{
    if (!theInfomation)
        return false;
    FilePrompt prompt;
    prompt.title = kImportTitle;
    prompt.filters = {{kBoardFilter, "*.vtx"}};
    prompt.defaultExtension = "vtx";
    prompt.save = false;
    if (!UiServices::Current().Ask(prompt))
        return false;
    if (!LoadBoardFile(prompt.path))
        return false;
    SetModifiedFlag(true);
    UpdateAllViews();
    return true;
}

bool CVantorDoc::OnExportPcb()
{
    if (!theInfomation || !theInfomation->HasEntities())
        return false;
    FilePrompt prompt;
    prompt.title = kExportTitle;
    prompt.filters = {{kExportFilter, "*.pcb"}};
    prompt.defaultExtension = "pcb";
    prompt.save = true;
    if (!UiServices::Current().Ask(prompt))
        return false;
    // The photograph's bottom-left corner is the exported file's (0, 0).
    const Position origin = theInfomation->ScreenToBoard(Point{0, int(m_photo.GetHeight())});
    std::string error;
    if (!theInfomation->ExportProtelPcb(prompt.path, origin, &error)) {
        UiServices::Current().MessageBox("The Protel file was not written. " + error);
        return false;
    }
    return true;
}

bool CVantorDoc::OnCloseBoard()
{
    const bool saved = SaveModified();
    if (IsModified() && !saved)
        return false;
    if (m_boardClosing)
        m_boardClosing();
    if (theInfomation)
        theInfomation->ClearBoard();
    SetModifiedFlag(false);
    m_boardPath.clear();
    UpdateAllViews();
    PathChanged();
    return true;
}

bool CVantorDoc::OnCloseAll()
{
    if (!OnCloseBoard())
        return false;
    OnClosePhoto();
    return true;
}

// ---------------------------------------------------------------------------------
// Photograph

bool CVantorDoc::PromptPhotoFile(std::string& path)
{
    FilePrompt prompt;
    prompt.title = kPhotoPromptTitle;
    prompt.filters = {{"bmp files(*.bmp)", "*.bmp"}, {"jpeg files(*.jpeg|*.jpg)", "*.jpg;*.jpeg"}};
    prompt.defaultExtension = ".bmp";
    prompt.save = false;
    prompt.path = path;
    if (!UiServices::Current().Ask(prompt))
        return false;
    path = prompt.path;
    return true;
}

bool CVantorDoc::OnOpenBackgroundPhoto()
{
    // The new photograph is read before the board closes, and the old one is let go
    // only once the board has: a cancel or a failure at any step changes nothing.
    std::string path;
    if (!PromptPhotoFile(path))
        return false;
    // A board file chosen here opens as File Open opens it, over the photograph held.
    if (!IsPhotoPath(path))
        return OpenFile(path);
    std::unique_ptr<PhotoFile> photo = ReadPhoto(path);
    if (!photo || !OnCloseBoard())
        return false;
    InstallPhoto(std::move(photo));
    return true;
}

std::unique_ptr<PhotoFile> CVantorDoc::ReadPhoto(const std::string& path)
{
    if (!std::ifstream(path, std::ios::binary)) {
        UiServices::Current().MessageBox("Cannot open the file \"" + path + "\".");
        return nullptr;
    }
    return CDib::Read(path);
}

void CVantorDoc::InstallPhoto(std::unique_ptr<PhotoFile> photo)
{
    m_photo.Install(std::move(photo));
    if (theInfomation) {
        theInfomation->SetPhotoSize(m_photo.GetPixelWidth(), m_photo.GetPixelHeight());
        theInfomation->SetPhoto(&m_photo);
    }
    if (m_photoChanged)
        m_photoChanged();
}

bool CVantorDoc::OpenFile(const std::string& path)
{
    if (IsPhotoPath(path)) {
        // The photograph held stays when the new one cannot be read.
        std::unique_ptr<PhotoFile> photo = ReadPhoto(path);
        if (!photo)
            return false;
        InstallPhoto(std::move(photo));
        return true;
    }
    if (!std::ifstream(path, std::ios::binary)) {
        UiServices::Current().MessageBox("Cannot open the file \"" + path + "\".");
        return false;
    }
    if (!m_photo.IsLoaded()) {
        UiServices::Current().MessageBox(kNoPhotoMessage);
        return false;
    }
    return OnOpenDocument(path);
}

void CVantorDoc::OnClosePhoto()
{
    m_photo.Release();
    if (theInfomation)
        theInfomation->SetPhotoSize(0, 0);
    if (m_photoChanged)
        m_photoChanged();
}
