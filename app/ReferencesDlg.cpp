#include "ReferencesDlg.h"

#include "TreewrightDoc.h"
#include "TreewrightView.h"

#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "editors/ScriptEditorDlg.h"
#include "framework/UserInterface.h"
#include "records/BhavScript.h"
#include "records/ObjectDefinition.h"
#include "records/ObjectFunctions.h"
#include "records/SemiGlobalReference.h"
#include "rendering/NeededFiles.h"
#include "resources/ResourceIds.h"
#include "resources/Strings.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>

namespace
{
enum EColumn
{
    kFileColumn,
    kRecordColumn,
    kPlaceColumn,
    kDescriptionColumn,
};

// The script's name where it lives: the open file's directory, or a loaded file's index.
std::string ScriptName(const CTreewrightDoc& doc, std::uint16_t id, const std::string& fileName)
{
    if (SameFileName(fileName, doc.FileName()))
    {
        CIffChunk chunk;
        chunk.type = kTypeBhav;
        chunk.id = id;
        return doc.Container().FindChunk(chunk) ? chunk.name : std::string();
    }
    for (const CFileScriptNames& file : doc.NeededFiles().Index())
        if (SameFileName(file.fileName, fileName))
            for (const CScriptNameEntry& script : file.scripts)
                if (script.id == id)
                    return script.name;
    return {};
}

wxString Title(const CTreewrightDoc& doc, std::uint16_t id, const std::string& fileName)
{
    wxString title = wxString::Format("References to #%u: ", unsigned(id)) + GameText(ScriptName(doc, id, fileName));
    if (!SameFileName(fileName, doc.FileName()))
        title += " (" + WxPath(fileName) + ")";
    return title;
}

wxString PlaceText(const CRecordReference& place)
{
    if (place.type == kTypeBhav)
        return wxString::Format("line %d", place.line + 1);  // numbered as the script editor shows
    if (place.type == kTypeObjd)
        return ObjectFieldName(std::uint16_t(place.field));
    if (place.type == kTypeObjf)
        return wxString::Format("%s of \"%s\"", place.checkTree ? "check" : "action",
                                ObjectFunctionName(std::size_t(place.function)));
    return wxString::Format("interaction %d, %s tree", place.interaction, place.checkTree ? "check" : "action");
}
}

CReferencesDlg::CReferencesDlg(wxWindow* parent, CTreewrightDoc& doc, std::uint16_t id, std::string fileName)
    : wxDialog(parent, IDD_REFERENCES, Title(doc, id, fileName), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      m_doc(doc), m_id(id), m_fileName(std::move(fileName))
{
    const int gap = FromDIP(7);
    m_summary = new wxStaticText(this, IDC_REFERENCES_SUMMARY, wxString());
    m_list = new wxListCtrl(this, IDC_REFERENCES_LIST, wxDefaultPosition, wxDefaultSize,
                            wxLC_REPORT | wxLC_SINGLE_SEL | wxBORDER_SUNKEN);
    m_list->SetMinSize(FromDIP(wxSize(920, 260)));
    m_list->InsertColumn(kFileColumn, "File", wxLIST_FORMAT_LEFT, FromDIP(140));
    m_list->InsertColumn(kRecordColumn, "Record", wxLIST_FORMAT_LEFT, FromDIP(250));
    m_list->InsertColumn(kPlaceColumn, "Place", wxLIST_FORMAT_LEFT, FromDIP(190));
    m_list->InsertColumn(kDescriptionColumn, "Description", wxLIST_FORMAT_LEFT, FromDIP(320));

    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(m_summary, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, gap);
    outer->Add(m_list, 1, wxEXPAND | wxALL, gap);
    outer->Add(new wxButton(this, wxID_CANCEL, "Close"), 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, gap);
    SetSizerAndFit(outer);

    m_list->Bind(wxEVT_LIST_ITEM_ACTIVATED, &CReferencesDlg::OnActivated, this);
    Fill();
    if (m_list->GetItemCount() > 0)
        m_list->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                             wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    m_list->SetFocus();
    CentreOnParent();
}

void CReferencesDlg::Fill()
{
    const std::vector<CReferenceSource> sources =
        ReferenceSources(m_doc.NeededFiles(), m_doc.Container(), m_doc.FileName(), m_doc.SemiGlobalName());
    m_references = FindScriptReferences(sources, m_doc.NeededFiles(), m_fileName, m_id);

    m_list->DeleteAllItems();
    for (std::size_t i = 0; i < m_references.size(); ++i)
    {
        const CScriptReference& reference = m_references[i];
        const CRecordReference& place = reference.place;
        // A function table is part of its object, listed under the definition's kind.
        const std::optional<ERecordKind> kind = KindOfListedType(place.type == kTypeObjf ? kTypeObjd : place.type);
        const long row = m_list->InsertItem(static_cast<long>(i), WxPath(reference.fileName));
        m_list->SetItem(row, kRecordColumn,
                        wxString::Format("%s #%u: ", kind ? RecordKindName(*kind) : "", unsigned(place.id)) +
                            GameText(place.name));
        m_list->SetItem(row, kPlaceColumn, PlaceText(place));
        m_list->SetItem(row, kDescriptionColumn, GameText(reference.text));
    }
    switch (m_references.size())
    {
    case 0:
        m_summary->SetLabel("No line and no interaction of the open file or the loaded files refers to it.");
        break;
    case 1:
        m_summary->SetLabel("1 place refers to it. Double-click it to open it.");
        break;
    default:
        m_summary->SetLabel(wxString::Format("%zu places refer to it. Double-click one to open it.",
                                             m_references.size()));
    }
}

bool CReferencesDlg::InOpenFile(const CScriptReference& reference) const
{
    // The loaded copy of the open file is never searched, so its name stands for the open file.
    return SameFileName(reference.fileName, m_doc.FileName());
}

void CReferencesDlg::OpenPlace(long row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_references.size())
        return;
    const CScriptReference reference = m_references[static_cast<std::size_t>(row)];
    if (!InOpenFile(reference))
    {
        if (reference.place.type == kTypeBhav)
            ShowLoadedScript(reference);
        else
            Ui().MessageBox(this,
                            wxString::Format("The %s of %s can be edited only with that file open.",
                                             reference.place.type == kTypeTtab ? "interactions" : "objects",
                                             WxPath(reference.fileName)),
                            kProgramName, wxOK | wxICON_INFORMATION);
        return;
    }
    CTreewrightView* view = m_doc.View();
    if (view == nullptr)
        return;
    if (reference.place.type == kTypeBhav)
        view->EditRecord(ERecordKind::Script, reference.place.id, reference.place.line);
    else if (reference.place.type == kTypeTtab)
        view->EditRecord(ERecordKind::Interactions, reference.place.id, reference.place.interaction);
    else
        view->EditRecord(ERecordKind::Objects, reference.place.id);
    // The edit may have moved, added or removed calls.
    Fill();
    if (m_list->GetItemCount() > 0)
    {
        const long kept = std::min<long>(row, m_list->GetItemCount() - 1);
        m_list->SetItemState(kept, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                             wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        m_list->EnsureVisible(kept);
    }
}

void CReferencesDlg::ShowLoadedScript(const CScriptReference& reference)
{
    const CNeededFiles& files = m_doc.NeededFiles();
    for (const CFileScriptNames& file : files.Index())
    {
        if (!SameFileName(file.fileName, reference.fileName))
            continue;
        CBhavScript script;
        if (!script.Load(*file.container, reference.place.id))
            return;
        const std::string name(file.fileName);
        CScriptEditorDlg dialog(this);
        dialog.SetScript(script, files, name, ReadSemiGlobalName(*file.container));
        dialog.SetInitialLine(reference.place.line);
        // The loaded files are only read: the script is a copy that no OK could store.
        dialog.SetReadOnly(name);
        Ui().RunModal(dialog);
        return;
    }
}

void CReferencesDlg::OnActivated(wxListEvent& event)
{
    OpenPlace(event.GetIndex());
}

void ShowScriptReferences(wxWindow* parent, CTreewrightDoc& doc, std::uint16_t id, const std::string& fileName)
{
    CReferencesDlg dialog(parent, doc, id, fileName);
    Ui().RunModal(dialog);
}
