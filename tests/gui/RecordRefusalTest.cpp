// Records the editor cannot open faithfully are refused with their reason in the status bar, and an
// OK whose record cannot be stored keeps the editor open with the user's changes.

#include "GuiTestSupport.h"
#include "RealInput.h"
#include "ScriptDialogDriving.h"

#include "MainFrame.h"
#include "TreewrightDoc.h"
#include "TreewrightView.h"

#include "containers/TypeCodes.h"
#include "records/InteractionTable.h"
#include "records/StringTable.h"
#include "resources/TableEditorIds.h"

#include <gtest/gtest.h>

#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

namespace
{
using Bytes = std::vector<std::uint8_t>;

Bytes LE16(std::initializer_list<int> values)
{
    Bytes bytes;
    for (const int value : values)
    {
        bytes.push_back(std::uint8_t(value));
        bytes.push_back(std::uint8_t(value >> 8));
    }
    return bytes;
}

Bytes PlainStrings(int count)
{
    Bytes data{std::uint8_t(count >> 8), std::uint8_t(count)};
    for (int i = 0; i < count; ++i)
        data.insert(data.end(), {1, std::uint8_t('a' + i % 26)});
    return data;
}

// A definition of version 142 and 214 bytes whose fields are all 0.
Bytes Object()
{
    Bytes data(214, 0);
    data[0] = 142;
    return data;
}

class RecordRefusal : public CSampleDocumentTest
{
protected:
    wxString Status() const { return MainFrame().GetStatusBar()->GetStatusText(0); }
};
}

TEST_F(RecordRefusal, ARecordThatDoesNotLoadOpensNoEditorAndSaysWhy)
{
    const std::string path = m_folder.File("Refused.iff");
    Bytes shortConstants{3, 0, 1, 0};
    WriteIff(path, {{"BHAV", 4100, "future", LE16({0x8004, 0, 0, 0, 0, 0})},
                    {"STR#", 132, "prefixed", LE16({0xFFFC, 1})},
                    {"TTAB", 4200, "tomorrow", LE16({0, 10})},
                    {"TTAs", 4200, "tomorrow names", LE16({0xFFFD, 0})},
                    {"TTAB", 4201, "no names", LE16({0, 9})},
                    {"BCON", 4096, "short", shortConstants}});
    OpenDocument(path);
    CUiScope scope(m_ui);
    struct CCase
    {
        wxListBox* list;
        std::uint16_t id;
        const char* status;
    };
    const CCase cases[] = {
        {View().ScriptList(), 4100, "BHAV #4100 \"future\": format 0x8004 is not one this program can edit"},
        // Language sets and version 10 open, but not cut short.
        {View().StringList(), 132, "STR# #132 \"prefixed\": the table is damaged: it promises more than its data hold"},
        {View().InteractionList(), 4200,
         "TTAB #4200 \"tomorrow\": its interactions do not fill it as version 10 is laid out here, so it cannot be "
         "edited without changing it"},
        {View().InteractionList(), 4201, "TTAs #4201: the table is not in the file"},
        {View().ConstantList(), 4096, "BCON #4096 \"short\": the table is damaged: it promises more than its data hold"},
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.status);
        DoubleClickEntry(*c.list, c.id, "record");
        EXPECT_TRUE(m_ui.modalRuns.empty());
        EXPECT_EQ(Status(), c.status);
        EXPECT_FALSE(Document().IsModified());
    }
}

TEST_F(RecordRefusal, AnOkThatCannotStoreKeepsTheEditorOpenWithTheChanges)
{
    // 252 plain strings and one more: a count of 253 would read back as a table of languages.
    const std::string path = m_folder.File("Full.iff");
    WriteIff(path, {{"STR#", 128, "many", PlainStrings(252)}});
    OpenDocument(path);
    CUiScope scope(m_ui);
    const Bytes before = Image();
    bool stayedOpen = false;
    m_ui.modalDrivers.push_back([&](wxDialog& editor) {
        ClickButton(editor, IDC_STRINGS_ADD);
        ClickButton(editor, wxID_OK);
        stayedOpen = editor.IsModal();
        ASSERT_EQ(m_ui.messages.size(), 1u);
        EXPECT_NE(m_ui.messages[0].text.find("a plain string table of 253 strings would read back"), wxString::npos)
            << m_ui.messages[0].text;
        EXPECT_EQ(Image(), before);
        // Two more make 254, still refused; three more make a count the layout tells apart.
        ClickButton(editor, IDC_STRINGS_ADD);
        ClickButton(editor, IDC_STRINGS_ADD);
        ClickButton(editor, IDC_STRINGS_ADD);
        ClickButton(editor, wxID_OK);
    });
    DoubleClickEntry(*View().StringList(), 128, "string table");
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(Document().IsModified());
    CStringTable stored;
    ASSERT_TRUE(stored.Load(Document().Container(), kTypeStr, 128));
    EXPECT_EQ(stored.Strings().size(), 256u);
    Document().Modify(false);
}

TEST_F(RecordRefusal, AnInteractionTableIsStoredOnlyWithItsNames)
{
    // Names in twenty languages for 3276 rows fill the 16-bit entry count all but 15: the row that
    // Add gives the new interaction cannot be counted, so neither table may be stored.
    CStringTable::CRow full;
    for (int slot = 0; slot < 20; ++slot)
        full[std::size_t(slot)].text = "n";
    const CStringTable names = CStringTable::Languages(std::vector<CStringTable::CRow>(3276, full));
    const CRecordResult<Bytes> namesEncoded = names.Encode(kTypeTtas);
    ASSERT_TRUE(namesEncoded);
    const Bytes& namesData = *namesEncoded;
    const CInteractionTable table(9, {CInteraction{}});
    const CRecordResult<Bytes> tableEncoded = table.Encode();
    ASSERT_TRUE(tableEncoded);
    const Bytes& tableData = *tableEncoded;
    const std::string path = m_folder.File("Crowded.iff");
    WriteIff(path, {{"TTAB", 128, "interactions", tableData}, {"TTAs", 128, "names", namesData}});
    OpenDocument(path);
    CUiScope scope(m_ui);
    const Bytes before = Image();
    m_ui.modalDrivers.push_back([&](wxDialog& editor) {
        ClickButton(editor, IDC_INTERACTIONS_ADD);
        ClickButton(editor, wxID_OK);
        EXPECT_TRUE(editor.IsModal());
        EXPECT_EQ(m_ui.messages.size(), 1u);
        EXPECT_EQ(Image(), before);
        editor.EndModal(wxID_CANCEL);
    });
    DoubleClickEntry(*View().InteractionList(), 128, "interaction table");
    EXPECT_EQ(Image(), before);
    EXPECT_FALSE(Document().IsModified());
}

// A refused record is marked where it is listed: grey, its reason as the entry's tooltip and, once
// the entry is chosen, in the status bar; the records that open look as they always did.
TEST_F(RecordRefusal, RefusedRecordsAreGreyWithTheirReasonInTheirLists)
{
    const std::string path = m_folder.File("Marked.iff");
    WriteIff(path, {{"BHAV", 4096, "fine", LE16({0x8002, 0, 0, 0, 0, 0}) /* no lines */},
                    {"BHAV", 4100, "future", LE16({0x8004, 0, 0, 0, 0, 0})},
                    {"TTAB", 4201, "no names", LE16({0, 9})},
                    {"OBJD", 128, "no functions", Object()},
                    {"OBJD", 129, "stub", LE16({142, 0})},
                    {"OBJD", 130, "bad functions", Object()},
                    {"OBJf", 130, "bad functions", Bytes(16, 1)}});
    OpenDocument(path);
    CUiScope scope(m_ui);
    struct CCase
    {
        wxListBox* list;
        ERecordKind kind;
        std::uint16_t id;
        const char* reason;  // empty: the record opens
    };
    const CCase cases[] = {
        {View().ScriptList(), ERecordKind::Script, 4096, ""},
        {View().ScriptList(), ERecordKind::Script, 4100, "BHAV #4100 \"future\": format 0x8004 is not one this program can edit"},
        {View().InteractionList(), ERecordKind::Interactions, 4201, "TTAs #4201: the table is not in the file"},
        // An object opens without a function table, not with a damaged one.
        {View().ObjectList(), ERecordKind::Objects, 128, ""},
        {View().ObjectList(), ERecordKind::Objects, 129,
         "OBJD #129 \"stub\": it is shorter than the 32 bytes its layout needs"},
        {View().ObjectList(), ERecordKind::Objects, 130,
         "OBJf #130 \"bad functions\": it does not begin as a function table does (eight zero bytes, then \"fJBO\")"},
    };
    for (const CCase& c : cases)
        EXPECT_EQ(View().RefusalMarks().ReasonOf(c.kind, c.id), c.reason) << c.id;

    wxListBox& scripts = *View().ScriptList();
    scripts.SetSelection(wxNOT_FOUND);
    const auto itemOf = [](wxListBox& list, std::uint16_t id) {
        for (unsigned item = 0; item < list.GetCount(); ++item)
            if (ChunkIdOf(list, item) == id)
                return item;
        return ~0u;
    };
    // Grey against black: the refused entry's darkest pixel is far lighter than the other's.
    const wxRect fine = EntryRect(scripts, itemOf(scripts, 4096));
    const wxRect refused = EntryRect(scripts, itemOf(scripts, 4100));
    ASSERT_FALSE(fine.IsEmpty());
    ASSERT_FALSE(refused.IsEmpty());
    PointAt(*View().SemiGlobalField());
    const int fineDarkest = DarkestOnScreen(scripts, fine);
    const int refusedDarkest = DarkestOnScreen(scripts, refused);
    EXPECT_LT(fineDarkest, 60);
    EXPECT_GT(refusedDarkest, fineDarkest + 50);

    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.id);
        const wxRect entry = EntryRect(*c.list, itemOf(*c.list, c.id));
        ASSERT_FALSE(entry.IsEmpty());
        MainFrame().SetStatusText("Ready");
        ClickAt(*c.list, wxPoint(entry.x + 10, entry.y + entry.height / 2));
        EXPECT_EQ(c.list->GetSelection(), int(itemOf(*c.list, c.id)));
        EXPECT_EQ(c.list->GetToolTipText(), c.reason);
        EXPECT_EQ(Status(), *c.reason != '\0' ? wxString(c.reason) : wxString("Ready"));
    }
}

// Records that do not load may name the record too: the delete question lists them, for the kinds
// they could name, before the user answers.
TEST_F(RecordRefusal, TheDeleteQuestionNamesTheRecordsThatCouldNotBeRead)
{
    const std::string path = m_folder.File("Unread.iff");
    WriteIff(path, {{"BHAV", 4096, "fine", LE16({0x8002, 0, 0, 0, 0, 0})},
                    {"BHAV", 4100, "future", LE16({0x8004, 0, 0, 0, 0, 0})},
                    {"STR#", 300, "damaged", LE16({0x0500})},
                    {"BCON", 4096, "values", Bytes{0, 0}},
                    {"OBJD", 129, "stub", LE16({142, 0})}});
    OpenDocument(path);
    CUiScope scope(m_ui);
    const wxString stub = "OBJD #129 \"stub\": it is shorter than the 32 bytes its layout needs\n\n";
    struct CCase
    {
        wxListBox* list;
        std::uint16_t id;
        wxString question;
    };
    const CCase cases[] = {
        {View().ScriptList(), 4096,
         "2 records of this file could not be read and may refer to it too:\n"
         "BHAV #4100 \"future\": format 0x8004 is not one this program can edit\n" +
             stub + "Delete Script #4096: fine?"},
        {View().StringList(), 300,
         "1 records of this file could not be read and may refer to it too:\n" + stub +
             "Delete String Table #300: damaged?"},
        // Nothing this program reads names a constant table.
        {View().ConstantList(), 4096, "Delete Constant Table #4096: values?"},
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.id);
        m_ui.messages.clear();
        m_ui.answers.push_back(wxID_NO);
        unsigned item = 0;
        while (item < c.list->GetCount() && ChunkIdOf(*c.list, item) != c.id)
            ++item;
        const wxRect entry = EntryRect(*c.list, item);
        ASSERT_FALSE(entry.IsEmpty());
        ClickAt(*c.list, wxPoint(entry.x + 10, entry.y + entry.height / 2));
        PressKeys(WXK_DELETE);
        ASSERT_EQ(m_ui.messages.size(), 1u);
        EXPECT_EQ(m_ui.messages[0].text, c.question);
        EXPECT_FALSE(Document().IsModified());
    }

    // The renumber question, F2's dialog, says the same before an id is changed.
    wxArrayString shown;
    Drive(m_ui, [&](wxDialog& dialog) {
        for (const wxWindow* child : dialog.GetChildren())
            if (const auto* text = wxDynamicCast(child, wxStaticText))
                shown.push_back(text->GetLabel());
    });
    View().SelectRecord(ERecordKind::Script, 4096);
    ClickOn(*View().ScriptList());
    View().SelectRecord(ERecordKind::Script, 4096);
    PressKeys(WXK_F2);
    EXPECT_NE(shown.Index("2 records of this file could not be read and may refer to it too:\n"
                          "BHAV #4100 \"future\": format 0x8004 is not one this program can edit\n"
                          "OBJD #129 \"stub\": it is shorter than the 32 bytes its layout needs"),
              wxNOT_FOUND)
        << wxJoin(shown, '|');
    EXPECT_FALSE(Document().IsModified());
}
