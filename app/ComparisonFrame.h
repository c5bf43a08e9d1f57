#pragma once

#include "analysis/FileComparison.h"
#include "containers/IffFile.h"
#include "rendering/NeededFiles.h"

#include <wx/frame.h>
#include <wx/weakref.h>

#include <string>
#include <vector>

class CTreewrightDoc;
class wxListCtrl;
class wxListEvent;
class wxStaticText;

/// "Compare With": the records the open file and another file differ in, one row per record only
/// one of them holds and per place that changed (record, place, change). It follows the open
/// document as it is edited. A double-click or Enter on a row shows the record's two versions side
/// by side, the other file's read-only, with a button that opens the open file's version in its
/// editor.
class CComparisonFrame : public wxFrame
{
public:
    /// `other` is the other file as read from `otherPath`.
    CComparisonFrame(wxWindow* parent, CTreewrightDoc& doc, const std::string& otherPath, CIffFile other);
    ~CComparisonFrame() override;

    wxListCtrl* List() const { return m_list; }
    /// Shows the two versions of the record of row `row`, as a double-click on it does.
    void OpenRow(long row);

private:
    /// One row: the record and, for a changed place, the change.
    struct CRow
    {
        CRecordKey record;
        int line = -1;  // the script line the change is on, from 0
        bool inOpen = true;
        bool inOther = true;
    };
    void Fill();
    void OnActivated(wxListEvent& event);

    wxWeakRef<CTreewrightDoc> m_doc;
    int m_following = 0;
    std::string m_otherName;  // name part
    CIffFile m_other;
    CNeededFiles m_otherFiles;  // the other file's own scripts, for its descriptions
    std::vector<CRow> m_rows;
    wxStaticText* m_summary = nullptr;
    wxListCtrl* m_list = nullptr;
};
