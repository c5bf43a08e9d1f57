#include "ProblemsFrame.h"

#include "DocumentHint.h"
#include "ReportWindow.h"
#include "TreewrightDoc.h"
#include "TreewrightView.h"

#include "containers/TypeCodes.h"
#include "framework/UserInterface.h"
#include "records/ObjectDefinition.h"
#include "records/ObjectFunctions.h"
#include "resources/ResourceIds.h"

#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>

namespace
{
enum EColumn
{
    kSeverityColumn,
    kRecordColumn,
    kPlaceColumn,
    kProblemColumn,
};

wxString PlaceText(const CProblem& problem)
{
    const CRecordReference& place = problem.place;
    if (place.line >= 0)
        return wxString::Format("line %d", place.line + 1);  // numbered as the script editor shows
    if (place.interaction >= 0)
        return wxString::Format("interaction %d", place.interaction);
    if (place.field >= 0)
        return ObjectFieldName(std::uint16_t(place.field));
    if (place.function >= 0)
        return wxString::Format("%s of \"%s\"", place.checkTree ? "check" : "action",
                                ObjectFunctionName(std::size_t(place.function)));
    if (problem.row >= 0)
        return wxString::Format("row %d", problem.row);
    return wxString();
}

// The kind of record whose editor opens the problem's place: names open with their interaction
// table, a function table with its object.
std::optional<ERecordKind> EditedKind(std::uint32_t type)
{
    if (type == kTypeTtas)
        return ERecordKind::Interactions;
    if (type == kTypeObjf)
        return ERecordKind::Objects;
    return KindOfListedType(type);
}
}

CProblemsFrame::CProblemsFrame(wxWindow* parent, CTreewrightDoc& doc)
    : wxFrame(parent, IDD_PROBLEMS, "Problems", wxDefaultPosition, wxDefaultSize,
              wxDEFAULT_FRAME_STYLE),
      m_doc(&doc)
{
    m_list = BuildReportWindow(*this, IDC_PROBLEMS_SUMMARY, IDC_PROBLEMS_LIST,
                               {{"Severity", 80}, {"Record", 220}, {"Place", 170}, {"Problem", 420}}, wxSize(900, 240),
                               m_summary);

    m_list->Bind(wxEVT_LIST_ITEM_ACTIVATED, &CProblemsFrame::OnActivated, this);
    m_following = doc.Follow([this](const wxObject* hint) {
        // The global files are not loaded yet when the file was only read; the open says Opened.
        if (HintOf(hint) != EDocumentHint::FileRead)
            Fill();
    });
    Fill();
    if (m_list->GetItemCount() > 0)
        m_list->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                             wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
}

CProblemsFrame::~CProblemsFrame()
{
    if (m_doc)
        m_doc->Unfollow(m_following);
}

void CProblemsFrame::Fill()
{
    if (!m_doc)
        return;
    const long chosen = m_list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    m_problems = FindFileProblems(m_doc->Container(), m_doc->FileName(), m_doc->SemiGlobalName(), m_doc->NeededFiles());
    m_list->Freeze();
    m_list->DeleteAllItems();
    std::size_t counts[3] = {};
    for (std::size_t i = 0; i < m_problems.size(); ++i)
    {
        const CProblem& problem = m_problems[i];
        ++counts[std::size_t(problem.severity)];
        const std::optional<ERecordKind> kind = EditedKind(problem.place.type);
        const long row = m_list->InsertItem(static_cast<long>(i), ProblemSeverityWord(problem.severity));
        m_list->SetItem(row, kRecordColumn,
                        wxString::Format("%s #%u: ", kind ? RecordKindName(*kind) : TypeCodeText(problem.place.type).c_str(),
                                         unsigned(problem.place.id)) +
                            GameText(problem.place.name));
        m_list->SetItem(row, kPlaceColumn, PlaceText(problem));
        m_list->SetItem(row, kProblemColumn, wxString::FromUTF8(problem.message));
    }
    if (chosen >= 0 && m_list->GetItemCount() > 0)
    {
        const long kept = std::min<long>(chosen, m_list->GetItemCount() - 1);
        m_list->SetItemState(kept, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                             wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    }
    m_list->Thaw();
    const auto counted = [](std::size_t n, const char* word) {
        return wxString::Format("%zu %s%s", n, word, n == 1 ? "" : "s");
    };
    m_summary->SetLabel(m_problems.empty()
                            ? wxString("No problems found.")
                            : counted(counts[0], "error") + ", " + counted(counts[1], "warning") + ", " +
                                  counted(counts[2], "note") + ". Double-click one to open its place.");
}

void CProblemsFrame::OpenPlace(long row)
{
    if (!m_doc || row < 0 || static_cast<std::size_t>(row) >= m_problems.size())
        return;
    const CProblem problem = m_problems[static_cast<std::size_t>(row)];
    CTreewrightView* view = m_doc->View();
    const std::optional<ERecordKind> kind = EditedKind(problem.place.type);
    if (view == nullptr || !kind)
        return;
    view->SelectRecord(*kind, problem.place.id);
    // No record of an interaction table with names alone: the names are shown where they are.
    if (problem.place.type == kTypeTtas && !m_doc->Container().Chunks().empty())
    {
        CIffChunk table;
        table.type = kTypeTtab;
        table.id = problem.place.id;
        if (!m_doc->Container().FindChunk(table))
            return;
    }
    view->EditRecord(*kind, problem.place.id, problem.place.line >= 0 ? problem.place.line : problem.place.interaction);
}

void CProblemsFrame::OnActivated(wxListEvent& event)
{
    OpenPlace(event.GetIndex());
}
