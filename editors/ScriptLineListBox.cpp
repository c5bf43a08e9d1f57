#include "ScriptLineListBox.h"

#include <wx/dc.h>
#include <wx/event.h>

#include <algorithm>

namespace
{
const wxColour kWhite(255, 255, 255);
const wxColour kBlue(0, 0, 255);
const wxColour kRed(255, 0, 0);

// The strip below each box that keeps the lines apart, and the right-hand target column.
constexpr int kStripHeight = 10;
constexpr int kTargetColumn = 100;

// Rectangles as the drawing rules give them: right and bottom lie just outside. Filled areas
// rather than pen strokes, so that every frame and line covers exactly its pixels whatever the
// device context's stroke geometry.
void FillArea(wxDC& dc, int left, int top, int right, int bottom, const wxColour& colour)
{
    if (right <= left || bottom <= top)
        return;
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(colour));
    dc.DrawRectangle(left, top, right - left, bottom - top);
}

void FrameArea(wxDC& dc, int left, int top, int right, int bottom, int width, const wxColour& colour)
{
    FillArea(dc, left, top, right, std::min(bottom, top + width), colour);
    FillArea(dc, left, std::max(top, bottom - width), right, bottom, colour);
    FillArea(dc, left, top, std::min(right, left + width), bottom, colour);
    FillArea(dc, std::max(left, right - width), top, right, bottom, colour);
}

// Breaks the text into lines at blanks and line breaks; a word wider than the box is broken
// between characters rather than lost behind the clipping. Stops once `maxLines` are made.
std::vector<wxString> WrapText(const wxDC& dc, const wxString& text, int width, std::size_t maxLines)
{
    std::vector<wxString> lines;
    auto widthOf = [&dc](const wxString& part) { return dc.GetTextExtent(part).GetWidth(); };
    auto push = [&lines](const wxString& line) { lines.push_back(line); };

    wxString paragraph;
    const wxString source = text + "\n";
    for (const wxUniChar c : source)
    {
        if (lines.size() >= maxLines)
            break;
        if (c != '\n')
        {
            paragraph += c;
            continue;
        }
        wxString line;
        std::size_t start = 0;
        while (start <= paragraph.length() && lines.size() < maxLines)
        {
            std::size_t end = paragraph.find(' ', start);
            if (end == wxString::npos)
                end = paragraph.length();
            wxString word = paragraph.substr(start, end - start);
            start = end + 1;
            const wxString joined = line.empty() ? word : line + " " + word;
            if (widthOf(joined) <= width)
            {
                line = joined;
                continue;
            }
            if (!line.empty())
                push(line);
            while (word.length() > 1 && widthOf(word) > width)
            {
                std::size_t fit = 1;
                while (fit + 1 < word.length() && widthOf(word.Left(fit + 1)) <= width)
                    ++fit;
                push(word.Left(fit));
                word = word.Mid(fit);
            }
            line = word;
        }
        push(line);
        paragraph.clear();
    }
    if (lines.size() > maxLines)
        lines.resize(maxLines);
    return lines;
}

void DrawWrapped(wxDC& dc, const wxString& text, int left, int top, int right, int bottom, bool alignRight)
{
    if (right <= left || bottom <= top || text.empty())
        return;
    const int lineHeight = std::max(1, dc.GetCharHeight());
    const std::size_t maxLines = static_cast<std::size_t>((bottom - top + lineHeight - 1) / lineHeight);
    wxDCClipper clip(dc, wxRect(left, top, right - left, bottom - top));
    int y = top;
    for (const wxString& line : WrapText(dc, text, right - left, maxLines))
    {
        const int x = alignRight ? right - dc.GetTextExtent(line).GetWidth() : left;
        dc.DrawText(line, x, y);
        y += lineHeight;
    }
}

// A target past the last line says "(missing)" too, which the column holds on one line only in a
// smaller type; its half of the column has room for no second line.
void DrawMissingTarget(wxDC& dc, const wxString& text, int left, int top, int right, int bottom)
{
    const wxFont normal = dc.GetFont();
    wxFont font = normal;
    constexpr int kSmallestPoints = 6;
    while (dc.GetTextExtent(text).GetWidth() > right - left && font.GetPointSize() > kSmallestPoints)
    {
        font.SetPointSize(font.GetPointSize() - 1);
        dc.SetFont(font);
    }
    dc.SetTextForeground(kRed);
    DrawWrapped(dc, text, left, top, right, bottom, true);
    dc.SetTextForeground(*wxBLACK);
    dc.SetFont(normal);
}
}

CScriptLineListBox::CScriptLineListBox(wxWindow* parent, wxWindowID id)
    : wxVListBox(parent, id, wxDefaultPosition, wxDefaultSize, wxBORDER_SUNKEN | wxVSCROLL)
{
    SetBackgroundColour(kWhite);
    Bind(wxEVT_KEY_DOWN, &CScriptLineListBox::OnKeyDown, this);
    Bind(wxEVT_LEFT_DOWN, &CScriptLineListBox::OnLeftDown, this);
}

const CScriptLineItem* CScriptLineListBox::Item(std::size_t index) const
{
    return index < m_items.size() ? m_items[index].get() : nullptr;
}

void CScriptLineListBox::InsertItem(std::size_t index, std::unique_ptr<CScriptLineItem> item)
{
    index = std::min(index, m_items.size());
    const int selection = GetSelection();
    m_anchor = wxNOT_FOUND;
    m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
    CountChanged();
    SetSelection(selection != wxNOT_FOUND && static_cast<std::size_t>(selection) >= index ? selection + 1
                                                                                         : selection);
}

void CScriptLineListBox::DeleteItem(std::size_t index)
{
    if (index >= m_items.size())
        return;
    const int selection = GetSelection();
    m_anchor = wxNOT_FOUND;
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(index));
    CountChanged();
    if (selection == wxNOT_FOUND || static_cast<std::size_t>(selection) == index)
        SetSelection(wxNOT_FOUND);
    else
        SetSelection(static_cast<std::size_t>(selection) > index ? selection - 1 : selection);
}

void CScriptLineListBox::DeleteAll()
{
    m_anchor = wxNOT_FOUND;
    m_items.clear();
    SetSelection(wxNOT_FOUND);
    CountChanged();
}

bool CScriptLineListBox::HasRange() const
{
    return m_anchor != wxNOT_FOUND && GetSelection() == m_rangeEnd && m_anchor != m_rangeEnd &&
           static_cast<std::size_t>(std::max(m_anchor, m_rangeEnd)) < m_items.size();
}

bool CScriptLineListBox::IsLineSelected(std::size_t n) const
{
    if (!HasRange())
        return IsSelected(n);
    const auto [first, last] = std::minmax(m_anchor, m_rangeEnd);
    return static_cast<int>(n) >= first && static_cast<int>(n) <= last;
}

bool CScriptLineListBox::SelectedLines(std::size_t& first, std::size_t& last) const
{
    const int selection = GetSelection();
    if (selection == wxNOT_FOUND)
        return false;
    const auto [from, to] = HasRange() ? std::minmax(m_anchor, m_rangeEnd) : std::minmax(selection, selection);
    first = static_cast<std::size_t>(from);
    last = static_cast<std::size_t>(to);
    return true;
}

void CScriptLineListBox::SelectAllLines()
{
    if (m_items.empty())
        return;
    m_anchor = static_cast<int>(m_items.size()) - 1;
    m_rangeEnd = 0;
    SetSelection(0);
    RefreshAll();
}

void CScriptLineListBox::ExtendSelection(int line)
{
    if (!HasRange())
        m_anchor = GetSelection() != wxNOT_FOUND ? GetSelection() : line;
    m_rangeEnd = line;
    SetSelection(line);
    RefreshAll();
}

void CScriptLineListBox::DropRange()
{
    if (HasRange())
        RefreshAll();
    m_anchor = wxNOT_FOUND;
}

int CScriptLineListBox::LineAfterKey(int key) const
{
    const int count = static_cast<int>(m_items.size());
    const int selection = GetSelection();
    if (count == 0)
        return wxNOT_FOUND;
    const int page = std::max(1, static_cast<int>(GetVisibleRowsEnd() - GetVisibleRowsBegin()) - 1);
    int line = wxNOT_FOUND;
    switch (key)
    {
    case WXK_UP:
    case WXK_NUMPAD_UP:
        line = selection - 1;
        break;
    case WXK_DOWN:
    case WXK_NUMPAD_DOWN:
        line = selection + 1;
        break;
    case WXK_PAGEUP:
    case WXK_NUMPAD_PAGEUP:
        line = selection - page;
        break;
    case WXK_PAGEDOWN:
    case WXK_NUMPAD_PAGEDOWN:
        line = selection + page;
        break;
    case WXK_HOME:
    case WXK_NUMPAD_HOME:
        return 0;
    case WXK_END:
    case WXK_NUMPAD_END:
        return count - 1;
    default:
        return wxNOT_FOUND;
    }
    return selection == wxNOT_FOUND ? 0 : std::clamp(line, 0, count - 1);
}

void CScriptLineListBox::OnKeyDown(wxKeyEvent& event)
{
    const int line = LineAfterKey(event.GetKeyCode());
    if (line != wxNOT_FOUND && event.GetModifiers() == wxMOD_SHIFT)
    {
        ExtendSelection(line);
        return;
    }
    if (line != wxNOT_FOUND)
        DropRange();
    event.Skip();
}

void CScriptLineListBox::OnLeftDown(wxMouseEvent& event)
{
    const int line = VirtualHitTest(event.GetPosition().y);
    if (event.GetModifiers() == wxMOD_SHIFT && line != wxNOT_FOUND)
    {
        SetFocus();
        ExtendSelection(line);
        return;
    }
    DropRange();
    event.Skip();
}

void CScriptLineListBox::CountChanged()
{
    SetItemCount(m_items.size());
    RefreshAll();
}

wxCoord CScriptLineListBox::OnMeasureItem(size_t) const
{
    return kItemHeight;
}

void CScriptLineListBox::OnDrawBackground(wxDC&, const wxRect&, size_t) const
{
    // The item draws its own white box; the toolkit's selection colour and focus frame would
    // hide the red frame that marks the selected line.
}

void CScriptLineListBox::OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const
{
    dc.SetFont(GetFont());
    DrawLineItem(dc, rect, Item(n), IsLineSelected(n));
}

void CScriptLineListBox::DrawLineItem(wxDC& dc, const wxRect& rect, const CScriptLineItem* item, bool selected)
{
    const int left = rect.GetLeft();
    const int top = rect.GetTop();
    const int right = rect.GetLeft() + rect.GetWidth();
    const int bottom = rect.GetTop() + rect.GetHeight();
    const int boxBottom = bottom - kStripHeight;
    const int column = right - kTargetColumn;

    FillArea(dc, left, top, right, bottom, kWhite);
    FrameArea(dc, left, top, right, boxBottom, 1, kBlue);
    FillArea(dc, column, top, column + 1, boxBottom, kBlue);
    FillArea(dc, column, top + 25, right, top + 26, kBlue);
    if (selected)
        FrameArea(dc, left, top, right, boxBottom, 2, kRed);

    if (item == nullptr)
        return;
    dc.SetTextForeground(*wxBLACK);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    const wxString number = wxString::Format("%d", item->lineNumber);
    dc.DrawText(number, left + 5, top + 10);
    // Twenty pixels hold two digits; from line 100 on, the description moves right to clear the
    // number instead of being written over it.
    const int descriptionLeft = std::max(left + 25, left + 5 + dc.GetTextExtent(number).GetWidth() + 5);
    DrawWrapped(dc, item->description, descriptionLeft, top + 10, right - 110, boxBottom, false);
    if (item->successMissing)
        DrawMissingTarget(dc, item->successText, right - 109, top + 5, right - 10, boxBottom);
    else
        DrawWrapped(dc, item->successText, right - 109, top + 5, right - 10, boxBottom, true);
    if (item->failureMissing)
        DrawMissingTarget(dc, item->failureText, right - 109, top + 30, right - 10, boxBottom);
    else
        DrawWrapped(dc, item->failureText, right - 109, top + 30, right - 10, boxBottom, true);
}
