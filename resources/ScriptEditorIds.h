#pragma once

// Ids of the script editor and its two line editors. OK and Cancel use wxID_OK and wxID_CANCEL,
// as in every dialog of the program (see ResourceIds.h). Two dialogs may use the same number for
// different controls (3011); each id is looked up only inside its own dialog.

// Script editor (dialog 132).
constexpr int IDD_SCRIPT_EDITOR = 132;
constexpr int IDC_SCRIPT_LINES = 1010;
constexpr int IDC_SCRIPT_OPTIMIZE = 1026;
constexpr int IDC_SCRIPT_ADD = 1036;
constexpr int IDC_SCRIPT_DELETE = 1037;
constexpr int IDC_SCRIPT_COPY = 1029;
// Our own: the commands that keep jumps on their instructions, the other line commands of the
// context menu and the keys, and the status line under the list.
constexpr int IDC_SCRIPT_INSERT = 1301;
constexpr int IDC_SCRIPT_MOVE_UP = 1302;
constexpr int IDC_SCRIPT_MOVE_DOWN = 1303;
constexpr int IDC_SCRIPT_DELETE_RENUMBER = 1304;
constexpr int IDC_SCRIPT_EDIT_LINE = 1305;
constexpr int IDC_SCRIPT_GO_TO = 1306;
constexpr int IDC_SCRIPT_COPY_TEXT = 1307;
constexpr int IDC_SCRIPT_SELECT_ALL = 1308;
constexpr int IDC_SCRIPT_UNDO = 1309;
constexpr int IDC_SCRIPT_REDO = 1310;
constexpr int IDC_SCRIPT_FIND_REFERENCES = 1311;
constexpr int IDC_SCRIPT_STATUS = 1312;
// The "Graph" button (Ctrl+G), which opens the script's graph window beside the editor.
constexpr int IDC_SCRIPT_GRAPH = 1313;

// Line editor (dialog 135).
constexpr int IDD_LINE_EDIT = 135;
constexpr int IDC_LINE_FUNCTION_SCOPE = 1017;
constexpr int IDC_LINE_FUNCTION = 3011;
constexpr int IDC_LINE_PARAMETERS = 1020;
constexpr int IDC_LINE_SUCCESS_CHOICE = 1032;
constexpr int IDC_LINE_SUCCESS_LINE = 1021;
constexpr int IDC_LINE_FAILURE_CHOICE = 1031;
constexpr int IDC_LINE_FAILURE_LINE = 1022;
constexpr int IDC_LINE_EXPERT_EDIT = 1023;

// Expert line editor (dialog 3004). Each row pairs a hexadecimal field with a decimal one:
// row 0 the function (opcode), rows 1 to 4 parameters 0 to 3.
constexpr int IDD_EXPERT_LINE = 3004;
constexpr int IDC_EXPERT_FUNCTION_HEX = 3011;
constexpr int IDC_EXPERT_PARAM0_HEX = 3012;
constexpr int IDC_EXPERT_PARAM1_HEX = 3013;
constexpr int IDC_EXPERT_PARAM2_HEX = 3014;
constexpr int IDC_EXPERT_PARAM3_HEX = 3015;
constexpr int IDC_EXPERT_FUNCTION_DEC = 3016;
constexpr int IDC_EXPERT_PARAM0_DEC = 3017;
constexpr int IDC_EXPERT_PARAM1_DEC = 3018;
constexpr int IDC_EXPERT_PARAM2_DEC = 3019;
constexpr int IDC_EXPERT_PARAM3_DEC = 3020;
constexpr int IDC_EXPERT_DESCRIPTION = 1039;
constexpr int IDC_EXPERT_TRUE_TARGET = 3021;
constexpr int IDC_EXPERT_FALSE_TARGET = 3022;
