#pragma once

#include "analysis/FileProblems.h"

#include <wx/frame.h>
#include <wx/weakref.h>

#include <vector>

class CTreewrightDoc;
class wxListCtrl;
class wxListEvent;
class wxStaticText;

/// "Problems": what `lint` finds in the open file, one row each (severity, record, place,
/// sentence), beside the main window. It follows the document: every change, undo and redo, and
/// another file, lists the problems anew. A double-click or Enter on a row opens its place: a
/// script on its line, an interaction table on its interaction, an object, a string table.
class CProblemsFrame : public wxFrame
{
public:
    CProblemsFrame(wxWindow* parent, CTreewrightDoc& doc);
    ~CProblemsFrame() override;

    wxListCtrl* List() const { return m_list; }
    const std::vector<CProblem>& Problems() const { return m_problems; }
    /// Opens the place of row `row`, as a double-click on it does.
    void OpenPlace(long row);

private:
    /// Looks for the problems again and shows them, keeping the row chosen where it can.
    void Fill();
    void OnActivated(wxListEvent& event);

    wxWeakRef<CTreewrightDoc> m_doc;
    int m_following = 0;
    std::vector<CProblem> m_problems;
    wxStaticText* m_summary = nullptr;
    wxListCtrl* m_list = nullptr;
};
