#include "CommandTable.h"

#include "CommandIds.h"
#include "commands/CommandKinds.h"

#include <algorithm>

using namespace Cmd;

namespace
{

// Icons of the toolbar and the menus.
#define ICON(name) ":/icons/" name ".svg"

const CommandInfo kCommands[] = {
    // File
    {ID_FILE_NEW, "&New\tCtrl+N", "Ctrl+N", ICON("new"), "Start a new board"},
    {ID_FILE_OPEN, "&Open...\tCtrl+O", "Ctrl+O", ICON("open"), "Open a board file"},
    {ID_FILE_SAVE, "&Save\tCtrl+S", "Ctrl+S", ICON("save"), "Save the board"},
    {ID_FILE_SAVE_AS, "Save &As...", "", "", "Save the board under a new name"},
    {ID_FILE_OPEN_PHOTO, "Open &background photo...\tCtrl+B", "Ctrl+B", ICON("photo"),
     "Open the photograph to trace the board over"},
    {ID_FILE_CLOSE_PHOTO, "Close p&hoto", "", "", "Close the photograph"},
    {ID_FILE_IMPORT_VTX, "vtx file", "", "", "Add the objects of a board file to this board"},
    {ID_FILE_EXPORT_PCB, "&Export as pcb file\tCtrl+E", "Ctrl+E", "",
     "Write the board as a Protel ASCII file"},
    {ID_FILE_CLOSE_BOARD, "&Close vtx file", "", "", "Close the board"},
    {ID_FILE_CLOSE_ALL, "Close &All", "", "", "Close the board and the photograph"},
    {ID_FILE_PRINT_SETUP, "Print Set&up...", "", "", "Change the printer and printing options"},
    {ID_FILE_MRU_FILE1 + 0, "Recent File", "", "", "Open this document"},
    {ID_FILE_MRU_FILE1 + 1, "Recent File", "", "", "Open this document"},
    {ID_FILE_MRU_FILE1 + 2, "Recent File", "", "", "Open this document"},
    {ID_FILE_MRU_FILE1 + 3, "Recent File", "", "", "Open this document"},
    {ID_FILE_MRU_FILE1 + 4, "Recent File", "", "", "Open this document"},
    {ID_FILE_MRU_FILE1 + 5, "Recent File", "", "", "Open this document"},
    {ID_FILE_MRU_FILE1 + 6, "Recent File", "", "", "Open this document"},
    {ID_FILE_MRU_FILE1 + 7, "Recent File", "", "", "Open this document"},
    {ID_APP_EXIT, "E&xit", "", "", "Quit Vantor"},

    // Edit
    {ID_EDIT_UNDO, "Undo(&Z)\tCtrl+Z", "Ctrl+Z", ICON("undo"), "Undo the last change",
     CommandRoute::View},
    {ID_EDIT_REDO, "Redo(&Y)\tCtrl+Y", "Ctrl+Y", ICON("redo"), "Redo the change undone last",
     CommandRoute::View},
    {ID_EDIT_CUT, "Cut(&T)\tCtrl+X", "Ctrl+X", ICON("cut"),
     "Cut the selection and put it on the clipboard", CommandRoute::View},
    {ID_EDIT_COPY, "&Copy(&C)\tCtrl+C", "Ctrl+C;Ctrl+Ins", ICON("copy"),
     "Copy the selection and put it on the clipboard", CommandRoute::View},
    {ID_EDIT_PASTE, "&Paste(&V)\tCtrl+V", "Ctrl+V;Ctrl+Shift+V;Shift+Ins", ICON("paste"),
     "Insert the clipboard's contents at the pointer", CommandRoute::View},
    {ID_EDIT_CLEAR, "Clear all(Del)\tDel", "Del", "", "Delete the selection", CommandRoute::View},
    {ID_EDIT_SELECT_ALL, "Select all(&A)\tCtrl+A", "Ctrl+A", "",
     "Select every object on a shown layer", CommandRoute::View},
    {ID_NEXT_PANE, "Next pane", "F6", "", "Switch to the next window pane"},
    {ID_PREV_PANE, "Previous pane", "Shift+F6", "", "Switch back to the previous window pane"},

    // View
    {ID_VIEW_CROSS_LINE, "&Cross Line(&C)", "", "", "Show a cross-hair through the pointer",
     CommandRoute::View},
    {ID_VIEW_ACTUAL_SIZE, "Photo actual size(&R)\t Home", "Home", "",
     "One photograph pixel per screen pixel", CommandRoute::View},
    {ID_VIEW_LAYERS, "&Layers\t F11", "F11", ICON("layers"), "Set layers and colours",
     CommandRoute::View},
    {ID_LANGUAGE_DEFAULT, "&Default", "", "", "Press F8 to switch other languages."},
    {ID_GRID_BASE + 1, "1 mils", "", "", "Grid of 1 mil", CommandRoute::View},
    {ID_GRID_BASE + 2, "2 mils", "", "", "Grid of 2 mils", CommandRoute::View},
    {ID_GRID_BASE + 3, "3 mils", "", "", "Grid of 3 mils", CommandRoute::View},
    {ID_GRID_BASE + 4, "4 mils", "", "", "Grid of 4 mils", CommandRoute::View},
    {ID_GRID_BASE + 5, "5 mils", "", "", "Grid of 5 mils", CommandRoute::View},
    {ID_GRID_BASE + 6, "6 mils", "", "", "Grid of 6 mils", CommandRoute::View},
    {ID_GRID_BASE + 7, "7 mils", "", "", "Grid of 7 mils", CommandRoute::View},
    {ID_GRID_BASE + 8, "8 mils", "", "", "Grid of 8 mils", CommandRoute::View},
    {ID_GRID_BASE + 9, "9 mils", "", "", "Grid of 9 mils", CommandRoute::View},
    {ID_GRID_BASE + 10, "10 mils", "", "", "Grid of 10 mils", CommandRoute::View},
    {ID_GRID_OTHER, "Other....", "", "", "Enter another grid step", CommandRoute::View},
    {ID_ZOOM_IN, "&In\t PageUp", "", ICON("zoomin"), "Zoom in", CommandRoute::View},
    {ID_ZOOM_OUT, "&Out\t PageDown", "", ICON("zoomout"), "Zoom out", CommandRoute::View},
    {ID_ZOOM_ALL, "&All", "", ICON("zoomall"), "Zoom to show the whole board", CommandRoute::View},
    {ID_VIEW_CAPTURE, "&Capture(&P)\t F2", "Ctrl+P;F2", "",
     "keep the object 's center in the grid ", CommandRoute::View},
    {ID_VIEW_UNIT_SWITCH, "Unit switch(&U)", "F9", "", "Switch between millimetres and mils",
     CommandRoute::View},

    // Place
    {ID_PLACE_TRACK, "&Track", "", ICON("track"), "Place tracks", CommandRoute::CheckedTool,
     CommandKind::Track},
    {ID_PLACE_ARC_CENTER, "&Arc(Center)", "", ICON("arc"), "Place an arc by its centre",
     CommandRoute::CheckedTool, CommandKind::ArcByCentre},
    {ID_PLACE_ARC_3POINTS, "A&rc(3 Points)", "", ICON("arc3"), "Place an arc through three points",
     CommandRoute::CheckedTool, CommandKind::ArcBy3Points},
    {ID_PLACE_PAD, "&Pad", "", ICON("pad"), "Place pads", CommandRoute::CheckedTool,
     CommandKind::Pad},
    {ID_PLACE_VIA, "&Via", "", ICON("via"), "Place vias", CommandRoute::CheckedTool,
     CommandKind::Via},
    {ID_PLACE_STRING, "&String", "", ICON("string"), "Place a text string",
     CommandRoute::CheckedTool, CommandKind::String},
    {ID_PLACE_FILL, "&Fill", "", ICON("fill"), "Place a rectangular fill",
     CommandRoute::CheckedTool, CommandKind::Fill},
    {ID_PLACE_POLYGON, "Poly&gon", "", ICON("polygon"), "Place a polygon pour",
     CommandRoute::CheckedTool, CommandKind::Polygon},
    {ID_PLACE_COMPONENT, "&Component", "F10", ICON("component"), "Open the component libraries",
     CommandRoute::View},
    {ID_PLACE_ARRAY, "Arra&y...", "", "", "Place copies of the selected object in an array",
     CommandRoute::Tool, CommandKind::Array},
    {ID_PLACE_INSERT, "&Insert entitys", "", "",
     "Insert objects evenly between the two selected ones", CommandRoute::View},

    // Tools
    {ID_TOOL_MEASURE, "Measure", "", ICON("measure"), "Measure the distance between two points",
     CommandRoute::CheckedTool, CommandKind::Measure},
    {ID_TOOL_AREA_SELECT, "Rectangular marquee", "", ICON("select"), "Rectangular marquee",
     CommandRoute::CheckedTool, CommandKind::AreaSelect},
    {ID_TOOL_SET_ORIGIN, "&Set the Origin(&S)", "", "", "Click the new origin of the board",
     CommandRoute::Tool, CommandKind::SetOrigin},
    {ID_TOOL_RESET_ORIGIN, "&Reset the Origin(&R)", "", "",
     "Put the origin back at the photograph's bottom-left corner", CommandRoute::View},
    {ID_TOOL_JUMP_ORIGIN, "&Jump the Origin(&O)", "", "",
     "Show the origin and put the pointer on it", CommandRoute::View},
    {ID_TOOL_OFFSET, "&Offset", "", "", "Add a parallel copy of a track or arc", CommandRoute::Tool,
     CommandKind::Offset},
    {ID_TOOL_FILLET, "Fill&et", "", "", "Join two tracks with an arc", CommandRoute::Tool,
     CommandKind::Fillet},
    {ID_TOOL_CHAMFER, "Cha&mfer", "", "", "Join two tracks with a bevel", CommandRoute::Tool,
     CommandKind::Chamfer},
    {ID_TOOL_CALCULATOR, "Calculator", "", ICON("calc"), "Run the Calc.exe"},
    {ID_LAYER_SELECT, "Default layer select", "", "", "Default layer select"},

    // Help
    {ID_HELP_MANUAL, "&Manual...\t F1", "F1", ICON("manual"), "Open the manual"},
    {ID_HELP_HOMEPAGE, "&Our site(&O)", "", "", "Open Vantor's home page"},
    {ID_APP_ABOUT, "&About Vantor...", "", "", "Show the program's version"},
};

#undef ICON

} // namespace

std::span<const CommandInfo> CommandTable::All()
{
    return kCommands;
}

const CommandInfo* CommandTable::Find(int id)
{
    const auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
                                 [id](const CommandInfo& c) { return c.id == id; });
    return it == std::end(kCommands) ? nullptr : &*it;
}
