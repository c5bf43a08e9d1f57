#include "TreewrightDocManager.h"

#include "TreewrightDoc.h"

#include "framework/UserInterface.h"
#include "resources/ResourceIds.h"
#include "resources/Strings.h"

#include <wx/config.h>
#include <wx/filehistory.h>
#include <wx/filename.h>

namespace
{
// Where the settings keep the recently used files.
constexpr const char* kRecentFilesGroup = "/Recent File List";
}

CTreewrightDocManager::CTreewrightDocManager() : wxDocManager(0, false)
{
    // The base constructor cannot reach our OnCreateFileHistory, so initialise here.
    Initialize();
}

CTreewrightDoc* CTreewrightDocManager::Document() const
{
    const wxList& documents = const_cast<CTreewrightDocManager*>(this)->GetDocuments();
    return documents.empty() ? nullptr : wxDynamicCast(documents.GetFirst()->GetData(), CTreewrightDoc);
}

CTreewrightDoc* CTreewrightDocManager::MakeDocument()
{
    if (CTreewrightDoc* doc = Document())
        return doc;
    wxList& templates = GetTemplates();
    if (templates.empty())
        return nullptr;
    auto* docTemplate = static_cast<wxDocTemplate*>(templates.GetFirst()->GetData());
    wxDocument* doc = docTemplate->CreateDocument(wxString(), wxDOC_NEW);
    if (doc == nullptr)
        return nullptr;
    doc->SetDocumentName(docTemplate->GetDocumentName());
    doc->OnNewDocument();
    return wxDynamicCast(doc, CTreewrightDoc);
}

wxDocument* CTreewrightDocManager::CreateDocument(const wxString& path, long flags)
{
    const bool first = Document() == nullptr;
    CTreewrightDoc* doc = MakeDocument();
    if (doc == nullptr)
        return nullptr;
    if (flags & wxDOC_NEW)
        return first || NewDocument() ? doc : nullptr;
    return OpenDocument(path) ? doc : nullptr;
}

bool CTreewrightDocManager::NewDocument()
{
    CTreewrightDoc* doc = Document();
    if (doc == nullptr)
        return MakeDocument() != nullptr;
    if (!doc->OnSaveModified())
        return false;
    return doc->OnNewDocument();
}

bool CTreewrightDocManager::OpenDocument(const wxString& requestedPath)
{
    CTreewrightDoc* doc = MakeDocument();
    if (doc == nullptr)
        return false;
    wxString path = requestedPath;
    if (path.empty())
    {
        const wxString wildcard = wxString(kDocTemplateFilterName) + "|*.iff;*.IFF;*.Iff|All Files (*.*)|*";
        path = Ui().ChooseFileToOpen(doc->GetDocumentWindow(), "Open", wildcard, GetLastDirectory());
        if (path.empty())
            return false;
    }
    // Kept absolute: the recent files and Save must still find it from another working folder.
    wxFileName absolute(path);
    absolute.MakeAbsolute();
    path = absolute.GetFullPath();
    if (!doc->OnSaveModified())
        return false;
    if (!doc->OnOpenDocument(path))
        return false;
    SetLastDirectory(wxFileName(path).GetPath());
    AddFileToHistory(path);
    return true;
}

bool CTreewrightDocManager::SaveDocument()
{
    CTreewrightDoc* doc = Document();
    return doc != nullptr && doc->Save();
}

bool CTreewrightDocManager::SaveDocumentAs()
{
    CTreewrightDoc* doc = Document();
    return doc != nullptr && doc->SaveAs();
}

void CTreewrightDocManager::OpenRecentFile(unsigned int index)
{
    DoOpenMRUFile(index);
}

void CTreewrightDocManager::OnMRUFileNotExist(unsigned int index, const wxString& file)
{
    ShowErrorMessage(Document() != nullptr ? Document()->GetDocumentWindow() : nullptr,
                     wxString::Format("%s was not found.\nIt has been removed from the recently used files.", file));
    RemoveFileFromHistory(index);
}

wxFileHistory* CTreewrightDocManager::OnCreateFileHistory()
{
    return new wxFileHistory(ID_FILE_MRU_COUNT, ID_FILE_MRU_FILE1);
}

wxString CTreewrightDocManager::MakeNewDocumentName()
{
    return kUntitledName;
}

void CTreewrightDocManager::AddFileToHistory(const wxString& file)
{
    wxDocManager::AddFileToHistory(file);
    HistoryChanged();
}

void CTreewrightDocManager::RemoveFileFromHistory(size_t index)
{
    wxDocManager::RemoveFileFromHistory(index);
    HistoryChanged();
}

void CTreewrightDocManager::FileHistoryLoad(const wxConfigBase& config)
{
    const wxString previous = config.GetPath();
    const_cast<wxConfigBase&>(config).SetPath(kRecentFilesGroup);
    wxDocManager::FileHistoryLoad(config);
    const_cast<wxConfigBase&>(config).SetPath(previous);
    if (m_historyChanged)
        m_historyChanged();
}

void CTreewrightDocManager::FileHistorySave(wxConfigBase& config)
{
    const wxString previous = config.GetPath();
    config.SetPath(kRecentFilesGroup);
    wxDocManager::FileHistorySave(config);
    config.SetPath(previous);
}

void CTreewrightDocManager::HistoryChanged()
{
    // Kept at once, so that a program that ends abnormally still remembers the files.
    if (wxConfigBase* config = wxConfigBase::Get(false))
    {
        FileHistorySave(*config);
        config->Flush();
    }
    if (m_historyChanged)
        m_historyChanged();
}
