#include "TreewrightDoc.h"

#include "DocumentHint.h"
#include "RecordChangeCommand.h"
#include "TreewrightView.h"

#include "containers/AtomicFileWriter.h"
#include "containers/ByteStream.h"
#include "containers/FilePath.h"
#include "framework/UserInterface.h"
#include "loading/ReadMessages.h"
#include "records/SemiGlobalReference.h"
#include "resources/Strings.h"

#include <wx/filename.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

wxIMPLEMENT_DYNAMIC_CLASS(CTreewrightDoc, wxDocument);

namespace
{
std::string NamePart(const std::string& corePath)
{
    return Utf8FromPath(PathFromUtf8(corePath).filename());
}

wxString IffWildcard()
{
    // GTK compares patterns with case, and the game's own files are often named in capitals.
    return wxString(kDocTemplateFilterName) + "|*.iff;*.IFF;*.Iff|All Files (*.*)|*";
}
}

CTreewrightView* CTreewrightDoc::View() const
{
    return wxDynamicCast(GetFirstView(), CTreewrightView);
}

void CTreewrightDoc::UpdateAllViews(wxView* sender, wxObject* hint)
{
    wxDocument::UpdateAllViews(sender, hint);
    // A follower may close its window, and with it unfollow, while it is told.
    const std::vector<std::pair<int, TFollower>> followers = m_followers;
    for (const auto& [token, follower] : followers)
    {
        const int told = token;
        if (std::any_of(m_followers.begin(), m_followers.end(), [told](const auto& f) { return f.first == told; }))
            follower(hint);
    }
}

int CTreewrightDoc::Follow(TFollower follower)
{
    m_followers.emplace_back(m_nextFollower, std::move(follower));
    return m_nextFollower++;
}

void CTreewrightDoc::Unfollow(int token)
{
    std::erase_if(m_followers, [token](const auto& f) { return f.first == token; });
}

void CTreewrightDoc::SetSemiGlobalName(const std::string& name)
{
    if (name == m_semiGlobalName)
        return;
    m_semiGlobalName = name;
    Modify(true);
}

bool CTreewrightDoc::ChangeRecords(const wxString& label, const std::function<bool(CIffFile&)>& change)
{
    // A name being typed is a step of its own, before the change.
    CommitSemiGlobalName();
    auto outcome = CRecordChangeCommand::EOutcome::Failed;
    auto* step = new CRecordChangeCommand(*this, label, change, outcome);
    // The step's Do makes the change; the history drops a step whose Do made none.
    if (wxCommandProcessor* history = GetCommandProcessor())
        history->Submit(step);
    else
    {
        step->Do();
        delete step;
    }
    if (outcome != CRecordChangeCommand::EOutcome::Changed)
        return outcome == CRecordChangeCommand::EOutcome::Unchanged;
    FollowHistory();
    UpdateAllViews();
    return true;
}

void CTreewrightDoc::CommitSemiGlobalName()
{
    if (m_semiGlobalName == m_committedName)
        return;
    if (wxCommandProcessor* history = GetCommandProcessor())
        history->Submit(new CRecordChangeCommand(*this, "Edit Semi-global Name", m_committedName, m_semiGlobalName));
    m_committedName = m_semiGlobalName;
    FollowHistory();
}

bool CTreewrightDoc::UndoChange()
{
    return StepHistory(false);
}

bool CTreewrightDoc::RedoChange()
{
    return StepHistory(true);
}

bool CTreewrightDoc::StepHistory(bool forward)
{
    // A name being typed is a step of its own, taken before the one undone or redone.
    CommitSemiGlobalName();
    wxCommandProcessor* history = GetCommandProcessor();
    if (history == nullptr || !(forward ? history->CanRedo() : history->CanUndo()))
        return false;
    const bool stepped = forward ? history->Redo() : history->Undo();
    FollowHistory();
    UpdateAllViews();
    return stepped;
}

void CTreewrightDoc::TakeHistoryName(const std::string& name)
{
    m_semiGlobalName = name;
    m_committedName = name;
}

void CTreewrightDoc::ResetHistory()
{
    m_committedName = m_semiGlobalName;
    if (wxCommandProcessor* history = GetCommandProcessor())
    {
        history->ClearCommands();
        history->MarkAsSaved();
    }
}

void CTreewrightDoc::FollowHistory()
{
    // Undoing back to the state last saved leaves nothing to save, as editors do.
    const wxCommandProcessor* history = GetCommandProcessor();
    Modify((history != nullptr && history->IsDirty()) || m_semiGlobalName != m_committedName);
}

void CTreewrightDoc::ShowTitle(const wxString& path, const wxString& title)
{
    SetTitle(title);
    SetFilename(path, true);
}

bool CTreewrightDoc::OnNewDocument()
{
    m_container = CIffFile();
    m_unreadBytes = 0;
    m_semiGlobalName.clear();
    m_semiGlobalNameAsRead.clear();
    m_fileName.clear();
    SetDocumentSaved(false);
    Modify(false);
    ResetHistory();
    const wxString name = GetDocumentManager() != nullptr ? GetDocumentManager()->MakeNewDocumentName()
                                                          : wxString(kUntitledName);
    ShowTitle(name, name);
    CDocumentHint hint(EDocumentHint::OtherFile);
    UpdateAllViews(nullptr, &hint);
    return true;
}

bool CTreewrightDoc::OnOpenDocument(const wxString& path)
{
    if (!DoOpenDocument(path))
        return false;
    SetDocumentSaved(true);
    Modify(false);
    ResetHistory();
    ShowTitle(path, wxFileName(path).GetFullName());
    CDocumentHint hint(EDocumentHint::Opened);
    UpdateAllViews(nullptr, &hint);
    return true;
}

bool CTreewrightDoc::DoOpenDocument(const wxString& path)
{
    const std::string corePath = CorePath(path);
    // A pipe or device would block the program on opening, waiting for a writer that never comes.
    std::error_code statusError;
    const std::filesystem::file_status status = std::filesystem::status(PathFromUtf8(corePath), statusError);
    if (!statusError && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
        !std::filesystem::is_directory(status))
    {
        ShowErrorMessage(GetDocumentWindow(), WxPath(FileOpenErrorMessage(EFileOpenError::AccessDenied, corePath)));
        return false;
    }
    CFileStream stream;
    if (!stream.Open(corePath, CFileStream::EMode::Read))
    {
        ShowErrorMessage(GetDocumentWindow(), WxPath(FileOpenErrorMessage(stream.LastOpenError(), corePath)));
        return false;
    }

    CIffFile container;
    EIffRead code = EIffRead::Ok;
    CReadWords words;
    const bool read = container.Read(&stream, code, &words);
    stream.Close();
    if (!read)
    {
        // Every failed read names its code; Ok here could only mean a fault of ours, which
        // IffReadErrorMessage words as the unknown error it would be. The decoder's own word for a
        // coded body comes first, with no owner, as the decoder says it.
        const std::string message = IffReadErrorMessage(code);
        CMessageBoxPrompt unowned;
        for (const CReadFailureMessage& shown : ReadFailureMessages(words, message))
        {
            if (shown.frontEnds)
                ShowErrorMessage(GetDocumentWindow(), shown.text);
            else
                unowned.ShowMessage(shown.text, shown.caption);
        }
        return false;
    }

    m_container = std::move(container);
    // A file cut short opens with what it holds whole, but the user learns before changing it
    // that the rest is gone from what a save writes.
    m_unreadBytes = m_container.UnreadBytes();
    if (m_unreadBytes > 0)
        CMessageBoxPrompt(GetDocumentWindow()).ShowMessage(UnreadBytesMessage(m_unreadBytes), kWarningCaption);
    m_semiGlobalNameAsRead = ReadSemiGlobalName(m_container);
    m_semiGlobalName = m_semiGlobalNameAsRead;
    // The views load the global files (the loader's dialog is theirs) and hand them back; a
    // cancelled load keeps what it had loaded, and the open goes on with it.
    CDocumentHint hint(EDocumentHint::FileRead);
    UpdateAllViews(nullptr, &hint);
    m_fileName = NamePart(corePath);
    m_neededFiles.Add(m_container, m_fileName);
    return true;
}

bool CTreewrightDoc::OnSaveModified()
{
    if (!IsModified())
        return true;
    const wxString question = wxString::Format("Save changes to %s?", GetUserReadableName());
    const int answer = Ui().MessageBox(GetDocumentWindow(), question, kProgramName, wxYES_NO | wxCANCEL | wxICON_QUESTION);
    if (answer == wxID_YES)
        return Save();
    return answer == wxID_NO;
}

bool CTreewrightDoc::Save()
{
    if (GetFilename().empty() || !GetDocumentSaved())
        return SaveAs();
    return OnSaveDocument(GetFilename());
}

bool CTreewrightDoc::SaveAs()
{
    wxString defaultPath = GetFilename();
    if (!GetDocumentSaved())
    {
        wxDocManager* manager = GetDocumentManager();
        const wxString folder = manager != nullptr ? manager->GetLastDirectory() : wxString();
        defaultPath = wxFileName(folder, GetTitle() + "." + kDocTemplateExtension).GetFullPath();
    }
    const wxString path = Ui().ChooseFileToSave(GetDocumentWindow(), "Save As", IffWildcard(), defaultPath);
    if (path.empty())
        return false;
    if (!OnSaveDocument(path))
        return false;
    // The file name that keys the index stays that of the file opened: the index was built under it.
    ShowTitle(path, wxFileName(path).GetFullName());
    if (wxDocManager* manager = GetDocumentManager())
        manager->AddFileToHistory(path);
    return true;
}

bool CTreewrightDoc::DoSaveDocument(const wxString& path)
{
    if (m_unreadBytes > 0 && !AskYesNo(GetDocumentWindow(), UnreadBytesSaveQuestion(m_unreadBytes), kWarningCaption))
        return false;
    CommitSemiGlobalName();
    if (m_semiGlobalName != m_semiGlobalNameAsRead)
    {
        if (const std::string problem = SemiGlobalNameProblem(m_semiGlobalName); !problem.empty())
        {
            ShowErrorMessage(GetDocumentWindow(), "Failed to save document.\n" + wxString(problem) +
                                                 "\nThe file on disk has not been changed.");
            return false;
        }
    }
    if (!StoreSemiGlobalName(m_container, m_semiGlobalName, m_semiGlobalNameAsRead))
    {
        ShowErrorMessage(GetDocumentWindow(), "Failed to save document.\nThere is not enough memory to store the "
                                         "semi-global file's name.");
        return false;
    }
    m_semiGlobalNameAsRead = ReadSemiGlobalName(m_container);

    const std::string corePath = CorePath(path);
    const bool existed = wxFileName::FileExists(path);
    CMessageBoxPrompt prompt;
    const CStatus<EFileWrite> written =
        WriteFileAtomically(corePath, [&](CByteStream& stream) { return m_container.Write(&stream, &prompt); });
    if (!written)
    {
        wxString message = "Failed to save document.\n" + WxPath(FileWriteFailureText(written.Failure()));
        if (existed)
            message += "\nThe file on disk has not been changed.";
        ShowErrorMessage(GetDocumentWindow(), message);
        return false;
    }
    if (wxCommandProcessor* history = GetCommandProcessor())
        history->MarkAsSaved();
    m_unreadBytes = 0;
    return true;
}
