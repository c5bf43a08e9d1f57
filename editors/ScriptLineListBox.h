#pragma once

#include <wx/string.h>
#include <wx/vlbox.h>

#include <cstddef>
#include <memory>
#include <vector>

class wxDC;

/// What one line of the script editor shows.
struct CScriptLineItem
{
    wxString description;
    wxString successText;
    wxString failureText;
    int lineNumber = 0;
};

/// The script editor's line list: owner-drawn items of 60 pixels, each a framed box with the line
/// number, the description, and on the right the success target above the failure target. The
/// list owns its items. Deleting and inserting items moves the selection with the items, as a
/// list box does; the selected item's own deletion leaves none selected.
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

    /// Draws one item into `rect`. `item` may be nullptr: then only the frame is drawn.
    static void DrawLineItem(wxDC& dc, const wxRect& rect, const CScriptLineItem* item, bool selected);

protected:
    void OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const override;
    void OnDrawBackground(wxDC& dc, const wxRect& rect, size_t n) const override;
    wxCoord OnMeasureItem(size_t n) const override;

private:
    void CountChanged();

    std::vector<std::unique_ptr<CScriptLineItem>> m_items;
};
