#pragma once

#include "rendering/ScriptReferences.h"

#include <wx/dialog.h>

#include <cstdint>
#include <string>
#include <vector>

class CTreewrightDoc;
class wxListCtrl;
class wxListEvent;
class wxStaticText;

/// "References": every line that calls one script and every interaction naming it as a tree, over
/// the open file and the loaded files, one row each (file, record, line, description). A
/// double-click or Enter on a row opens the place: a line of the open file in the script editor on
/// that line, an interaction of the open file in the interaction editor on that interaction, a line
/// of a loaded file in a script editor that cannot store. The rows are looked for again after each
/// place that was opened, as the editing may have moved them.
class CReferencesDlg : public wxDialog
{
public:
    /// `fileName` is the name part of the file the script is in: the document's own file name for
    /// its scripts, or a loaded file's name as the needed files hold it.
    CReferencesDlg(wxWindow* parent, CTreewrightDoc& doc, std::uint16_t id, std::string fileName);

    wxListCtrl* List() const { return m_list; }
    const std::vector<CScriptReference>& References() const { return m_references; }
    /// Opens the place of row `row`, as a double-click on it does.
    void OpenPlace(long row);

private:
    /// Looks for the references again and shows them.
    void Fill();
    bool InOpenFile(const CScriptReference& reference) const;
    /// A line of a loaded file, in a script editor whose changes go nowhere.
    void ShowLoadedScript(const CScriptReference& reference);
    void OnActivated(wxListEvent& event);

    CTreewrightDoc& m_doc;
    std::uint16_t m_id;
    std::string m_fileName;
    std::vector<CScriptReference> m_references;
    wxStaticText* m_summary = nullptr;
    wxListCtrl* m_list = nullptr;
};

/// Shows, modally, every place in the open file and the loaded files that refers to script `id` of
/// the file named `fileName` (see CReferencesDlg). The script editor calls it for a script of a
/// global or semi-global file; the main view for one of the open file.
void ShowScriptReferences(wxWindow* parent, CTreewrightDoc& doc, std::uint16_t id, const std::string& fileName);
