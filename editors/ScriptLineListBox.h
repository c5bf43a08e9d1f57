#pragma once

#include <wx/string.h>
#include <wx/vlbox.h>

#include <cstddef>
#include <memory>
#include <vector>

class wxDC;
class wxKeyEvent;
class wxMouseEvent;

/// What one line of the script editor shows.
struct CScriptLineItem
{
    wxString description;
    wxString successText;
    wxString failureText;
    int lineNumber = 0;
    // A target past the last line: its text says so and is drawn in red.
    bool successMissing = false;
    bool failureMissing = false;
};

/// The script editor's line list: owner-drawn items of 60 pixels, each a framed box with the line
/// number, the description, and on the right the success target above the failure target. The
/// list owns its items. Deleting and inserting items moves the selection with the items, as a
/// list box does; the selected item's own deletion leaves none selected.
///
/// Shift with a click or a moving key selects the lines from the one selected before to the one
/// reached; GetSelection() stays the line reached. Any other change of the selection, and any
/// change of the items, makes it one line again.
class CScriptLineListBox : public wxVListBox
{
public:
    static constexpr int kItemHeight = 60;

    CScriptLineListBox(wxWindow* parent, wxWindowID id);

    std::size_t Count() const { return m_items.size(); }
    /// The item at `index`, or nullptr past the end.
    const CScriptLineItem* Item(std::size_t index) const;
    /// Inserts at `index` (at the end when past it).
    void InsertItem(std::size_t index, std::unique_ptr<CScriptLineItem> item);
    void DeleteItem(std::size_t index);
    void DeleteAll();

    /// The first and last selected line; false when none is selected.
    bool SelectedLines(std::size_t& first, std::size_t& last) const;
    /// Selects every line, the first being the one reached.
    void SelectAllLines();

    /// Draws one item into `rect`. `item` may be nullptr: then only the frame is drawn.
    static void DrawLineItem(wxDC& dc, const wxRect& rect, const CScriptLineItem* item, bool selected);

protected:
    void OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const override;
    void OnDrawBackground(wxDC& dc, const wxRect& rect, size_t n) const override;
    wxCoord OnMeasureItem(size_t n) const override;

private:
    void CountChanged();
    /// True while a Shift selection of more than the reached line stands.
    bool HasRange() const;
    bool IsLineSelected(std::size_t n) const;
    /// Selects from the anchor (the selected line, when there is no range yet) to `line`.
    void ExtendSelection(int line);
    /// Ends a range selection and redraws the lines it covered.
    void DropRange();
    /// The line a moving key leads to from the selection; wxNOT_FOUND for other keys.
    int LineAfterKey(int key) const;
    void OnKeyDown(wxKeyEvent& event);
    void OnLeftDown(wxMouseEvent& event);

    std::vector<std::unique_ptr<CScriptLineItem>> m_items;
    int m_anchor = wxNOT_FOUND;    // where a Shift selection started
    int m_rangeEnd = wxNOT_FOUND;  // the line it reached: a selection set otherwise ends the range
};
