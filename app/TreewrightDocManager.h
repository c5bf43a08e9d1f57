#pragma once

#include <wx/docview.h>

#include <functional>

class CTreewrightDoc;

/// The framework's document manager, bent to the program's single document: the first request
/// makes the one document and its view; New and Open then reuse them, asking first about unsaved
/// changes, and an open that fails leaves the document as it was.
class CTreewrightDocManager : public wxDocManager
{
public:
    CTreewrightDocManager();

    /// The one document, or nullptr before start-up made it.
    CTreewrightDoc* Document() const;

    /// Empties the document after asking about unsaved changes; false when the user cancelled.
    bool NewDocument();
    /// Opens `path`, or a file the user chooses when it is empty. False when nothing was opened.
    bool OpenDocument(const wxString& path = wxString());
    bool SaveDocument();
    bool SaveDocumentAs();
    /// Opens entry `index` of the recently used files.
    void OpenRecentFile(unsigned int index);

    wxDocument* CreateDocument(const wxString& path, long flags = 0) override;
    wxFileHistory* OnCreateFileHistory() override;
    wxString MakeNewDocumentName() override;
    void AddFileToHistory(const wxString& file) override;
    void RemoveFileFromHistory(size_t index) override;
    void FileHistoryLoad(const wxConfigBase& config) override;
    void FileHistorySave(wxConfigBase& config) override;

    /// Called whenever the list of recently used files changes.
    void SetHistoryChangedHandler(std::function<void()> handler) { m_historyChanged = std::move(handler); }

protected:
    void OnMRUFileNotExist(unsigned int index, const wxString& file) override;

private:
    CTreewrightDoc* MakeDocument();
    void HistoryChanged();

    std::function<void()> m_historyChanged;
};
