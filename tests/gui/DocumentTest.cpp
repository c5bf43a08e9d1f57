// The document: opening through the document manager, the messages of a failed open and what it
// leaves in place, the question about unsaved changes, and saving through a temporary file.

#include "GuiTestSupport.h"
#include "RealInput.h"
#include "tests/IndexedFiles.h"

#include "TreewrightDoc.h"
#include "TreewrightDocManager.h"
#include "TreewrightView.h"

#include "containers/TypeCodes.h"
#include "records/SemiGlobalReference.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

#include <fstream>

#include <wx/filehistory.h>
#include <wx/frame.h>
#include <wx/statusbr.h>
#include <wx/listbox.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace
{
// A small object of our own: two scripts, a string table and a semi-global reference.
void WriteObject(const std::string& path, const std::string& semiGlobal = "PersonGlobals")
{
    std::vector<CTestChunk> chunks = {
        {"BHAV", 4096, "main", std::vector<std::uint8_t>(12, 0)},
        {"BHAV", 4097, "helper", std::vector<std::uint8_t>(12, 0)},
        {"STR#", 128, "names", {0, 0, 0, 0}},
    };
    if (!semiGlobal.empty())
        chunks.push_back({"GLOB", 128, "semi global", GlobData(semiGlobal)});
    WriteIff(path, chunks);
}

std::vector<wxString> ListTexts(const wxListBox& list)
{
    std::vector<wxString> texts;
    for (unsigned int i = 0; i < list.GetCount(); ++i)
        texts.push_back(list.GetString(i));
    return texts;
}

// What a failed open must leave as it was.
struct CDocumentState
{
    wxString title;
    wxString path;
    std::string fileName;
    std::string semiGlobal;
    std::size_t chunks = 0;
    std::vector<std::string> neededNames;
    std::vector<wxString> scripts;
    wxString frameTitle;
};

CDocumentState StateOfDocument()
{
    CDocumentState state;
    state.title = Document().GetTitle();
    state.path = Document().GetFilename();
    state.fileName = Document().FileName();
    state.semiGlobal = Document().SemiGlobalName();
    state.chunks = Document().Container().Chunks().size();
    state.neededNames = ListedNames(Document().NeededFiles());
    state.scripts = ListTexts(*View().ScriptList());
    state.frameTitle = View().GetFrame()->GetLabel();
    return state;
}

void ExpectSameState(const CDocumentState& a, const CDocumentState& b)
{
    EXPECT_EQ(a.title, b.title);
    EXPECT_EQ(a.path, b.path);
    EXPECT_EQ(a.fileName, b.fileName);
    EXPECT_EQ(a.semiGlobal, b.semiGlobal);
    EXPECT_EQ(a.chunks, b.chunks);
    EXPECT_EQ(a.neededNames, b.neededNames);
    EXPECT_EQ(a.scripts, b.scripts);
    EXPECT_EQ(a.frameTitle, b.frameTitle);
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
}

TEST(DocumentOpen, SampleObjectLoadsTheGlobalFilesAndListsItsRecords)
{
    ResetDocument();
    CScriptedUserInterface user;
    CUiScope scope(user);
    ASSERT_TRUE(DocManager().OpenDocument(SampleObjectPath()));

    EXPECT_TRUE(user.messages.empty());
    // The loader's dialog shows only when the load outlasts its grace; no other dialog runs.
    EXPECT_LE(user.modalRuns.size(), 1U);
    for (int run : user.modalRuns)
        EXPECT_EQ(run, IDD_LOADING);
    EXPECT_EQ(Document().FileName(), "Sample Object.iff");
    EXPECT_EQ(Document().GetTitle(), "Sample Object.iff");
    EXPECT_EQ(View().GetFrame()->GetLabel(), "Sample Object.iff - Treewright");
    EXPECT_FALSE(Document().IsModified());

    // The global files first, then the open file under its name part, each indexed.
    const CNeededFiles& needed = Document().NeededFiles();
    ASSERT_GE(needed.Names().size(), 3U);
    EXPECT_EQ(needed.Names().front(), "Global.iff");
    EXPECT_EQ(needed.Names().back(), "Sample Object.iff");
    EXPECT_EQ(needed.Containers().size(), needed.Names().size());
    ASSERT_EQ(needed.Index().size(), needed.Names().size());
    EXPECT_EQ(needed.Index().back().fileName, "Sample Object.iff");
    EXPECT_EQ(needed.Index().back().scripts.size(), View().ScriptList()->GetCount());
    EXPECT_FALSE(needed.Index().front().scripts.empty());

    EXPECT_EQ(Document().SemiGlobalName(), ReadSemiGlobalName(ReadIff(SampleObjectPath())));
    EXPECT_EQ(View().SemiGlobalField()->GetValue(), wxString::FromUTF8(Document().SemiGlobalName()));
}

TEST(DocumentOpen, ReadErrorsShowTheirMessageAndKeepThePreviousDocument)
{
    ResetDocument();
    CTempFolder temp;
    const std::string object = temp.File("Object.iff");
    WriteObject(object);
    CScriptedUserInterface user;
    CUiScope scope(user);
    ASSERT_TRUE(DocManager().OpenDocument(object));
    ForgetSemiGlobalNotice(user);
    user.messages.clear();
    user.modalRuns.clear();
    const CDocumentState before = StateOfDocument();
    const size_t historyBefore = DocManager().GetFileHistory()->GetCount();

    const std::string text = temp.File("Readme.iff");
    const std::string text10 = "Just text, nothing of a container.";
    WriteBytes(text, std::vector<std::uint8_t>(text10.begin(), text10.end()));
    std::vector<std::uint8_t> header(64, 0);
    std::memcpy(header.data(), "IFF FILE 9.9:TYPE FOLLOWED BY SIZE", 34);
    const std::string badVersion = temp.File("Future.iff");
    WriteBytes(badVersion, header);
    std::filesystem::create_directory(temp.File("Folder.iff"));
    // A coded file with no body cannot decode to an image with a header.
    std::memcpy(header.data(), "IFF FILE 3.0", 12);
    const std::string coded = temp.File("Coded.iff");
    WriteBytes(coded, header);
    // An empty file, or one shorter than a header, holds no container.
    const std::string empty = temp.File("Empty.iff");
    WriteBytes(empty, {});
    const std::string tiny = temp.File("Tiny.iff");
    const std::string tinyText = "IFF FILE 2.5:TYPE";
    WriteBytes(tiny, std::vector<std::uint8_t>(tinyText.begin(), tinyText.end()));

    struct CCase
    {
        std::string path;
        std::string message;
        std::string decoderWord;  // shown before the message, with no owner and no caption of its own
    };
    const CCase cases[] = {
        {text, "This file is not an IFF file!", ""},
        {empty, "This file is not an IFF file!", ""},
        {tiny, "This file is not an IFF file!", ""},
        {badVersion, "Unsupported IFF file version number!", ""},
        {coded, "The file's compressed data is damaged.", "FAILURE"},
        {temp.File("Missing.iff"), temp.File("Missing.iff") + " was not found.", ""},
        {temp.File("Folder.iff"), "Access to " + temp.File("Folder.iff") + " was denied.", ""},
    };
    for (const CCase& bad : cases)
    {
        SCOPED_TRACE(bad.path);
        user.messages.clear();
        EXPECT_FALSE(DocManager().OpenDocument(bad.path));
        const std::size_t own = bad.decoderWord.empty() ? 0 : 1;
        ASSERT_EQ(user.messages.size(), own + 1);
        if (own == 1)
        {
            EXPECT_EQ(user.messages[0].text, bad.decoderWord);
            EXPECT_EQ(user.messages[0].caption, "Treewright") << "no caption of its own";
            EXPECT_EQ(user.messages[0].owner, nullptr);
        }
        EXPECT_EQ(user.messages[own].text, wxString::FromUTF8(bad.message));
        EXPECT_EQ(user.messages[own].caption, "Error");
        // Owned by the document's window, the main frame: the document leaves the form to the view.
        EXPECT_EQ(user.messages[own].owner, View().GetFrame());
        EXPECT_TRUE(user.modalRuns.empty()) << "the loader ran";
        ExpectSameState(before, StateOfDocument());
    }
    EXPECT_EQ(DocManager().GetFileHistory()->GetCount(), historyBefore);
}

// A file cut short opens with its whole chunks and a warning; saving asks first, since it drops the
// rest, and asks once.
TEST(DocumentOpen, AFileCutShortWarnsOnOpeningAndAsksBeforeSaving)
{
    ResetDocument();
    CTempFolder temp;
    const std::string whole = temp.File("Whole.iff");
    WriteObject(whole);
    std::ifstream in(whole, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const CIffFile complete = ReadIff(whole);
    ASSERT_GE(complete.Chunks().size(), 2u);
    // Cut 30 bytes into the last chunk's data.
    const CIffChunk& last = complete.Chunks().back();
    const std::uint64_t cut = last.offset + std::min<std::uint64_t>(30, last.size);
    bytes.resize(std::size_t(cut));
    const std::string path = temp.File("Cut.iff");
    WriteBytes(path, bytes);
    const std::uint64_t unread = cut - (last.offset - CIffFile::kChunkHeaderSize);

    CScriptedUserInterface user;
    CUiScope scope(user);
    ASSERT_TRUE(DocManager().OpenDocument(path));
    ForgetSemiGlobalNotice(user);
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].text, std::to_string(unread) + " bytes of this file past its last whole chunk could "
                                                              "not be read. Saving the file will drop them.");
    EXPECT_EQ(user.messages[0].caption, "Warning:");
    EXPECT_EQ(Document().Container().Chunks().size(), complete.Chunks().size() - 1);

    struct CStep
    {
        int answer;  // 0: no question expected
        bool written;
    };
    const CStep steps[] = {{wxID_NO, false}, {wxID_YES, true}, {0, true}};
    for (const CStep& step : steps)
    {
        SCOPED_TRACE(step.answer);
        user.messages.clear();
        if (step.answer != 0)
            user.answers.push_back(step.answer);
        Document().Modify(true);
        PointAt(*View().ScriptList());
        PressKeys('S', wxMOD_CONTROL);
        ASSERT_EQ(user.messages.size(), step.answer != 0 ? 1u : 0u);
        if (step.answer != 0)
        {
            EXPECT_EQ(user.messages[0].text, std::to_string(unread) +
                                                 " bytes of this file could not be read when it was opened, and "
                                                 "saving drops them. Save anyway?");
        }
        const CIffFile onDisk = ReadIff(path);
        EXPECT_EQ(onDisk.UnreadBytes(), step.written ? 0u : unread);
        EXPECT_EQ(Document().IsModified(), !step.written);
    }
}

TEST(DocumentNew, GivesAnEmptyContainerUnderTheDefaultName)
{
    CScriptedUserInterface user;
    CUiScope scope(user);
    ASSERT_TRUE(DocManager().OpenDocument(SampleObjectPath()));
    SendCommand(ID_FILE_NEW);
    EXPECT_EQ(Document().GetTitle(), "Untitled");
    EXPECT_EQ(View().GetFrame()->GetLabel(), "Untitled - Treewright");
    EXPECT_TRUE(Document().Container().Chunks().empty());
    EXPECT_EQ(Document().Container().Version(), 25);
    EXPECT_EQ(Document().SemiGlobalName(), "");
    EXPECT_EQ(View().SemiGlobalField()->GetValue(), "");
    for (wxListBox* list : {View().ScriptList(), View().StringList(), View().InteractionList(), View().ConstantList()})
        EXPECT_EQ(list->GetCount(), 0U);
    EXPECT_TRUE(user.messages.empty());
}

TEST(DocumentModified, NewOpenAndCloseAskBeforeUnsavedChangesAreLost)
{
    ResetDocument();
    CTempFolder temp;
    const std::string object = temp.File("Chair.iff");
    WriteObject(object, "ChairGlobals");
    CScriptedUserInterface user;
    CUiScope scope(user);
    ASSERT_TRUE(DocManager().OpenDocument(object));
    ForgetSemiGlobalNotice(user);

    View().SemiGlobalField()->SetValue("TableGlobals");
    EXPECT_TRUE(Document().IsModified());
    EXPECT_EQ(View().GetFrame()->GetLabel(), "Chair.iff* - Treewright");

    // Cancel keeps everything.
    user.answers = {wxID_CANCEL};
    SendCommand(ID_FILE_NEW);
    ASSERT_EQ(user.messages.size(), 1U);
    EXPECT_EQ(user.messages[0].text, "Save changes to Chair.iff?");
    EXPECT_EQ(user.messages[0].caption, "Treewright");
    EXPECT_EQ(user.messages[0].style & (wxYES_NO | wxCANCEL), wxYES_NO | wxCANCEL);
    EXPECT_EQ(Document().GetTitle(), "Chair.iff");
    EXPECT_EQ(Document().SemiGlobalName(), "TableGlobals");

    // Closing the window asks too, and Cancel keeps the window.
    user.answers = {wxID_CANCEL};
    wxCloseEvent close(wxEVT_CLOSE_WINDOW, View().GetFrame()->GetId());
    close.SetEventObject(View().GetFrame());
    close.SetCanVeto(true);
    View().GetFrame()->GetEventHandler()->ProcessEvent(close);
    EXPECT_TRUE(close.GetVeto());
    EXPECT_EQ(user.messages.size(), 2U);
    EXPECT_EQ(Document().SemiGlobalName(), "TableGlobals");

    // Yes saves before the open goes on.
    user.answers = {wxID_YES};
    ASSERT_TRUE(DocManager().OpenDocument(SampleObjectPath()));
    EXPECT_EQ(ReadSemiGlobalName(ReadIff(object)), "TableGlobals");
    EXPECT_EQ(Document().GetTitle(), "Sample Object.iff");

    // No drops the change.
    View().SemiGlobalField()->SetValue("Other");
    user.answers = {wxID_NO};
    SendCommand(ID_FILE_NEW);
    EXPECT_EQ(Document().GetTitle(), "Untitled");
    EXPECT_FALSE(Document().IsModified());
    EXPECT_TRUE(user.answers.empty());
}

TEST(DocumentModified, AnOpenThatFailsAfterNoKeepsTheChangesAndTheQuestion)
{
    ResetDocument();
    CTempFolder temp;
    const std::string object = temp.File("Lamp.iff");
    WriteObject(object, "LampGlobals");
    CScriptedUserInterface user;
    CUiScope scope(user);
    ASSERT_TRUE(DocManager().OpenDocument(object));
    ForgetSemiGlobalNotice(user);
    View().SemiGlobalField()->SetValue("LightGlobals");

    user.answers = {wxID_NO};
    EXPECT_FALSE(DocManager().OpenDocument(temp.File("Missing.iff")));
    EXPECT_EQ(Document().SemiGlobalName(), "LightGlobals");
    EXPECT_TRUE(Document().IsModified());

    user.answers = {wxID_NO};
    SendCommand(ID_FILE_NEW);
    EXPECT_TRUE(user.answers.empty()) << "the changes were dropped without asking";
}

TEST(DocumentSave, WritesTheSemiGlobalNameThroughATemporaryFile)
{
    ResetDocument();
    CTempFolder temp;
    const std::string object = temp.File("Sofa.iff");
    WriteObject(object, "");
    CScriptedUserInterface user;
    CUiScope scope(user);
    ASSERT_TRUE(DocManager().OpenDocument(object));
    ForgetSemiGlobalNotice(user);
    EXPECT_EQ(View().SemiGlobalField()->GetValue(), "");

    View().SemiGlobalField()->SetValue("SofaGlobals");
    SendCommand(ID_FILE_SAVE);
    EXPECT_TRUE(user.messages.empty());
    EXPECT_FALSE(Document().IsModified());
    EXPECT_EQ(View().GetFrame()->GetLabel(), "Sofa.iff - Treewright");
    EXPECT_EQ(FolderEntries(temp.Path()), std::vector<std::string>{"Sofa.iff"});

    const CIffFile written = ReadIff(object);
    CIffChunk glob;
    glob.type = kTypeGlob;
    glob.id = 1;
    ASSERT_TRUE(written.FindChunk(glob));
    EXPECT_EQ(glob.name, "semi global file");
    EXPECT_EQ(ReadSemiGlobalName(written), "SofaGlobals");

    // An emptied name removes the chunk.
    View().SemiGlobalField()->SetValue("");
    SendCommand(ID_FILE_SAVE);
    EXPECT_FALSE(ReadIff(object).FindChunk(glob));
}

TEST(DocumentSave, AFailedSaveSaysSoAndLeavesTheFileAsItWas)
{
    ResetDocument();
    CTempFolder temp;
    const std::string object = temp.File("Bed.iff");
    WriteObject(object, "BedGlobals");
    const std::vector<std::uint8_t> original = ReadBytes(object);
    CScriptedUserInterface user;
    CUiScope scope(user);
    ASSERT_TRUE(DocManager().OpenDocument(object));
    ForgetSemiGlobalNotice(user);
    View().SemiGlobalField()->SetValue("A much longer name for the semi-global file");

    // A file size limit below the container's size makes every write of the file fail, whoever
    // runs the test; the signal the limit raises is turned into a failed write.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit tight = old;
    tight.rlim_cur = 200;
    auto* previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    SendCommand(ID_FILE_SAVE);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);

    ASSERT_EQ(user.messages.size(), 1U);
    EXPECT_TRUE(user.messages[0].text.StartsWith("Failed to save document.\n")) << user.messages[0].text;
    EXPECT_TRUE(user.messages[0].text.EndsWith("The file on disk has not been changed."));
    EXPECT_EQ(user.messages[0].caption, "Error");
    EXPECT_EQ(ReadBytes(object), original);
    EXPECT_EQ(FolderEntries(temp.Path()), std::vector<std::string>{"Bed.iff"});
    EXPECT_TRUE(Document().IsModified());

    // With room again, the same save goes through.
    SendCommand(ID_FILE_SAVE);
    EXPECT_EQ(ReadSemiGlobalName(ReadIff(object)), "A much longer name for the semi-global file");
}

TEST(DocumentSave, SaveAsRenamesTheDocumentButKeepsTheIndexName)
{
    ResetDocument();
    CTempFolder temp;
    const std::string object = temp.File("Desk.iff");
    WriteObject(object);
    CScriptedUserInterface user;
    CUiScope scope(user);
    ASSERT_TRUE(DocManager().OpenDocument(object));
    ForgetSemiGlobalNotice(user);

    user.filesToSave = {wxString(temp.File("Desk copy.iff"))};
    SendCommand(ID_FILE_SAVE_AS);
    EXPECT_EQ(Document().GetTitle(), "Desk copy.iff");
    EXPECT_EQ(View().GetFrame()->GetLabel(), "Desk copy.iff - Treewright");
    EXPECT_EQ(Document().FileName(), "Desk.iff");
    EXPECT_EQ(ReadBytes(temp.File("Desk copy.iff")).size(), ReadBytes(object).size());
    EXPECT_EQ(DocManager().GetFileHistory()->GetHistoryFile(0), temp.File("Desk copy.iff"));

    // Save on a new document asks for a name.
    ResetDocument();
    user.filesToSave = {wxString(temp.File("New.iff"))};
    SendCommand(ID_FILE_SAVE);
    EXPECT_EQ(ReadIff(temp.File("New.iff")).Version(), 25);
    EXPECT_EQ(Document().GetTitle(), "New.iff");
    EXPECT_TRUE(user.messages.empty());
}

TEST(DocumentSave, AVersion20FileIsConvertedOnlyWhenTheUserSaysYes)
{
    ResetDocument();
    CTempFolder temp;
    const std::string object = temp.File("Old.iff");
    WriteObject(object);
    std::vector<std::uint8_t> bytes = ReadBytes(object);
    bytes[11] = '0';
    WriteBytes(object, bytes);
    ASSERT_EQ(ReadIff(object).Version(), 20);

    CScriptedUserInterface user;
    CUiScope scope(user);
    ASSERT_TRUE(DocManager().OpenDocument(object));
    ForgetSemiGlobalNotice(user);
    user.answers = {wxID_NO};
    SendCommand(ID_FILE_SAVE);
    ASSERT_EQ(user.messages.size(), 1U);
    EXPECT_EQ(user.messages[0].text, "Do you want to convert this 2.0 file to 2.5?");
    EXPECT_EQ(user.messages[0].owner, nullptr);
    EXPECT_EQ(ReadIff(object).Version(), 20);

    user.answers = {wxID_YES};
    SendCommand(ID_FILE_SAVE);
    const CIffFile converted = ReadIff(object);
    EXPECT_EQ(converted.Version(), 25);
    EXPECT_EQ(ReadSemiGlobalName(converted), "PersonGlobals");
}

// Opening an object whose semi-global file the game's folder lacks says so once, as a message of
// the loader and in the status bar; an object naming none says nothing.
TEST(DocumentOpen, AMissingSemiGlobalFileIsSaidOncePerOpen)
{
    const std::string notice = "The semi-global file ChairGlobals.IFF is not in the game's folder; its calls show as numbers.";
    struct CRow
    {
        const char* semiGlobal;
        bool said;
    };
    const CRow rows[] = {{"ChairGlobals", true}, {"", false}, {"ChairGlobals", true}};
    CTempFolder folder;
    for (const CRow& row : rows)
    {
        SCOPED_TRACE(row.semiGlobal);
        ResetDocument();
        CScriptedUserInterface user;
        CUiScope scope(user);
        const std::string object = folder.File("Chair.iff");
        WriteObject(object, row.semiGlobal);
        ASSERT_TRUE(DocManager().OpenDocument(object));
        Flush();
        const auto said = std::count_if(user.messages.begin(), user.messages.end(), [&](const CShownMessage& message) {
            return message.text == notice && message.caption == "Error" && message.owner == nullptr;
        });
        EXPECT_EQ(said, row.said ? 1 : 0);
        EXPECT_EQ(user.messages.size(), std::size_t(said));
        const wxString status = static_cast<wxFrame*>(View().GetFrame())->GetStatusBar()->GetStatusText(0);
        EXPECT_EQ(status.Contains(notice), row.said) << status;
    }
    ResetDocument();
}
