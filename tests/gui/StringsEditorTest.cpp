// The strings editor: plain and language tables, the language switch that keeps the line, Add and
// Delete with what stays selected, typing with no line selected, the plain layout's length limit,
// each language's code page with its refusals and the bytes of unchanged texts; then from the main
// view on the sample object, with Cancel keeping the container's bytes and OK storing what the
// dialog shows, through to the saved file.

#include "ScriptDialogDriving.h"

#include "../LanguageSamples.h"

#include "TreewrightDoc.h"
#include "TreewrightView.h"

#include "containers/TypeCodes.h"
#include "editors/StringsEditorDlg.h"
#include "records/StringTable.h"
#include "resources/TableEditorIds.h"

#include <gtest/gtest.h>

#include <wx/listctrl.h>

#include <algorithm>


namespace
{
constexpr int kFrench = 2;
constexpr int kGerman = 3;

wxListCtrl& StringList(wxWindow& dialog)
{
    return *wxDynamicCast(dialog.FindWindow(IDC_STRINGS_LIST), wxListCtrl);
}

/// "number|string|description" for every line, from the list's three columns.
std::vector<std::string> Lines(wxWindow& dialog)
{
    wxListCtrl& list = StringList(dialog);
    std::vector<std::string> lines;
    for (long item = 0; item < list.GetItemCount(); ++item)
    {
        EXPECT_EQ(list.GetItemData(item), item);
        lines.push_back(
            (list.GetItemText(item, 0) + "|" + list.GetItemText(item, 1) + "|" + list.GetItemText(item, 2)).utf8_string());
    }
    return lines;
}

long SelectedLine(wxWindow& dialog)
{
    return StringList(dialog).GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
}

/// Selects a line as a click would (-1: clears the selection); the list raises its events.
void SelectLine(wxWindow& dialog, long item)
{
    wxListCtrl& list = StringList(dialog);
    if (item >= 0)
    {
        list.SetItemState(item, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        return;
    }
    const long selected = SelectedLine(dialog);
    if (selected >= 0)
        list.SetItemState(selected, 0, wxLIST_STATE_SELECTED);
}

wxString Shown(wxWindow& dialog, int id)
{
    return Edit(dialog, id).GetValue();
}

CStringTable::CRow Row(std::initializer_list<std::tuple<int, const char*, const char*>> texts)
{
    CStringTable::CRow row;
    for (const auto& [slot, text, description] : texts)
        row[static_cast<std::size_t>(slot)] = {text, description};
    return row;
}

class StringsEditor : public testing::Test
{
protected:
    StringsEditor() : m_scope(m_ui) {}

    void Plain(std::vector<std::string> strings)
    {
        m_table = CStringTable::Plain(std::move(strings));
    }

    void Languages(std::uint16_t format = CStringTable::kDefaultFormat)
    {
        m_table = CStringTable::Languages(
            {
                Row({{0, "Chair", "name"}, {kFrench, "Chaise", "nom"}}),
                Row({{0, "Table", ""}}),
                Row({{0, "Lamp", "light"}, {kFrench, "Lampe", ""}, {kGerman, "Lampe", "Licht"}}),
            },
            format);
    }

    int Run(std::function<void(wxDialog&)> body, int end = wxID_CANCEL)
    {
        m_ui.modalDrivers.clear();
        CStringsEditorDlg dialog(m_table);
        Drive(m_ui, std::move(body), end);
        RefuseFurtherDialogs(m_ui);
        return Ui().RunModal(dialog);
    }

    CScriptedUserInterface m_ui;
    CUiScope m_scope;
    CStringTable m_table;
};
}

TEST_F(StringsEditor, PlainTableEditsTheSelectedStringOnly)
{
    Plain({"Sample Chair", "A chair", "\xA9 Marrowfen"});
    Run([this](wxDialog& dialog) {
        EXPECT_EQ(dialog.GetTitle(), "SimAntics Strings Editor");
        EXPECT_FALSE(Choice(dialog, IDC_STRINGS_LANGUAGE).IsEnabled());
        EXPECT_FALSE(Edit(dialog, IDC_STRINGS_DESCRIPTION).IsEnabled());
        EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"0|Sample Chair|", "1|A chair|", "2|\u00A9 Marrowfen|"}));
        EXPECT_EQ(SelectedLine(dialog), 0);
        EXPECT_EQ(Shown(dialog, IDC_STRINGS_TEXT), "Sample Chair");

        // With no line selected the edit is empty and typing changes nothing.
        SelectLine(dialog, -1);
        EXPECT_EQ(Shown(dialog, IDC_STRINGS_TEXT), "");
        Type(dialog, IDC_STRINGS_TEXT, "Stray");
        EXPECT_EQ(m_table.Strings(),
                  (std::vector<std::string>{"Sample Chair", "A chair", "\xA9 Marrowfen"}));

        SelectLine(dialog, 1);
        EXPECT_EQ(Shown(dialog, IDC_STRINGS_TEXT), "A chair");
        Type(dialog, IDC_STRINGS_TEXT, "A stool");
        EXPECT_EQ(m_table.Strings(), (std::vector<std::string>{"Sample Chair", "A stool", "\xA9 Marrowfen"}));
        EXPECT_EQ(Lines(dialog)[1], "1|A stool|");

        SelectLine(dialog, 2);
        EXPECT_EQ(Shown(dialog, IDC_STRINGS_TEXT), L"\u00A9 Marrowfen");
        EXPECT_TRUE(m_ui.messages.empty());
    });
}

TEST_F(StringsEditor, PlainStringIsHeldToTheLengthByte)
{
    Plain({"short"});
    Run([this](wxDialog& dialog) {
        Type(dialog, IDC_STRINGS_TEXT, wxString('x', 300));
        EXPECT_EQ(Shown(dialog, IDC_STRINGS_TEXT), wxString('x', 255));
        EXPECT_EQ(m_table.Strings()[0], std::string(255, 'x'));
        EXPECT_EQ(Lines(dialog)[0], "0|" + std::string(255, 'x') + "|");
        EXPECT_TRUE(m_ui.messages.empty());
    });
    // A language table has no such limit.
    Languages();
    Run([this](wxDialog& dialog) {
        Type(dialog, IDC_STRINGS_TEXT, wxString('y', 300));
        EXPECT_EQ(m_table.Rows()[0][0].text, std::string(300, 'y'));
    });
}

TEST_F(StringsEditor, SwitchingLanguageKeepsTheSelectedLine)
{
    Languages();
    Run([this](wxDialog& dialog) {
        EXPECT_TRUE(Choice(dialog, IDC_STRINGS_LANGUAGE).IsEnabled());
        // Languages in code order, every code from 1 to 20 selectable, so the added ones stand at
        // their codes: Danish 8, Norwegian 10, Finnish 11, Hebrew 12, Russian 13.
        const std::vector<wxString> languages = Entries(dialog, IDC_STRINGS_LANGUAGE);
        ASSERT_EQ(languages.size(), 20u);
        EXPECT_EQ(languages[0], "USEnglish");
        EXPECT_EQ(languages[8 - 1], "Danish");
        EXPECT_EQ(languages[9 - 1], "Swedish");
        EXPECT_EQ(languages[13 - 1], "Russian");
        EXPECT_EQ(languages[20 - 1], "Korean");
        EXPECT_EQ(Choice(dialog, IDC_STRINGS_LANGUAGE).GetSelection(), 0);
        EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"0|Chair|name", "1|Table|", "2|Lamp|light"}));

        SelectLine(dialog, 2);
        Pick(dialog, IDC_STRINGS_LANGUAGE, kFrench);
        EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"0|Chaise|nom", "1||", "2|Lampe|"}));
        EXPECT_EQ(SelectedLine(dialog), 2);
        EXPECT_EQ(Shown(dialog, IDC_STRINGS_TEXT), "Lampe");
        EXPECT_EQ(Shown(dialog, IDC_STRINGS_DESCRIPTION), "");

        // Typing reaches the chosen language only.
        Type(dialog, IDC_STRINGS_DESCRIPTION, L"lumi\u00E8re");
        Type(dialog, IDC_STRINGS_TEXT, "Lampe de table");
        EXPECT_EQ(m_table.Rows()[2][kFrench], (CStringPair{"Lampe de table", "lumi\xE8re"}));
        EXPECT_EQ(m_table.Rows()[2][0], (CStringPair{"Lamp", "light"}));
        EXPECT_EQ(m_table.Rows()[2][kGerman], (CStringPair{"Lampe", "Licht"}));
        EXPECT_EQ(Lines(dialog)[2], "2|Lampe de table|lumi\u00E8re");

        Pick(dialog, IDC_STRINGS_LANGUAGE, kGerman);
        EXPECT_EQ(SelectedLine(dialog), 2);
        EXPECT_EQ(Shown(dialog, IDC_STRINGS_DESCRIPTION), "Licht");
    });
}

TEST_F(StringsEditor, AddAndDeleteKeepTheSelectionWhereItWas)
{
    Languages();
    Run([this](wxDialog& dialog) {
        SelectLine(dialog, 1);
        ClickButton(dialog, IDC_STRINGS_ADD);
        ASSERT_EQ(m_table.Rows().size(), 4u);
        EXPECT_EQ(m_table.Rows()[3], CStringTable::CRow{});
        EXPECT_EQ(Lines(dialog)[3], "3||");
        EXPECT_EQ(SelectedLine(dialog), 1);
        EXPECT_EQ(Shown(dialog, IDC_STRINGS_TEXT), "Table");

        // The line that takes the deleted one's place is selected and shown.
        ClickButton(dialog, IDC_STRINGS_DELETE);
        EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"0|Chair|name", "1|Lamp|light", "2||"}));
        EXPECT_EQ(SelectedLine(dialog), 1);
        EXPECT_EQ(Shown(dialog, IDC_STRINGS_TEXT), "Lamp");
        EXPECT_EQ(Shown(dialog, IDC_STRINGS_DESCRIPTION), "light");

        // Deleting the last line leaves none selected and the edits empty.
        SelectLine(dialog, 2);
        ClickButton(dialog, IDC_STRINGS_DELETE);
        EXPECT_EQ(m_table.Rows().size(), 2u);
        EXPECT_EQ(SelectedLine(dialog), -1);
        EXPECT_EQ(Shown(dialog, IDC_STRINGS_TEXT), "");
        EXPECT_EQ(Shown(dialog, IDC_STRINGS_DESCRIPTION), "");

        // With nothing selected, Delete does nothing and typing changes nothing.
        ClickButton(dialog, IDC_STRINGS_DELETE);
        Type(dialog, IDC_STRINGS_TEXT, "Stray");
        Type(dialog, IDC_STRINGS_DESCRIPTION, "Stray");
        EXPECT_EQ(m_table.Rows().size(), 2u);
        EXPECT_EQ(Lines(dialog), (std::vector<std::string>{"0|Chair|name", "1|Lamp|light"}));
        EXPECT_EQ(SelectedLine(dialog), -1);
    });
    // A plain table gains an empty string.
    Plain({"one"});
    Run([this](wxDialog& dialog) {
        ClickButton(dialog, IDC_STRINGS_ADD);
        EXPECT_EQ(m_table.Strings(), (std::vector<std::string>{"one", ""}));
        EXPECT_EQ(SelectedLine(dialog), 0);
    });
}

TEST_F(StringsEditor, TextIsShownAndTypedInItsLanguagesCodePage)
{
    Languages();
    Run([this](wxDialog& dialog) {
        // Code 17 holds Simplified Chinese (cp936), code 18 Traditional Chinese (cp950).
        EXPECT_EQ(Entries(dialog, IDC_STRINGS_LANGUAGE)[16], "Simplified Chinese");
        EXPECT_EQ(Entries(dialog, IDC_STRINGS_LANGUAGE)[17], "Traditional Chinese");
        SelectLine(dialog, 1);
        for (const CLanguageSample& sample : LanguageSamples())
        {
            Pick(dialog, IDC_STRINGS_LANGUAGE, sample.slot);
            Type(dialog, IDC_STRINGS_TEXT, wxString::FromUTF8(sample.typed));
            EXPECT_EQ(m_table.Rows()[1][std::size_t(sample.slot)].text, sample.stored) << sample.slot;
        }
        // Read back from the stored bytes.
        for (const CLanguageSample& sample : LanguageSamples())
        {
            Pick(dialog, IDC_STRINGS_LANGUAGE, sample.slot);
            EXPECT_EQ(Lines(dialog)[1], "1|" + std::string(sample.typed) + "|") << sample.slot;
            EXPECT_EQ(Shown(dialog, IDC_STRINGS_TEXT).utf8_string(), sample.typed) << sample.slot;
        }
    });
}

TEST_F(StringsEditor, CharacterTheLanguageCannotHoldIsRefusedUntilFixed)
{
    constexpr int kPolish = 15;
    Languages();
    const CStringTable original = m_table;
    const int result = Run([this, &original](wxDialog& dialog) {
        Pick(dialog, IDC_STRINGS_LANGUAGE, kPolish);
        SelectLine(dialog, 0);
        Type(dialog, IDC_STRINGS_TEXT, L"Krzes\u0142o \u4E2D");
        EXPECT_EQ(m_table.Rows(), original.Rows());
        EXPECT_EQ(Lines(dialog)[0], "0||");
        const wxString refusal = L"The character \"\u4E2D\" (U+4E2D) cannot be written in Polish: its code page, "
                                 L"windows-1250, has no such character.";
        EXPECT_NE(dialog.GetChildren().end(),
                  std::find_if(dialog.GetChildren().begin(), dialog.GetChildren().end(),
                               [&](wxWindow* child) {
                                   wxString label = child->GetLabel();
                                   label.Replace("\n", " ");
                                   return label == refusal;
                               }));

        // OK says so and keeps the dialog open with the text as typed.
        ClickButton(dialog, wxID_OK);
        EXPECT_TRUE(dialog.IsModal());
        ASSERT_EQ(m_ui.messages.size(), 1u);
        EXPECT_EQ(m_ui.messages[0].text, refusal);
        EXPECT_EQ(Shown(dialog, IDC_STRINGS_TEXT), L"Krzes\u0142o \u4E2D");

        Type(dialog, IDC_STRINGS_TEXT, L"Krzes\u0142o");
        EXPECT_EQ(m_table.Rows()[0][kPolish].text, "Krzes\xB3o");
        // windows-1252 languages refuse too, rather than store "?".
        Pick(dialog, IDC_STRINGS_LANGUAGE, 0);
        Type(dialog, IDC_STRINGS_DESCRIPTION, L"\u03A9");
        EXPECT_EQ(m_table.Rows()[0][0].description, "name");
        Type(dialog, IDC_STRINGS_DESCRIPTION, L"\u20AC 5");
        EXPECT_EQ(m_table.Rows()[0][0].description, "\x80 5");
        ClickButton(dialog, wxID_OK);
    });
    EXPECT_EQ(result, wxID_OK);
    EXPECT_EQ(m_ui.messages.size(), 1u);
}

TEST_F(StringsEditor, UnchangedTextsKeepTheirBytesEvenWhenTheyDoNotDecode)
{
    constexpr int kJapanese = 14;
    Languages();
    for (const CLanguageSample& sample : LanguageSamples())
    {
        m_table.SetText(0, sample.slot, sample.stored);
        m_table.SetDescription(0, sample.slot, sample.stored);
    }
    m_table.SetText(2, kJapanese, kBrokenJapanese);
    m_table.SetDescription(2, kJapanese, "\x83T");
    const CRecordResult<std::vector<std::uint8_t>> before = m_table.Encode(kTypeStr);
    ASSERT_TRUE(before);

    const int result = Run([this](wxDialog& dialog) {
        // Every line in every language, each shown in the edits, then OK.
        for (int slot = 0; slot < CStringTable::kSlotCount - 1; ++slot)
        {
            Pick(dialog, IDC_STRINGS_LANGUAGE, slot);
            for (long line = 0; line < 3; ++line)
                SelectLine(dialog, line);
        }
        Pick(dialog, IDC_STRINGS_LANGUAGE, kJapanese);
        SelectLine(dialog, 2);
        EXPECT_EQ(Shown(dialog, IDC_STRINGS_TEXT).utf8_string(), kBrokenJapaneseShown);
        // Editing the description leaves the text beside it as it was.
        Type(dialog, IDC_STRINGS_DESCRIPTION, L"\u30B5\u30F3");
        EXPECT_EQ(m_table.Rows()[2][kJapanese], (CStringPair{kBrokenJapanese, "\x83T\x83\x93"}));
        Type(dialog, IDC_STRINGS_DESCRIPTION, L"\u30B5");
        // The mark cannot be written back; put back as it was, the text keeps its bytes.
        const wxString broken = wxString::FromUTF8(kBrokenJapaneseShown);
        Type(dialog, IDC_STRINGS_TEXT, broken + "?");
        EXPECT_EQ(m_table.Rows()[2][kJapanese].text, kBrokenJapanese);
        Type(dialog, IDC_STRINGS_TEXT, broken);
        ClickButton(dialog, wxID_OK);
    });
    EXPECT_EQ(result, wxID_OK);
    EXPECT_TRUE(m_ui.messages.empty());
    const CRecordResult<std::vector<std::uint8_t>> after = m_table.Encode(kTypeStr);
    ASSERT_TRUE(after);
    EXPECT_EQ(*after, *before);
}

namespace
{
class StringsOnSample : public CSampleDocumentTest
{
protected:
    /// Double-clicks the entry of string table `id` in the main view's list.
    void Open(std::uint16_t id) { DoubleClickEntry(*View().StringList(), id, "string table"); }
};

CStringTable LoadStrings(const CIffFile& container, std::uint16_t id)
{
    CStringTable table;
    EXPECT_TRUE(table.Load(container, kTypeStr, id)) << id;
    return table;
}
}

TEST_F(StringsOnSample, CancelKeepsTheContainerAndOkStoresWhatTheDialogShows)
{
    CUiScope scope(m_ui);
    const std::vector<std::uint8_t> before = Image();
    const auto renameChair = [](wxDialog& dialog) {
        SelectLine(dialog, 0);
        Type(dialog, IDC_STRINGS_TEXT, "Sample Stool");
    };
    Drive(m_ui, renameChair, wxID_CANCEL);
    RefuseFurtherDialogs(m_ui);
    Open(128);
    ASSERT_EQ(m_ui.modalRuns, (std::vector<int>{IDD_STRINGS_EDITOR}));
    EXPECT_EQ(Image(), before);
    EXPECT_FALSE(Document().IsModified());

    m_ui.modalDrivers.clear();
    Drive(m_ui, [renameChair](wxDialog& dialog) {
        renameChair(dialog);
        ClickButton(dialog, wxID_OK);
    });
    RefuseFurtherDialogs(m_ui);
    Open(128);
    // The untouched "© Marrowfen" keeps its byte 0xA9.
    const std::vector<std::string> edited{"Sample Stool", "A chair made for testing", "\xA9 Marrowfen"};
    EXPECT_EQ(LoadStrings(Document().Container(), 128).Strings(), edited);
    EXPECT_TRUE(Document().IsModified());

    // The catalog strings in French, through the same road.
    m_ui.modalDrivers.clear();
    Drive(m_ui, [](wxDialog& dialog) {
        Pick(dialog, IDC_STRINGS_LANGUAGE, kFrench);
        SelectLine(dialog, 1);
        Type(dialog, IDC_STRINGS_TEXT, "Un Sim s'y assied.");
        ClickButton(dialog, wxID_OK);
    });
    RefuseFurtherDialogs(m_ui);
    Open(129);

    ASSERT_TRUE(Document().OnSaveDocument(m_path));
    const CIffFile saved = ReadIff(m_path);
    EXPECT_EQ(LoadStrings(saved, 128).Strings(), edited);
    const CStringTable catalog = LoadStrings(saved, 129);
    ASSERT_EQ(catalog.Rows().size(), 2u);
    EXPECT_EQ(catalog.Rows()[1][kFrench].text, "Un Sim s'y assied.");
    EXPECT_EQ(catalog.Rows()[1][0].text, "Sits one Sim in reasonable comfort.");
    EXPECT_EQ(catalog.Rows()[0][kGerman].text, "Beispielstuhl");
    EXPECT_EQ(catalog.Name(), "catalog strings");
}

TEST_F(StringsEditor, LanguageSetsAreTypedAsTheirLanguagesTextAndStoredAsSets)
{
    constexpr int kJapanese = 14;
    Languages(CStringTable::kLanguageSetsFormat);
    const int result = Run([this](wxDialog& dialog) {
        // Real keys into a UTF-8 set.
        SelectLine(dialog, 1);
        ASSERT_TRUE(PressKeys(*dialog.FindWindow(IDC_STRINGS_TEXT), "Desk"));
        EXPECT_EQ(m_table.Rows()[1][0].text, "Desk");
        EXPECT_EQ(Lines(dialog)[1], "1|Desk|");

        // A UTF-8 set takes what no single code page holds.
        Type(dialog, IDC_STRINGS_DESCRIPTION, L"\u03A9 \u4E2D \u0E01");
        EXPECT_EQ(m_table.Rows()[1][0].description, "\u03A9 \u4E2D \u0E01");

        // Japanese goes through cp932, which refuses Thai.
        Pick(dialog, IDC_STRINGS_LANGUAGE, kJapanese);
        SelectLine(dialog, 0);
        Type(dialog, IDC_STRINGS_TEXT, L"\u30B5");
        EXPECT_EQ(m_table.Rows()[0][kJapanese].text, "\x83T");
        Type(dialog, IDC_STRINGS_TEXT, L"\u30B5\u0E01");
        EXPECT_EQ(m_table.Rows()[0][kJapanese].text, "\x83T");
        Type(dialog, IDC_STRINGS_TEXT, L"\u30B5");

        // Add a row, remove a language.
        ClickButton(dialog, IDC_STRINGS_ADD);
        Pick(dialog, IDC_STRINGS_LANGUAGE, kGerman);
        SelectLine(dialog, 2);
        Type(dialog, IDC_STRINGS_TEXT, "");
        Type(dialog, IDC_STRINGS_DESCRIPTION, "");
        ClickButton(dialog, wxID_OK);
    });
    EXPECT_EQ(result, wxID_OK);

    const CRecordResult<std::vector<std::uint8_t>> data = m_table.Encode(kTypeStr);
    ASSERT_TRUE(data);
    CStringTable stored;
    ASSERT_TRUE(stored.Decode(*data, kTypeStr));
    EXPECT_EQ(stored.Format(), CStringTable::kLanguageSetsFormat);
    EXPECT_EQ(stored.Rows(), m_table.Rows());
    ASSERT_EQ(stored.Rows().size(), 4u);
    // The Japanese text is written as its cp932 bytes carried as characters; German is gone.
    const std::vector<std::uint8_t> carried{14, 3, 0xC2, 0x83, 'T'};
    EXPECT_NE(std::search(data->begin(), data->end(), carried.begin(), carried.end()), data->end());
    EXPECT_EQ(stored.Rows()[2][kGerman], CStringPair{});
    EXPECT_EQ((*data)[2], 20);
}
