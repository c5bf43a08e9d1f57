#include "AboutDlg.h"

#include "AppIcon.h"
#include "resources/ResourceIds.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

CAboutDlg::CAboutDlg(wxWindow* parent) : CExchangeDialog(parent, IDD_ABOUTBOX, "About Treewright")
{
    const int gap = FromDIP(10);
    auto* icon = new wxStaticBitmap(this, IDC_ABOUT_ICON, AppIconBundle(32));

    auto* texts = new wxBoxSizer(wxVERTICAL);
    texts->Add(new wxStaticText(this, IDC_ABOUT_VERSION, "Treewright Version 1.0"), 0, wxBOTTOM, FromDIP(6));
    texts->Add(new wxStaticText(this, IDC_ABOUT_NOTE, "An editor for the behaviour scripts of The Sims"));

    auto* ok = new wxButton(this, wxID_OK, "OK");
    ok->SetDefault();

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(icon, 0, wxALIGN_TOP | wxRIGHT, gap);
    row->Add(texts, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap * 2);
    row->Add(ok, 0, wxALIGN_TOP);
    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(row, 1, wxEXPAND | wxALL, gap);
    SetSizerAndFit(outer);
    SetEscapeId(wxID_OK);
    CentreOnParent();
}
