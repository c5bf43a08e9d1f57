// The drawing of one line of the script editor, read back pixel by pixel from a bitmap, and the
// list's selection as items come and go.

#include "GuiTestSupport.h"

#include "editors/ScriptLineListBox.h"

#include <gtest/gtest.h>

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/dialog.h>
#include <wx/image.h>
#include <wx/settings.h>

namespace
{
constexpr int kWidth = 420;
constexpr int kHeight = CScriptLineListBox::kItemHeight;
constexpr int kTop = 60;  // the item is drawn below a first one, so that offsets are tested too
constexpr int kRight = kWidth;
constexpr int kBottom = kTop + kHeight;

enum class EPixel
{
    White,
    Blue,
    Red,
    Green,  // the bitmap's background, left where nothing was drawn
    Ink,  // text: anything dark
    Other,
};

class CDrawnLine
{
public:
    CDrawnLine(const CScriptLineItem* item, bool selected) : m_bitmap(kWidth, kTop + kHeight, 24)
    {
        wxMemoryDC dc(m_bitmap);
        dc.SetBackground(wxBrush(wxColour(0, 255, 0)));
        dc.Clear();
        dc.SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
        CScriptLineListBox::DrawLineItem(dc, wxRect(0, kTop, kWidth, kHeight), item, selected);
        dc.SelectObject(wxNullBitmap);
        m_image = m_bitmap.ConvertToImage();
    }

    EPixel At(int x, int y) const
    {
        const int r = m_image.GetRed(x, y);
        const int g = m_image.GetGreen(x, y);
        const int b = m_image.GetBlue(x, y);
        if (r == 255 && g == 255 && b == 255)
            return EPixel::White;
        if (r == 0 && g == 0 && b == 255)
            return EPixel::Blue;
        if (r == 255 && g == 0 && b == 0)
            return EPixel::Red;
        if (r == 0 && g == 255 && b == 0)
            return EPixel::Green;
        if (r + g + b < 3 * 160)
            return EPixel::Ink;
        return EPixel::Other;
    }

    /// The box of all ink pixels within [left, right) x [top, bottom); empty when there is none.
    wxRect InkBox(int left, int top, int right, int bottom) const
    {
        int minX = right, minY = bottom, maxX = left - 1, maxY = top - 1;
        for (int y = top; y < bottom; ++y)
        {
            for (int x = left; x < right; ++x)
            {
                if (At(x, y) != EPixel::Ink)
                    continue;
                minX = std::min(minX, x);
                minY = std::min(minY, y);
                maxX = std::max(maxX, x);
                maxY = std::max(maxY, y);
            }
        }
        return maxX < minX ? wxRect() : wxRect(wxPoint(minX, minY), wxPoint(maxX, maxY));
    }

    /// How many pixels within [left, right) x [top, bottom) are of a red ink, smoothed edges included.
    int RedPixels(int left, int top, int right, int bottom) const
    {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                count += m_image.GetRed(x, y) > 150 && m_image.GetGreen(x, y) < 110 && m_image.GetBlue(x, y) < 110;
        return count;
    }

private:
    wxBitmap m_bitmap;
    wxImage m_image;
};

CScriptLineItem MakeItem(const wxString& description, const wxString& success, const wxString& failure, int number)
{
    CScriptLineItem item;
    item.description = description;
    item.successText = success;
    item.failureText = failure;
    item.lineNumber = number;
    return item;
}
}

TEST(ScriptLineDrawing, FramesTheBoxInBlueWithTheTargetColumnAndAWhiteStrip)
{
    const CDrawnLine line(nullptr, false);
    // The frame of the upper area, one pixel wide, and white just inside it.
    for (const auto& [x, y] : {std::pair{0, kTop}, std::pair{kRight - 1, kTop}, std::pair{0, kBottom - 11},
                               std::pair{kRight - 1, kBottom - 11}, std::pair{200, kTop}, std::pair{200, kBottom - 11},
                               std::pair{0, kTop + 30}, std::pair{kRight - 1, kTop + 30}})
        EXPECT_EQ(line.At(x, y), EPixel::Blue) << x << "," << y;
    EXPECT_EQ(line.At(1, kTop + 1), EPixel::White);
    EXPECT_EQ(line.At(kRight - 2, kBottom - 12), EPixel::White);
    // The column line from top to the strip, and the line between the two targets.
    for (int y = kTop; y < kBottom - 10; ++y)
        EXPECT_EQ(line.At(kRight - 100, y), EPixel::Blue) << y;
    EXPECT_EQ(line.At(kRight - 101, kTop + 10), EPixel::White);
    EXPECT_EQ(line.At(kRight - 99, kTop + 10), EPixel::White);
    for (int x = kRight - 100; x < kRight; ++x)
        EXPECT_EQ(line.At(x, kTop + 25), EPixel::Blue) << x;
    EXPECT_EQ(line.At(kRight - 101, kTop + 25), EPixel::White);
    EXPECT_EQ(line.At(kRight - 50, kTop + 24), EPixel::White);
    // The strip below stays white across the whole width.
    for (int y = kBottom - 10; y < kBottom; ++y)
    {
        for (int x = 0; x < kWidth; x += 7)
            EXPECT_EQ(line.At(x, y), EPixel::White) << x << "," << y;
    }
    // Nothing is drawn outside the item.
    EXPECT_EQ(line.At(10, kTop - 1), EPixel::Green);
}

TEST(ScriptLineDrawing, SelectedLineHasARedFrameTwoPixelsWide)
{
    const CScriptLineItem item = MakeItem("Idle (Stack: 0, 0, 0, 0)", "goto line 2", "return FALSE", 1);
    const CDrawnLine selected(&item, true);
    for (const auto& [x, y] : {std::pair{0, kTop}, std::pair{1, kTop + 1}, std::pair{kRight - 1, kTop + 20},
                               std::pair{kRight - 2, kTop + 20}, std::pair{100, kBottom - 11},
                               std::pair{100, kBottom - 12}, std::pair{0, kTop + 30}, std::pair{1, kTop + 30}})
        EXPECT_EQ(selected.At(x, y), EPixel::Red) << x << "," << y;
    EXPECT_EQ(selected.At(2, kTop + 30), EPixel::White);
    EXPECT_EQ(selected.At(100, kBottom - 13), EPixel::White);
    EXPECT_EQ(selected.At(kRight - 100, kTop + 10), EPixel::Blue);
    EXPECT_EQ(selected.At(100, kBottom - 5), EPixel::White);

    // Unselected again: the blue frame, one pixel, and white where the red frame's inner half was.
    const CDrawnLine plain(&item, false);
    EXPECT_EQ(plain.At(0, kTop), EPixel::Blue);
    EXPECT_EQ(plain.At(1, kTop + 1), EPixel::White);
    EXPECT_EQ(plain.At(kRight - 2, kTop + 20), EPixel::White);
    EXPECT_EQ(plain.At(100, kBottom - 12), EPixel::White);
}

TEST(ScriptLineDrawing, WritesNumberDescriptionAndRightAlignedTargets)
{
    const CScriptLineItem item = MakeItem("Idle", "goto line 12", "return FALSE", 7);
    const CDrawnLine line(&item, false);

    const wxRect number = line.InkBox(2, kTop + 2, 24, kBottom - 10);
    ASSERT_FALSE(number.IsEmpty());
    EXPECT_GE(number.GetLeft(), 5);
    EXPECT_GE(number.GetTop(), kTop + 10);

    const wxRect description = line.InkBox(24, kTop + 2, kRight - 101, kBottom - 10);
    ASSERT_FALSE(description.IsEmpty());
    EXPECT_GE(description.GetLeft(), 25);
    EXPECT_LE(description.GetLeft(), 30);
    EXPECT_GE(description.GetTop(), kTop + 10);

    // Both targets end near the right edge less 10, the success above the line, the failure below.
    const wxRect success = line.InkBox(kRight - 99, kTop + 1, kRight - 1, kTop + 25);
    const wxRect failure = line.InkBox(kRight - 99, kTop + 26, kRight - 1, kBottom - 10);
    ASSERT_FALSE(success.IsEmpty());
    ASSERT_FALSE(failure.IsEmpty());
    for (const wxRect& target : {success, failure})
    {
        EXPECT_LE(target.GetRight(), kRight - 11);
        EXPECT_GE(target.GetRight(), kRight - 16);
        EXPECT_GT(target.GetLeft(), kRight - 95);  // short texts leave the left part empty
    }
    EXPECT_GE(success.GetTop(), kTop + 5);
    EXPECT_GE(failure.GetTop(), kTop + 30);
}

TEST(ScriptLineDrawing, MissingTargetIsRedAndKeepsToItsHalfOfTheColumn)
{
    CScriptLineItem item = MakeItem("Idle", "goto line 12 (missing)", "goto line 3", 7);
    item.successMissing = true;
    const CDrawnLine line(&item, false);
    EXPECT_GT(line.RedPixels(kRight - 99, kTop + 1, kRight - 1, kTop + 25), 20);
    EXPECT_EQ(line.RedPixels(kRight - 99, kTop + 26, kRight - 1, kBottom - 10), 0);
    // One line of text only: nothing between the two halves' texts.
    EXPECT_TRUE(line.InkBox(kRight - 99, kTop + 24, kRight - 1, kTop + 30).IsEmpty());
    EXPECT_EQ(line.RedPixels(kRight - 99, kTop + 24, kRight - 1, kTop + 30), 0);
    EXPECT_FALSE(line.InkBox(kRight - 99, kTop + 30, kRight - 1, kBottom - 10).IsEmpty());
}

TEST(ScriptLineDrawing, DescriptionClearsLineNumbersOfThreeDigits)
{
    const CScriptLineItem numberOnly = MakeItem("", "", "", 253);
    const CScriptLineItem item = MakeItem("Wait", "", "", 253);
    const wxRect number = CDrawnLine(&numberOnly, false).InkBox(2, kTop + 2, kRight - 101, kBottom - 10);
    ASSERT_FALSE(number.IsEmpty());
    const CDrawnLine line(&item, false);
    EXPECT_GT(line.InkBox(2, kTop + 2, kRight - 101, kBottom - 10).GetRight(), number.GetRight() + 5);
    EXPECT_TRUE(line.InkBox(number.GetRight() + 1, kTop + 2, number.GetRight() + 4, kBottom - 10).IsEmpty());
}

TEST(ScriptLineDrawing, LongTextsWrapAndAreCutAtTheirBoxes)
{
    wxString words;
    for (int i = 0; i < 60; ++i)
        words += "Temporary Storage ";
    const CScriptLineItem item = MakeItem(words + "Averyveryveryveryveryveryveryveryveryveryveryverylongword",
                                          "goto line 253 and a much longer text", "return ERROR", 253);
    const CDrawnLine line(&item, true);
    const wxRect description = line.InkBox(24, kTop + 2, kRight - 101, kBottom - 10);
    // More than one line of text, none of it past the description's box.
    EXPECT_GT(description.GetHeight(), 20);
    EXPECT_LE(description.GetRight(), kRight - 111);
    EXPECT_TRUE(line.InkBox(kRight - 110, kTop + 2, kRight - 100, kBottom - 10).IsEmpty());
    // The strip stays white and the frame red.
    EXPECT_TRUE(line.InkBox(0, kBottom - 10, kWidth, kBottom).IsEmpty());
    EXPECT_EQ(line.At(1, kBottom - 12), EPixel::Red);
    const wxRect success = line.InkBox(kRight - 99, kTop + 1, kRight - 1, kBottom - 10);
    EXPECT_GE(success.GetLeft(), kRight - 109);
    EXPECT_LE(success.GetRight(), kRight - 11);
}

TEST(ScriptLineList, SelectionMovesWithItsItem)
{
    wxDialog frame(nullptr, wxID_ANY, "list");
    auto* list = new CScriptLineListBox(&frame, wxID_ANY);
    for (int i = 0; i < 4; ++i)
        list->InsertItem(static_cast<std::size_t>(i), std::make_unique<CScriptLineItem>(MakeItem("", "", "", i + 1)));
    list->SetSelection(2);
    list->InsertItem(0, std::make_unique<CScriptLineItem>(MakeItem("", "", "", 0)));
    EXPECT_EQ(list->GetSelection(), 3);
    list->InsertItem(10, std::make_unique<CScriptLineItem>(MakeItem("", "", "", 9)));  // past the end: appended
    EXPECT_EQ(list->Count(), 6u);
    EXPECT_EQ(list->Item(5)->lineNumber, 9);
    EXPECT_EQ(list->GetSelection(), 3);
    list->DeleteItem(1);
    EXPECT_EQ(list->GetSelection(), 2);
    list->DeleteItem(4);
    EXPECT_EQ(list->GetSelection(), 2);
    list->DeleteItem(2);
    EXPECT_EQ(list->GetSelection(), wxNOT_FOUND);
    EXPECT_EQ(list->Count(), 3u);
    list->DeleteItem(3);  // past the end: nothing
    EXPECT_EQ(list->Count(), 3u);
    EXPECT_EQ(list->Item(3), nullptr);
    list->SetSelection(2);
    list->DeleteAll();
    EXPECT_EQ(list->Count(), 0u);
    EXPECT_EQ(list->GetSelection(), wxNOT_FOUND);
}
