#pragma once

#include "containers/IffFile.h"
#include "rendering/NeededFiles.h"

#include <wx/docview.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class CTreewrightView;

/// The one document: the container read from one file, the name of the semi-global file it refers
/// to, the file's name part and the loaded global files with their script names. The framework
/// creates it once; New and every Open reuse it.
class CTreewrightDoc : public wxDocument
{
public:
    CTreewrightDoc() = default;

    CIffFile& Container() { return m_container; }
    const CIffFile& Container() const { return m_container; }
    /// The name held by the file's `GLOB` chunk as shown and edited in the main view
    /// (windows-1252 bytes).
    const std::string& SemiGlobalName() const { return m_semiGlobalName; }
    /// Takes the name the user typed; a change marks the document modified.
    void SetSemiGlobalName(const std::string& name);
    /// The name the file's `GLOB` chunk held when it was read or last saved.
    const std::string& SemiGlobalNameAsRead() const { return m_semiGlobalNameAsRead; }
    /// The name part of the file last opened successfully; it keys the file's own scripts in the
    /// script-name index.
    const std::string& FileName() const { return m_fileName; }
    CNeededFiles& NeededFiles() { return m_neededFiles; }
    const CNeededFiles& NeededFiles() const { return m_neededFiles; }
    /// Takes the game's global files that a view loaded when told the file was read
    /// (EDocumentHint::FileRead); the open file itself is added behind them.
    void TakeGlobalFiles(CNeededFiles files) { m_neededFiles = std::move(files); }
    CTreewrightView* View() const;

    /// Runs `change` on the container as one step of the history, named `label` ("Edit Script
    /// #4096"). The step keeps the chunks the change altered, whichever they are. A change that
    /// fails is taken back whole. One that leaves every chunk's name and data as they were adds no
    /// step, marks nothing and puts the chunks back as they were, flags and all.
    bool ChangeRecords(const wxString& label, const std::function<bool(CIffFile&)>& change);
    /// Ends an edit of the semi-global name: a name that differs from the last one committed
    /// becomes one step of the history.
    void CommitSemiGlobalName();
    /// The semi-global name as the history last saw it.
    const std::string& CommittedSemiGlobalName() const { return m_committedName; }
    /// Undoes or redoes one step; the lists, the field and the modified flag follow.
    bool UndoChange();
    bool RedoChange();
    /// Called by the history when it puts a name back.
    void TakeHistoryName(const std::string& name);

    /// Tells the views, then every window that follows the document (Follow), what changed.
    void UpdateAllViews(wxView* sender = nullptr, wxObject* hint = nullptr) override;
    /// Windows beside the main view (the Problems window) follow the document through these: the
    /// follower is called after every update of the views with its hint, until Unfollow.
    using TFollower = std::function<void(const wxObject* hint)>;
    int Follow(TFollower follower);
    void Unfollow(int token);

    bool OnNewDocument() override;
    /// Reads the file into a new container first: a file that fails to read leaves the document,
    /// its title, lists and needed files as they were.
    bool OnOpenDocument(const wxString& path) override;
    bool OnSaveModified() override;
    /// Writes the file even when nothing changed since the last save, as the user asked for it.
    bool Save() override;
    bool SaveAs() override;

protected:
    bool DoOpenDocument(const wxString& path) override;
    /// Writes the semi-global name into the container and the container into a temporary file
    /// that replaces the old one only when everything was written.
    bool DoSaveDocument(const wxString& path) override;

private:
    void ShowTitle(const wxString& path, const wxString& title);
    /// Starts the history anew for the document as it now is.
    void ResetHistory();
    /// The modified flag as the history and the typed name leave it.
    void FollowHistory();
    /// Undoes (or with `forward` redoes) one step of the history; false when there is none.
    bool StepHistory(bool forward);

    CIffFile m_container;
    std::string m_semiGlobalName;
    std::string m_semiGlobalNameAsRead;
    std::string m_committedName;  // the semi-global name as the history last saw it
    std::string m_fileName;
    CNeededFiles m_neededFiles;
    std::uint64_t m_unreadBytes = 0;  // of the file as opened, until a save has dropped them
    std::vector<std::pair<int, TFollower>> m_followers;
    int m_nextFollower = 1;

    wxDECLARE_DYNAMIC_CLASS(CTreewrightDoc);
};
