#pragma once

// Ids of the script's graph window (opened by the script editor's IDC_SCRIPT_GRAPH). Our own
// window, not one of the program's templates: the numbers are chosen clear of theirs.

// The graph window's commands.
constexpr int ID_GRAPH_EXPORT_SVG = 32100;
constexpr int ID_GRAPH_EXPORT_PNG = 32101;
constexpr int ID_GRAPH_EXPORT_DOT = 32102;
constexpr int ID_GRAPH_ZOOM_IN = 32103;
constexpr int ID_GRAPH_ZOOM_OUT = 32104;
constexpr int ID_GRAPH_FIT = 32105;
constexpr int ID_GRAPH_CANCEL_LAYOUT = 32106;
constexpr int ID_GRAPH_LAY_OUT_AGAIN = 32107;
