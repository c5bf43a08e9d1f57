#include "ReportWindow.h"

#include <wx/frame.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

wxListCtrl* BuildReportWindow(wxFrame& frame, int summaryId, int listId, std::initializer_list<CReportColumn> columns,
                              wxSize minSize, wxStaticText*& summary)
{
    // A panel gives the frame's keys and colours the dialogs' behaviour.
    auto* panel = new wxPanel(&frame);
    const int gap = frame.FromDIP(7);
    summary = new wxStaticText(panel, summaryId, wxString());
    auto* list = new wxListCtrl(panel, listId, wxDefaultPosition, wxDefaultSize,
                                wxLC_REPORT | wxLC_SINGLE_SEL | wxBORDER_SUNKEN);
    list->SetMinSize(frame.FromDIP(minSize));
    int index = 0;
    for (const CReportColumn& column : columns)
        list->InsertColumn(index++, column.title, wxLIST_FORMAT_LEFT, frame.FromDIP(column.width));
    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(summary, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, gap);
    outer->Add(list, 1, wxEXPAND | wxALL, gap);
    panel->SetSizer(outer);
    auto* frameSizer = new wxBoxSizer(wxVERTICAL);
    frameSizer->Add(panel, 1, wxEXPAND);
    frame.SetSizerAndFit(frameSizer);
    return list;
}
