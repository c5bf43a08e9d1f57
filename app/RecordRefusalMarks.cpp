#include "RecordRefusalMarks.h"

#include "TreewrightView.h"

#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "framework/ListItemMarks.h"
#include "framework/UserInterface.h"
#include "records/RecordCheck.h"
#include "records/RecordFault.h"

#include <wx/listbox.h>

void CRecordRefusalMarks::Attach(wxListBox& list, ERecordKind kind, std::function<void(const wxString&)> showStatus)
{
    wxListBox* const shown = &list;
    // The entries read "#id: name".
    GreyListItems(list, [this, kind](const wxString& text) {
        unsigned long id = 0;
        return text.StartsWith("#") && text.Mid(1).BeforeFirst(':').ToULong(&id) && id <= 0xFFFF &&
               !ReasonOf(kind, std::uint16_t(id)).empty();
    });
    list.Bind(wxEVT_MOTION, [this, shown, kind](wxMouseEvent& event) {
        event.Skip();
        const int item = shown->HitTest(event.GetPosition());
        const wxString reason = item != wxNOT_FOUND ? ReasonOf(kind, ChunkIdOf(*shown, unsigned(item))) : wxString();
        if (reason != shown->GetToolTipText())
        {
            if (reason.empty())
                shown->UnsetToolTip();
            else
                shown->SetToolTip(reason);
        }
    });
    list.Bind(wxEVT_LISTBOX, [this, shown, kind, showStatus](wxCommandEvent& event) {
        event.Skip();
        const int item = shown->GetSelection();
        const wxString reason = item != wxNOT_FOUND ? ReasonOf(kind, ChunkIdOf(*shown, unsigned(item))) : wxString();
        if (!reason.empty())
            showStatus(reason);
        else if (m_statusShowsReason)
            showStatus("Ready");
        m_statusShowsReason = !reason.empty();
    });
}

void CRecordRefusalMarks::Update(const CIffFile& container)
{
    m_container = &container;
    m_reasons.clear();
}

wxString CRecordRefusalMarks::ReasonOf(ERecordKind kind, std::uint16_t id) const
{
    if (m_container == nullptr)
        return wxString();
    const auto [found, first] = m_reasons.try_emplace({kind, id});
    if (!first)
        return found->second;
    const std::uint32_t listed = ListedType(kind);
    // An interaction table opens with its names of the same id, so either refuses it; an object
    // opens with its function table when it has one, and without one all the same.
    const std::uint32_t companion = kind == ERecordKind::Interactions ? kTypeTtas
                                    : kind == ERecordKind::Objects    ? kTypeObjf
                                                                      : 0u;
    CIffChunk query;
    query.type = listed;
    query.id = id;
    if (!m_container->FindChunk(query))
        return wxString();
    for (const std::uint32_t type : {listed, companion})
    {
        std::string name;
        const CRecordFault fault = type != 0 ? RecordLoadFault(*m_container, type, id, name) : CRecordFault();
        if (fault && !(type == kTypeObjf && fault.what == ERecordFault::Missing))
        {
            found->second = GameText(RecordRefusalText(type, id, name, fault));
            break;
        }
    }
    return found->second;
}
