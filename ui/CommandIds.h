#pragma once

// Command identifiers of the menus, the toolbar and the keyboard shortcuts.
// The numbers are the program's own command ids; board files and language
// files do not store them, but the language files' menu translations do
// refer to them, so they must not change.

namespace Cmd
{

// --- File --------------------------------------------------------------
constexpr int ID_FILE_NEW = 57600;
constexpr int ID_FILE_OPEN = 57601;
constexpr int ID_FILE_SAVE = 57603;
constexpr int ID_FILE_SAVE_AS = 57604;
constexpr int ID_FILE_PRINT_SETUP = 57606;
constexpr int ID_FILE_MRU_FILE1 = 57616; // recent files: 57616 .. 57631
constexpr int ID_FILE_MRU_LAST = 57631;
constexpr int RECENT_FILE_COUNT = 8; // entries actually shown
constexpr int ID_APP_EXIT = 57665;

constexpr int ID_FILE_IMPORT_VTX = 32762;
constexpr int ID_FILE_CLOSE_BOARD = 32763;
constexpr int ID_FILE_EXPORT_PCB = 32767;
constexpr int ID_FILE_OPEN_PHOTO = 32769;
constexpr int ID_FILE_CLOSE_ALL = 32770;
constexpr int ID_FILE_CLOSE_PHOTO = 32771;

// --- Edit --------------------------------------------------------------
constexpr int ID_EDIT_CLEAR = 57632;
constexpr int ID_EDIT_COPY = 57634;
constexpr int ID_EDIT_CUT = 57635;
constexpr int ID_EDIT_PASTE = 57637;
constexpr int ID_EDIT_REDO = 32804;
constexpr int ID_EDIT_UNDO = 32805;
constexpr int ID_EDIT_SELECT_ALL = 32818;

// --- Window panes (F6 / Shift+F6) ----------------------------------------
constexpr int ID_NEXT_PANE = 57680;
constexpr int ID_PREV_PANE = 57681;

// --- View --------------------------------------------------------------
constexpr int ID_VIEW_TOOLBAR = 59392;
constexpr int ID_VIEW_CROSS_LINE = 32806;
constexpr int ID_VIEW_ACTUAL_SIZE = 32807;
constexpr int ID_VIEW_UNIT_SWITCH = 32819;
constexpr int ID_VIEW_CAPTURE = 32823;
constexpr int ID_VIEW_LAYERS = 32829;

constexpr int ID_GRID_BASE = 32776; // grid step in mils = id - ID_GRID_BASE
constexpr int ID_GRID_1 = 32777;
constexpr int ID_GRID_10 = 32786;
constexpr int ID_GRID_OTHER = 32787;

constexpr int ID_ZOOM_IN = 32846;
constexpr int ID_ZOOM_OUT = 32847;
constexpr int ID_ZOOM_ALL = 32849;

constexpr int ID_LANGUAGE_DEFAULT = 5050; // language entries: 5050 .. 5099
constexpr int ID_LANGUAGE_LAST = 5099;
constexpr int IDR_POPUP_EDIT = 130; // the pop-up menu resource with Cut, Copy and Paste

// --- Place -------------------------------------------------------------
constexpr int ID_PLACE_PAD = 32798;
constexpr int ID_PLACE_VIA = 32799;
constexpr int ID_PLACE_TRACK = 32800;
constexpr int ID_PLACE_COMPONENT = 32808;
constexpr int ID_PLACE_STRING = 32809;
constexpr int ID_PLACE_ARC_CENTER = 32811;
constexpr int ID_PLACE_FILL = 32815;
constexpr int ID_PLACE_POLYGON = 32824;
constexpr int ID_PLACE_ARRAY = 32832;
constexpr int ID_PLACE_INSERT = 32833;
constexpr int ID_PLACE_ARC_3POINTS = 32848;

// --- Tools -------------------------------------------------------------
constexpr int ID_TOOL_MEASURE = 32774;
constexpr int ID_TOOL_AREA_SELECT = 32817;
constexpr int ID_TOOL_SET_ORIGIN = 32820;
constexpr int ID_TOOL_RESET_ORIGIN = 32821;
constexpr int ID_TOOL_JUMP_ORIGIN = 32822;
constexpr int ID_TOOL_CALCULATOR = 32831;
constexpr int ID_TOOL_OFFSET = 32842;
constexpr int ID_TOOL_FILLET = 32843;
constexpr int ID_TOOL_CHAMFER = 32844;

// --- Toolbar -----------------------------------------------------------
constexpr int ID_LAYER_SELECT = 32816; // the current-layer list

// --- Status bar indicators -----------------------------------------------
constexpr int ID_INDICATOR_CAPS = 59137;
constexpr int ID_INDICATOR_NUM = 59138;
constexpr int ID_INDICATOR_SCRL = 59139;

// --- Help --------------------------------------------------------------
constexpr int ID_HELP_HOMEPAGE = 32768;
constexpr int ID_HELP_MANUAL = 32850;
constexpr int ID_APP_ABOUT = 57664;

// The range the board view handles as one block.
constexpr int ID_VIEW_RANGE_FIRST = 32774;
constexpr int ID_VIEW_RANGE_LAST = 32849;

} // namespace Cmd
