// The main view: the four sorted lists with the chunk ids as item data, and the semi-global field
// with its limit and its effect on the document.

#include "GuiTestSupport.h"

#include "TreewrightDoc.h"
#include "TreewrightDocManager.h"
#include "TreewrightView.h"

#include "containers/ChunkSnapshot.h"
#include "containers/TypeCodes.h"
#include "records/SemiGlobalReference.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/textctrl.h>

namespace
{
struct CEntry
{
    wxString text;
    std::uint16_t id;
    bool operator==(const CEntry&) const = default;
};

std::vector<CEntry> Entries(const wxListBox& list)
{
    std::vector<CEntry> entries;
    for (unsigned int i = 0; i < list.GetCount(); ++i)
        entries.push_back({list.GetString(i), ChunkIdOf(list, i)});
    return entries;
}

void PrintTo(const CEntry& entry, std::ostream* out)
{
    *out << entry.text.utf8_string() << " (" << entry.id << ")";
}

void OpenForTest(CScriptedUserInterface& user, const std::string& path)
{
    ASSERT_TRUE(DocManager().OpenDocument(path));
    ForgetSemiGlobalNotice(user);
    ASSERT_TRUE(user.messages.empty());
}
}

TEST(MainView, ListsEveryKindSortedByTextWithItsIdAsItemData)
{
    ResetDocument();
    CTempFolder temp;
    const std::string path = temp.File("Lists.iff");
    const std::vector<std::uint8_t> none;
    WriteIff(path, {{"BHAV", 4096, "init", none},
                    {"BHAV", 2, "two", none},
                    {"TTAs", 128, "names", none},
                    {"BHAV", 128, "main", none},
                    {"STR#", 300, "catalog", none},
                    {"BHAV", 4097, "cleanup", none},
                    {"STR#", 129, "body", none},
                    {"TTAB", 128, "interactions", none},
                    {"BCON", 4096, "tuning", none},
                    {"BCON", 40000, "high id", none},
                    {"GLOB", 1, "semi global file", GlobData("Seating")}});
    CScriptedUserInterface user;
    CUiScope scope(user);
    OpenForTest(user, path);

    const std::vector<CEntry> scripts = {
        {"#128: main", 128}, {"#2: two", 2}, {"#4096: init", 4096}, {"#4097: cleanup", 4097}};
    EXPECT_EQ(Entries(*View().ScriptList()), scripts);
    const std::vector<CEntry> strings = {{"#129: body", 129}, {"#300: catalog", 300}};
    EXPECT_EQ(Entries(*View().StringList()), strings);
    const std::vector<CEntry> interactions = {{"#128: interactions", 128}};
    EXPECT_EQ(Entries(*View().InteractionList()), interactions);
    const std::vector<CEntry> constants = {{"#40000: high id", 40000}, {"#4096: tuning", 4096}};
    EXPECT_EQ(Entries(*View().ConstantList()), constants);
    EXPECT_EQ(View().SemiGlobalField()->GetValue(), "Seating");
    EXPECT_EQ(Document().SemiGlobalName(), "Seating");
    EXPECT_FALSE(Document().IsModified());
}

TEST(MainView, MissingKindsLeaveTheirListsAndTheFieldEmpty)
{
    CTempFolder temp;
    const std::string path = temp.File("Bare.iff");
    WriteIff(path, {{"BHAV", 4096, "only", {}}});
    CScriptedUserInterface user;
    CUiScope scope(user);
    // Opened over a file with everything, so that nothing is left over from it.
    OpenForTest(user, SampleObjectPath());
    ASSERT_GT(View().ConstantList()->GetCount(), 0U);
    OpenForTest(user, path);
    EXPECT_EQ(View().ScriptList()->GetCount(), 1U);
    EXPECT_EQ(View().StringList()->GetCount(), 0U);
    EXPECT_EQ(View().InteractionList()->GetCount(), 0U);
    EXPECT_EQ(View().ConstantList()->GetCount(), 0U);
    EXPECT_EQ(View().SemiGlobalField()->GetValue(), "");
    EXPECT_EQ(Document().SemiGlobalName(), "");
}

TEST(MainView, TypingTheSemiGlobalNameReachesTheDocumentAtOnceWithin47Characters)
{
    ResetDocument();
    CScriptedUserInterface user;
    CUiScope scope(user);
    OpenForTest(user, SampleObjectPath());
    wxTextCtrl* field = View().SemiGlobalField();

    field->SetValue("");
    for (int i = 0; i < 50; ++i)
        field->WriteText("x");
    EXPECT_EQ(field->GetValue().length(), kMaxSemiGlobalNameLength);
    EXPECT_EQ(Document().SemiGlobalName(), std::string(kMaxSemiGlobalNameLength, 'x'));
    EXPECT_TRUE(Document().IsModified());

    // Text outside ASCII goes into the file as windows-1252 bytes.
    field->SetValue(wxString::FromUTF8("Caf\xc3\xa9Globals"));
    EXPECT_EQ(Document().SemiGlobalName(), "Caf\xe9Globals");
    Document().Modify(false);
}

TEST(MainView, ALongerNameReadFromTheFileIsShownWholeAndKeptAsItWas)
{
    ResetDocument();
    CTempFolder temp;
    const std::string path = temp.File("Long.iff");
    // 60 characters ending in a NUL: the form the game's older files use.
    const std::string longName = "AVeryLongSemiGlobalFileNameThatGoesOnAndOnForSixtyCharacters";
    ASSERT_EQ(longName.size(), 60U);
    std::vector<std::uint8_t> data(longName.begin(), longName.end());
    data.push_back(0);
    WriteIff(path, {{"GLOB", 2049, "semi global", data}});
    CScriptedUserInterface user;
    CUiScope scope(user);
    OpenForTest(user, path);

    EXPECT_EQ(View().SemiGlobalField()->GetValue(), longName);
    EXPECT_EQ(Document().SemiGlobalName(), longName);
    SendCommand(ID_FILE_SAVE);
    CIffChunk glob;
    glob.type = kTypeGlob;
    glob.id = 2049;
    const CIffFile written = ReadIff(path);
    ASSERT_TRUE(written.FindChunk(glob));
    const auto bytes = written.ChunkData(glob);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), data);
}

TEST(MainView, ADoubleClickTakesTheTypedNameIntoTheDocument)
{
    ResetDocument();
    CScriptedUserInterface user;
    CUiScope scope(user);
    OpenForTest(user, SampleObjectPath());
    wxListBox* scripts = View().ScriptList();
    ASSERT_GT(scripts->GetCount(), 0U);
    // Written without a change event, as another window would leave it.
    View().SemiGlobalField()->ChangeValue("Typed");
    scripts->SetSelection(0);
    // Whatever editor the entry opens is cancelled: only the name matters here.
    user.modalDrivers.push_back([](wxDialog& editor) { editor.EndModal(wxID_CANCEL); });
    wxCommandEvent click(wxEVT_LISTBOX_DCLICK, IDC_SCRIPT_LIST);
    click.SetEventObject(scripts);
    click.SetInt(0);
    scripts->GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ(Document().SemiGlobalName(), "Typed");
    EXPECT_TRUE(user.messages.empty());
    user.modalDrivers.clear();
    Document().Modify(false);
}

// A change refills only the lists it changes: a long list elsewhere keeps where it was scrolled to
// and what was chosen in it, and the changed list shows the change; undone, it shows it no more.
TEST(MainView, AChangeRefillsOnlyTheListsItChanges)
{
    ResetDocument();
    CTempFolder temp;
    const std::string path = temp.File("Long.iff");
    std::vector<CTestChunk> chunks;
    for (std::uint16_t id = 4096; id < 4096 + 200; ++id)
        chunks.push_back({"BHAV", id, "script " + std::to_string(id), {}});
    chunks.push_back({"BCON", 4096, "tuning", {}});
    WriteIff(path, chunks);
    CScriptedUserInterface user;
    CUiScope scope(user);
    OpenForTest(user, path);

    wxListBox& scripts = *View().ScriptList();
    scripts.SetSelection(150);
    scripts.SetFirstItem(140);
    RunPendingEvents();
    const int top = scripts.GetTopItem();
    ASSERT_GT(top, 0) << "the list is scrolled";

    const auto rename = [](CIffFile& file) {
        CIffChunk chunk;
        chunk.type = kTypeBcon;
        chunk.id = 4096;
        chunk.name = "renamed";
        return file.PutChunk(chunk, std::span<const std::uint8_t>());
    };
    ASSERT_TRUE(Document().ChangeRecords("Rename", rename));
    RunPendingEvents();
    EXPECT_EQ(Entries(*View().ConstantList()), (std::vector<CEntry>{{"#4096: renamed", 4096}}));
    EXPECT_EQ(scripts.GetSelection(), 150);
    EXPECT_EQ(scripts.GetTopItem(), top);

    ASSERT_TRUE(Document().UndoChange());
    RunPendingEvents();
    EXPECT_EQ(TakeChunkSnapshot(Document().Container(), kTypeBcon, 4096).name, "tuning");
    EXPECT_EQ(Entries(*View().ConstantList()), (std::vector<CEntry>{{"#4096: tuning", 4096}}));
    EXPECT_EQ(scripts.GetTopItem(), top);
}
