#pragma once

// Resource, command and control ids of the editor program. The numbers are the program's own
// resource numbers, kept so that every window, command and control is known by one id across
// the program, its tests and its screenshots.
//
// The OK and Cancel buttons of every dialog use wxWidgets' standard ids (wxID_OK, wxID_CANCEL):
// only those get the toolkit's Enter and Escape handling and button order, so a modal run ends
// with wxID_OK or wxID_CANCEL.

// Templates: menu, accelerators, icon and toolbar of the main window share one id.
constexpr int IDR_MAINFRAME = 128;
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_TREEWRIGHT_FORM = 101;
constexpr int IDD_LOADING = 137;

// Commands of the main menu, the accelerators and the toolbar. The Windows resources number them
// from 57600 up, but wxWidgets takes only ids below 32767 (they are signed 16-bit on Windows), so
// each keeps its resource number with the top bit cleared. wxWidgets' standard ids (wxID_SAVE and
// the like) are not used for them: the document manager answers those itself, before the main
// window, with rules of its own (Save only when modified, Undo through a command history).
constexpr int kResourceCommandBit = 0x8000;
constexpr int ID_FILE_NEW = 57600 - kResourceCommandBit;
constexpr int ID_FILE_OPEN = 57601 - kResourceCommandBit;
constexpr int ID_FILE_SAVE = 57603 - kResourceCommandBit;
constexpr int ID_FILE_SAVE_AS = 57604 - kResourceCommandBit;
constexpr int ID_FILE_PRINT = 57607 - kResourceCommandBit;
constexpr int ID_FILE_MRU_FILE1 = 57616 - kResourceCommandBit;
constexpr int ID_FILE_MRU_COUNT = 4;
constexpr int ID_EDIT_COPY = 57634 - kResourceCommandBit;
constexpr int ID_EDIT_CUT = 57635 - kResourceCommandBit;
constexpr int ID_EDIT_PASTE = 57637 - kResourceCommandBit;
constexpr int ID_EDIT_UNDO = 57643 - kResourceCommandBit;
constexpr int ID_EDIT_REDO = 57644 - kResourceCommandBit;
constexpr int ID_APP_ABOUT = 57664 - kResourceCommandBit;
constexpr int ID_APP_EXIT = 57665 - kResourceCommandBit;
constexpr int ID_NEXT_PANE = 57680 - kResourceCommandBit;
constexpr int ID_PREV_PANE = 57681 - kResourceCommandBit;
constexpr int ID_VIEW_TOOLBAR = 59392 - kResourceCommandBit;
constexpr int ID_VIEW_STATUS_BAR = 59393 - kResourceCommandBit;
// Our own command: choosing the game's data folder where no registry names it.
constexpr int ID_FILE_GAME_DATA_FOLDER = 32001;
// Our own command: the differences between the open file and another version of it.
constexpr int ID_FILE_COMPARE_WITH = 32002;
// Our own record commands of the Edit menu and the lists' context menus. "New" alone makes a
// record of the kind of the list in use.
constexpr int ID_RECORD_NEW = 32010;
constexpr int ID_RECORD_NEW_SCRIPT = 32011;
constexpr int ID_RECORD_NEW_STRINGS = 32012;
constexpr int ID_RECORD_NEW_INTERACTIONS = 32013;
constexpr int ID_RECORD_NEW_CONSTANTS = 32014;
constexpr int ID_RECORD_NEW_OBJECT = 32018;
constexpr int ID_RECORD_DUPLICATE = 32015;
constexpr int ID_RECORD_RENAME = 32016;
constexpr int ID_RECORD_DELETE = 32017;
// Finding one's way: the filter of the list in use, and every place that refers to a script.
constexpr int ID_EDIT_FIND = 32020;
constexpr int ID_FIND_REFERENCES = 32021;
// The window of the open file's problems (View menu).
constexpr int ID_VIEW_PROBLEMS = 32040;

// Bars of the main window (0xE800 and 0xE801 in the Windows resources).
constexpr int AFX_IDW_TOOLBAR = 0xE800 - kResourceCommandBit;
constexpr int AFX_IDW_STATUS_BAR = 0xE801 - kResourceCommandBit;

// Main view (form 101).
constexpr int IDC_SEMI_GLOBAL = 1000;
constexpr int IDC_SCRIPT_LIST = 1001;
constexpr int IDC_STRING_LIST = 1002;
constexpr int IDC_INTERACTION_LIST = 1003;
constexpr int IDC_CONSTANT_LIST = 1011;
constexpr int IDC_OBJECT_LIST = 1014;
// The filters above the lists (our own controls).
constexpr int IDC_SCRIPT_FILTER = 1301;
constexpr int IDC_STRING_FILTER = 1302;
constexpr int IDC_INTERACTION_FILTER = 1303;
constexpr int IDC_CONSTANT_FILTER = 1304;
constexpr int IDC_OBJECT_FILTER = 1305;

// Loading dialog (dialog 137).
constexpr int IDC_LOAD_PROGRESS = 1024;
constexpr int IDC_LOAD_STATUS = 1025;

// Name and id of a new, duplicated or renamed record (our own template).
constexpr int IDD_RECORD_NAME = 140;
constexpr int IDC_RECORD_NAME = 1200;
constexpr int IDC_RECORD_ID = 1201;
constexpr int IDC_RECORD_FOLLOW = 1202;

// Places that refer to a script (our own template).
constexpr int IDD_REFERENCES = 142;
constexpr int IDC_REFERENCES_SUMMARY = 1310;
constexpr int IDC_REFERENCES_LIST = 1311;

// The problems of the open file (our own window).
constexpr int IDD_PROBLEMS = 143;
constexpr int IDC_PROBLEMS_SUMMARY = 1320;
constexpr int IDC_PROBLEMS_LIST = 1321;

// The differences from another file (our own window), and one record's two versions side by side.
constexpr int IDD_COMPARISON = 144;
constexpr int IDC_COMPARISON_SUMMARY = 1330;
constexpr int IDC_COMPARISON_LIST = 1331;
constexpr int IDD_RECORD_VERSIONS = 145;
constexpr int IDC_VERSIONS_OPEN = 1340;
constexpr int IDC_VERSIONS_OTHER = 1341;
constexpr int IDC_VERSIONS_EDIT = 1342;

// About box (dialog 100).
constexpr int IDC_ABOUT_ICON = 1100;
constexpr int IDC_ABOUT_VERSION = 1101;
constexpr int IDC_ABOUT_NOTE = 1102;
