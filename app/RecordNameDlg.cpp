#include "RecordNameDlg.h"

#include "containers/NumberText.h"
#include "framework/UserInterface.h"
#include "resources/ResourceIds.h"
#include "resources/Strings.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace
{
// Ids are typed as the lists show them, in decimal, or in hexadecimal as modders often write them.
std::optional<long long> ParseId(const wxString& text)
{
    const CResult<std::int64_t, ENumberText> id = ParseInteger(text.utf8_string(), 0, 0xFFFF, ENumberForm::DecimalOrHex);
    return id ? std::optional<long long>(*id) : std::nullopt;
}
}

CRecordNameDlg::CRecordNameDlg(wxWindow* parent, const wxString& title, const CIffFile& container, ERecordKind kind,
                               const std::string& name, std::uint16_t id, std::optional<std::uint16_t> ownId)
    : CExchangeDialog(parent, IDD_RECORD_NAME, title), m_container(container), m_kind(kind), m_ownId(ownId),
      m_name(GameText(name)), m_idText(wxString::Format("%u", unsigned(id))), m_nameBytes(name), m_id(id)
{
    const int gap = FromDIP(7);
    auto* fields = new wxFlexGridSizer(2, gap, gap);
    fields->AddGrowableCol(1);
    fields->Add(new wxStaticText(this, wxID_ANY, "&Name:"), 0, wxALIGN_CENTER_VERTICAL);
    auto* nameField = new wxTextCtrl(this, IDC_RECORD_NAME);
    nameField->SetMinSize(wxSize(ConvertDialogToPixels(wxSize(160, 0)).x, -1));
    fields->Add(nameField, 1, wxEXPAND);
    fields->Add(new wxStaticText(this, wxID_ANY, "&Id:"), 0, wxALIGN_CENTER_VERTICAL);
    fields->Add(new wxTextCtrl(this, IDC_RECORD_ID), 0);

    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(fields, 0, wxEXPAND | wxALL, gap);
    if (m_ownId)
    {
        const CRecordRenumbering renumbering = RenumberingOf(container, kind, *m_ownId, *m_ownId);
        if (!renumbering.follow.empty())
            outer->Add(new wxCheckBox(this, IDC_RECORD_FOLLOW,
                                      wxString::Format("%zu references will follow", renumbering.follow.size())),
                       0, wxLEFT | wxRIGHT | wxBOTTOM, gap);
        // What cannot follow is said before the id is changed, not found out afterwards.
        wxString behind;
        if (!renumbering.stay.empty())
            behind << wxString::Format("%zu references of this file reach another file and stay behind.",
                                       renumbering.stay.size());
        if (renumbering.calledFromOtherFiles)
            behind << (behind.empty() ? "" : "\n") << "Calls from other files to #" << unsigned(*m_ownId)
                   << " cannot be updated.";
        if (const std::string unread = UnreadReferrersText(UnreadReferrers(container, kind)); !unread.empty())
            behind << (behind.empty() ? "" : "\n") << GameText(unread);
        if (!behind.empty())
            outer->Add(new wxStaticText(this, wxID_ANY, behind), 0, wxLEFT | wxRIGHT | wxBOTTOM, gap);
    }

    auto* buttons = new wxStdDialogButtonSizer;
    buttons->AddButton(new wxButton(this, wxID_OK, "OK"));
    buttons->AddButton(new wxButton(this, wxID_CANCEL, "Cancel"));
    buttons->Realize();

    outer->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, gap);
    SetSizerAndFit(outer);
    CentreOnParent();
}

void CRecordNameDlg::DoDataExchange(CDataExchange& dx)
{
    dx.Text(IDC_RECORD_NAME, m_name);
    if (dx.Reading())
    {
        m_nameBytes = GameBytes(m_name);
        if (const std::string problem = RecordNameProblem(m_nameBytes); !problem.empty())
            dx.Fail(IDC_RECORD_NAME, problem);
    }
    dx.Text(IDC_RECORD_ID, m_idText);
    if (dx.Reading() && !dx.Failed())
    {
        const std::optional<long long> id = ParseId(m_idText);
        if (!id || *id < 0 || *id > 0xFFFF)
        {
            dx.Fail(IDC_RECORD_ID, FormatMessage(kParseIntRangeMessage, "0", "65535"));
            return;
        }
        if (!m_ownId || *id != *m_ownId)
            if (const std::string problem = RecordIdProblem(m_container, m_kind, *id); !problem.empty())
            {
                dx.Fail(IDC_RECORD_ID, problem);
                return;
            }
        if (FindWindow(IDC_RECORD_FOLLOW) != nullptr)
            dx.Check(IDC_RECORD_FOLLOW, m_follow);
        if (m_ownId && *id != *m_ownId && m_follow != 0)
            if (const std::string problem = RenumberingOf(m_container, m_kind, *m_ownId, std::uint16_t(*id)).problem;
                !problem.empty())
            {
                dx.Fail(IDC_RECORD_ID, problem);
                return;
            }
        m_id = std::uint16_t(*id);
    }
    else if (!dx.Reading() && FindWindow(IDC_RECORD_FOLLOW) != nullptr)
        dx.Check(IDC_RECORD_FOLLOW, m_follow);
}
