#include "ComparisonFrame.h"

#include "DocumentHint.h"
#include "ReportWindow.h"
#include "TreewrightDoc.h"
#include "TreewrightView.h"

#include "analysis/RecordView.h"
#include "containers/FilePath.h"
#include "containers/TypeCodes.h"
#include "framework/UserInterface.h"
#include "records/SemiGlobalReference.h"
#include "rendering/PlainTextRenderer.h"
#include "resources/ResourceIds.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <filesystem>

namespace
{
enum EColumn
{
    kRecordColumn,
    kPlaceColumn,
    kChangeColumn,
};

wxString RecordText(const CRecordKey& record)
{
    return wxString::Format("%s #%u: ", TypeCodeText(record.type).c_str(), unsigned(record.id)) +
           wxString::FromUTF8(record.name);
}

// The record's text in `file`, or a sentence saying the file does not hold it.
wxString VersionText(const CIffFile& file, const CRecordKey& record, const CPlainTextRenderer& renderer)
{
    for (std::size_t i = 0; i < file.Chunks().size(); ++i)
        if (file.Chunks()[i].type == record.type && file.Chunks()[i].id == record.id)
            return wxString::FromUTF8(FormatRecordText(file, i, renderer));
    return "This file does not hold the record.";
}

// The record's two versions side by side; the other file's cannot be changed here.
class CRecordVersionsDlg : public wxDialog
{
public:
    CRecordVersionsDlg(wxWindow* parent, const wxString& record, const wxString& openTitle, const wxString& open,
                       const wxString& otherTitle, const wxString& other, bool editable)
        : wxDialog(parent, IDD_RECORD_VERSIONS, record, wxDefaultPosition, wxDefaultSize,
                   wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER)
    {
        const int gap = FromDIP(7);
        auto* sides = new wxBoxSizer(wxHORIZONTAL);
        for (const auto& [id, title, text] : {std::tuple(IDC_VERSIONS_OPEN, openTitle, open),
                                              std::tuple(IDC_VERSIONS_OTHER, otherTitle, other)})
        {
            auto* side = new wxBoxSizer(wxVERTICAL);
            side->Add(new wxStaticText(this, wxID_ANY, title), 0, wxBOTTOM, gap / 2);
            auto* field = new wxTextCtrl(this, id, text, wxDefaultPosition, FromDIP(wxSize(520, 420)),
                                         wxTE_MULTILINE | wxTE_READONLY | wxTE_DONTWRAP | wxHSCROLL);
            field->SetFont(wxFontInfo(9).Family(wxFONTFAMILY_TELETYPE));
            side->Add(field, 1, wxEXPAND);
            sides->Add(side, 1, wxEXPAND | wxALL, gap);
        }
        auto* buttons = new wxBoxSizer(wxHORIZONTAL);
        auto* edit = new wxButton(this, IDC_VERSIONS_EDIT, "&Edit in the Open File...");
        edit->Enable(editable);
        buttons->Add(edit, 0, wxRIGHT, gap);
        buttons->Add(new wxButton(this, wxID_CANCEL, "Close"));
        auto* outer = new wxBoxSizer(wxVERTICAL);
        outer->Add(sides, 1, wxEXPAND);
        outer->Add(buttons, 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, gap);
        SetSizerAndFit(outer);
        edit->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { EndModal(IDC_VERSIONS_EDIT); });
        CentreOnParent();
    }
};
}

CComparisonFrame::CComparisonFrame(wxWindow* parent, CTreewrightDoc& doc, const std::string& otherPath, CIffFile other)
    : wxFrame(parent, IDD_COMPARISON, wxString(), wxDefaultPosition, wxDefaultSize, wxDEFAULT_FRAME_STYLE),
      m_doc(&doc), m_otherName(Utf8FromPath(PathFromUtf8(otherPath).filename())), m_other(std::move(other))
{
    SetTitle("Compared with " + WxPath(m_otherName));
    m_otherFiles.Add(m_other, m_otherName);
    m_list = BuildReportWindow(*this, IDC_COMPARISON_SUMMARY, IDC_COMPARISON_LIST,
                               {{"Record", 230}, {"Place", 150}, {"Change", 500}}, wxSize(900, 260), m_summary);

    m_list->Bind(wxEVT_LIST_ITEM_ACTIVATED, &CComparisonFrame::OnActivated, this);
    m_following = doc.Follow([this](const wxObject* hint) {
        if (HintOf(hint) != EDocumentHint::FileRead)
            Fill();
    });
    Fill();
}

CComparisonFrame::~CComparisonFrame()
{
    if (m_doc)
        m_doc->Unfollow(m_following);
}

void CComparisonFrame::Fill()
{
    if (!m_doc)
        return;
    // The other file is the older side: a record only the open file holds was added to it.
    const CPlainTextRenderer otherRenderer(m_otherFiles, m_otherName, ReadSemiGlobalName(m_other));
    const CPlainTextRenderer openRenderer(m_doc->NeededFiles(), m_doc->FileName(), m_doc->SemiGlobalName());
    const CFileComparison comparison = CompareFiles(m_other, otherRenderer, m_doc->Container(), openRenderer);
    m_rows.clear();
    m_list->Freeze();
    m_list->DeleteAllItems();
    const auto add = [this](const CRow& row, const wxString& place, const wxString& change) {
        const long item = m_list->InsertItem(m_list->GetItemCount(), RecordText(row.record));
        m_list->SetItem(item, kPlaceColumn, place);
        m_list->SetItem(item, kChangeColumn, change);
        m_rows.push_back(row);
    };
    for (const CRecordKey& record : comparison.added)
        add({record, -1, true, false}, wxString(), "only in the open file");
    for (const CRecordKey& record : comparison.removed)
        add({record, -1, false, true}, wxString(), "only in " + WxPath(m_otherName));
    for (const CRecordDifference& difference : comparison.changed)
        for (const CEntryChange& change : difference.changes)
        {
            const std::string text = FormatEntryChange(change);
            // The place leads the change's text; the column shows it apart.
            const std::string prefix = change.place + ": ";
            const std::string rest = text.compare(0, prefix.size(), prefix) == 0 ? text.substr(prefix.size()) : text;
            add({difference.record, change.line - 1, true, true}, wxString::FromUTF8(change.place == "bytes" ? "" : change.place),
                wxString::FromUTF8(rest));
        }
    m_list->Thaw();
    m_summary->SetLabel(comparison.Same()
                            ? "The files hold the same records."
                            : wxString::Format("%zu added, %zu removed, %zu changed since %s. Double-click a row to see both versions.",
                                               comparison.added.size(), comparison.removed.size(),
                                               comparison.changed.size(), WxPath(m_otherName)));
}

void CComparisonFrame::OpenRow(long row)
{
    if (!m_doc || row < 0 || static_cast<std::size_t>(row) >= m_rows.size())
        return;
    const CRow chosen = m_rows[static_cast<std::size_t>(row)];
    const CPlainTextRenderer otherRenderer(m_otherFiles, m_otherName, ReadSemiGlobalName(m_other));
    const CPlainTextRenderer openRenderer(m_doc->NeededFiles(), m_doc->FileName(), m_doc->SemiGlobalName());
    const std::optional<ERecordKind> kind =
        KindOfListedType(chosen.record.type == kTypeTtas ? kTypeTtab
                                                         : chosen.record.type == kTypeObjf ? kTypeObjd : chosen.record.type);
    CRecordVersionsDlg dialog(this, RecordText(chosen.record), "Open file: " + WxPath(m_doc->FileName()),
                              VersionText(m_doc->Container(), chosen.record, openRenderer),
                              WxPath(m_otherName) + " (read-only)", VersionText(m_other, chosen.record, otherRenderer),
                              kind.has_value() && chosen.inOpen);
    if (Ui().RunModal(dialog) != IDC_VERSIONS_EDIT || !kind)
        return;
    if (CTreewrightView* view = m_doc->View())
    {
        view->SelectRecord(*kind, chosen.record.id);
        view->EditRecord(*kind, chosen.record.id, chosen.line);
    }
}

void CComparisonFrame::OnActivated(wxListEvent& event)
{
    OpenRow(event.GetIndex());
}
