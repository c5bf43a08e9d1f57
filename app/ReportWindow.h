#pragma once

#include <wx/gdicmn.h>

#include <initializer_list>

class wxFrame;
class wxListCtrl;
class wxStaticText;

/// One column of a report list: its title and width (in DIPs).
struct CReportColumn
{
    const char* title;
    int width;
};

/// Fills `frame` with what the windows beside the main one show: a summary line above a list of
/// rows with `columns`, at least `minSize` (DIPs) large. `summary` gets the line.
wxListCtrl* BuildReportWindow(wxFrame& frame, int summaryId, int listId, std::initializer_list<CReportColumn> columns,
                              wxSize minSize, wxStaticText*& summary);
