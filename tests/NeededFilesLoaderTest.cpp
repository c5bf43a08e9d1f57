#include "loading/NeededFilesLoader.h"
#include "loading/ReadMessages.h"

#include "CliRunner.h"
#include "IndexedFiles.h"

#include "containers/FarArchive.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "containers/UserPrompt.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <algorithm>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace
{
// A folder of its own for each test; the process id keeps parallel runs of the suite apart.
class CGameFolder
{
public:
    explicit CGameFolder(const std::string& name)
        : m_root(fs::temp_directory_path() / ("treewright-loader-" + name + "-" + std::to_string(getpid())))
    {
        fs::remove_all(m_root);
        fs::create_directories(Global());
    }
    ~CGameFolder()
    {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    std::string Root() const { return m_root.string(); }
    fs::path Global() const { return m_root / "GameData" / "Global"; }
    std::string PathOf(const std::string& name) const { return (Global() / name).string(); }

    void Put(const std::string& name, const std::vector<std::uint8_t>& bytes) const
    {
        std::ofstream out(Global() / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

private:
    fs::path m_root;
};

std::vector<std::uint8_t> Bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

// The text as the start of a 64-byte header, the rest zeros.
std::vector<std::uint8_t> Header(const std::string& text)
{
    std::vector<std::uint8_t> header = Bytes(text);
    header.resize(64, 0);
    return header;
}

// An IFF file with one BHAV chunk per (id, name), plus a string table so that the index has
// something to leave out.
std::vector<std::uint8_t> IffWithScripts(const std::vector<std::pair<std::uint16_t, std::string>>& scripts)
{
    CIffFile container;
    const std::vector<std::uint8_t> data{0x01, 0x80, 0x00, 0x00};
    CIffChunk strings{kTypeStr, 0, 0, 128, 0x10, "strings"};
    EXPECT_TRUE(container.PutChunk(strings, data));
    for (const auto& [id, name] : scripts)
    {
        CIffChunk chunk{kTypeBhav, 0, 0, id, 0x10, name};
        EXPECT_TRUE(container.PutChunk(chunk, data));
    }
    CMemoryStream stream;
    EXPECT_TRUE(container.Write(&stream));
    return stream.TakeBytes();
}

std::vector<std::uint8_t> IffWithScript(std::uint16_t id, const std::string& name)
{
    return IffWithScripts({{id, name}});
}

struct CMember
{
    std::string name;
    std::vector<std::uint8_t> bytes;
    std::uint32_t offsetOverride = 0;  // nonzero: the directory points there instead
};

void PutLE32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::vector<std::uint8_t> FarWith(const std::vector<CMember>& members)
{
    std::vector<std::uint8_t> out = Bytes("FAR!byAZ");
    PutLE32(out, 1);
    PutLE32(out, 0);  // directory offset, patched below
    std::vector<std::uint32_t> offsets;
    for (const CMember& member : members)
    {
        offsets.push_back(member.offsetOverride != 0 ? member.offsetOverride : static_cast<std::uint32_t>(out.size()));
        out.insert(out.end(), member.bytes.begin(), member.bytes.end());
    }
    const auto directory = static_cast<std::uint32_t>(out.size());
    for (int i = 0; i < 4; ++i)
        out[12 + i] = static_cast<std::uint8_t>(directory >> (8 * i));
    PutLE32(out, static_cast<std::uint32_t>(members.size()));
    for (std::size_t i = 0; i < members.size(); ++i)
    {
        const auto length = static_cast<std::uint32_t>(members[i].bytes.size());
        PutLE32(out, length);
        PutLE32(out, length);
        PutLE32(out, offsets[i]);
        PutLE32(out, static_cast<std::uint32_t>(members[i].name.size()));
        out.insert(out.end(), members[i].name.begin(), members[i].name.end());
    }
    return out;
}

class CRecordingPrompt : public CUserPrompt
{
public:
    void ShowMessage(const std::string& text, const std::string& caption) override
    {
        texts.push_back(text);
        captions.push_back(caption);
        if (onMessage)
            onMessage(text);
    }
    bool AskYesNo(const std::string&, const std::string&) override
    {
        ++questions;
        return false;
    }

    std::vector<std::string> texts;
    std::vector<std::string> captions;
    int questions = 0;
    std::function<void(const std::string&)> onMessage;
};

// One load as the dialog runs it, with every status and handled position recorded.
struct CLoadRun
{
    CNeededFiles files;
    CLoadProgress progress;
    CRecordingPrompt prompt;
    std::vector<int> positions;
    std::vector<std::string> statuses;

    CLoadRun()
    {
        progress.SetFiles(&files);
        progress.SetFileHandledHook([this](int position) { positions.push_back(position); });
        progress.SetStatusHook([this](const std::string& status) { statuses.push_back(status); });
    }

    void Run(const std::string& gameData) { RunNeededFilesLoad(progress, gameData, prompt); }
};

std::vector<std::uint16_t> ScriptIds(const CFileScriptNames& entry)
{
    std::vector<std::uint16_t> ids;
    for (const CScriptNameEntry& script : entry.scripts)
        ids.push_back(script.id);
    return ids;
}
}

TEST(NeededFilesLoader, LoadsLooseFilesFirstAndSkipsArchiveMembersOfLoadedNames)
{
    CGameFolder folder("order");
    // The archive sorts before the loose file, yet its members come after all loose files.
    folder.Put("Archive.far", FarWith({{"Global.iff", IffWithScript(300, "from archive")},
                                       {"Other.iff", IffWithScript(400, "other")}}));
    folder.Put("Global.iff", IffWithScripts({{256, "loose one"}, {257, "loose two"}}));

    CLoadRun load;
    load.Run(folder.Root());

    EXPECT_EQ(ListedNames(load.files), (std::vector<std::string>{"Global.iff", "Other.iff"}));
    ASSERT_EQ(load.files.Containers().size(), 2u);
    ASSERT_EQ(load.files.Index().size(), 2u);
    EXPECT_EQ(load.files.Index()[0].fileName, "Global.iff");
    EXPECT_EQ(ScriptIds(load.files.Index()[0]), (std::vector<std::uint16_t>{256, 257}));
    EXPECT_EQ(load.files.Index()[0].scripts[1].name, "loose two");
    EXPECT_EQ(ScriptIds(load.files.Index()[1]), (std::vector<std::uint16_t>{400}));
    EXPECT_TRUE(load.prompt.texts.empty());
    EXPECT_EQ(load.statuses, (std::vector<std::string>{"Finding files...", "Reading files...", "Reading Global.iff",
                                                       "Reading Archive.far"}));
    EXPECT_EQ(load.positions, (std::vector<int>{50, 100}));
    EXPECT_TRUE(load.progress.StopRequested());
    EXPECT_TRUE(load.progress.WorkerEnded());
    EXPECT_EQ(load.prompt.questions, 0);
}

TEST(NeededFilesLoader, AnExceptionEndsTheLoadWithAMessageInsteadOfTheProgram)
{
    CGameFolder folder("throwing");
    folder.Put("A.iff", IffWithScript(256, "first"));
    folder.Put("B.iff", IffWithScript(257, "second"));
    CLoadRun load;
    load.progress.SetFileHandledHook([](int) { throw std::runtime_error("probe"); });
    load.Run(folder.Root());
    EXPECT_EQ(load.prompt.texts, std::vector<std::string>{"Loading the global files stopped: probe"});
    EXPECT_EQ(ListedNames(load.files), std::vector<std::string>{"A.iff"});
    EXPECT_TRUE(load.progress.WorkerEnded());
}

TEST(NeededFilesLoader, ReadsTheFolderInByteOrderOfNames)
{
    CGameFolder folder("byteorder");
    folder.Put("b.iff", IffWithScript(3, "b"));
    folder.Put("a.iff", IffWithScript(2, "a"));
    folder.Put("B.iff", IffWithScript(1, "B"));
    folder.Put("2.far", FarWith({{"z.iff", IffWithScript(5, "z")}}));
    folder.Put("1.far", FarWith({{"y.iff", IffWithScript(4, "y")}}));

    CLoadRun load;
    load.Run(folder.Root());

    EXPECT_EQ(ListedNames(load.files), (std::vector<std::string>{"B.iff", "a.iff", "b.iff", "y.iff", "z.iff"}));
}

TEST(NeededFilesLoader, SkipsMembersWhoseNamesMatchLoadedOnesIgnoringCase)
{
    CGameFolder folder("case");
    folder.Put("Global.iff", IffWithScript(1, "loose"));
    // An earlier archive wins over a later one, and an archive's earlier member over its later one.
    folder.Put("a.far", FarWith({{"GLOBAL.IFF", IffWithScript(2, "a global")},
                                 {"Shared.iff", IffWithScript(3, "a shared")},
                                 {"SHARED.iff", IffWithScript(4, "a shared again")}}));
    folder.Put("b.far", FarWith({{"shared.IFF", IffWithScript(5, "b shared")},
                                 {"Objects\\global.iff", IffWithScript(6, "b global in a folder")},
                                 {"Objects\\People\\Person.iff", IffWithScript(7, "person")}}));

    CLoadRun load;
    load.Run(folder.Root());

    // A member in a folder is compared by its whole name, so "Objects\\global.iff" loads too.
    EXPECT_EQ(ListedNames(load.files), (std::vector<std::string>{"Global.iff", "Shared.iff", "global.iff", "Person.iff"}));
    ASSERT_EQ(load.files.Index().size(), 4u);
    EXPECT_EQ(ScriptIds(load.files.Index()[1]), (std::vector<std::uint16_t>{3}));
    EXPECT_EQ(ScriptIds(load.files.Index()[2]), (std::vector<std::uint16_t>{6}));
    EXPECT_EQ(load.files.Index()[3].fileName, "Person.iff");
    EXPECT_TRUE(load.prompt.texts.empty());
}

// Which archive names load, checked against the rule in its plainest form on archives whose
// directories are long enough that the loader checks their names in several groups: names in
// every case, in folders and not, repeated within an archive and across archives and loose files,
// and members that fail to read, each reported once where its first name would have loaded.
TEST(NeededFilesLoader, ListsArchiveNamesAsThePlainRuleDoes)
{
    CGameFolder folder("plain-rule");
    std::mt19937 random(7);
    const auto upper = [](std::string name) {
        for (char& c : name)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        return name;
    };
    std::set<std::string> loaded;
    std::vector<std::string> expected;
    std::vector<std::uint16_t> expectedIds;
    std::size_t expectedFailures = 0;
    for (int i = 0; i < 10; ++i)
    {
        const std::string name = "n" + std::to_string(i) + ".iff";
        folder.Put(name, IffWithScript(1, "loose"));
        loaded.insert(upper(name));
    }
    for (const std::string& name : loaded)
        expected.push_back("n" + name.substr(1, name.size() - 5) + ".iff"), expectedIds.push_back(1);
    std::sort(expected.begin(), expected.end());

    for (const char* archiveName : {"a.far", "b.far"})
    {
        // Four members that read and one that does not, named by entries drawn at random.
        std::vector<std::vector<std::uint8_t>> blobs;
        const std::uint16_t firstId = archiveName[0] == 'a' ? 10 : 20;
        for (std::uint16_t k = 0; k < 4; ++k)
            blobs.push_back(IffWithScript(std::uint16_t(firstId + k), "member"));
        blobs.push_back(Bytes("not an IFF file at all"));
        std::vector<std::uint8_t> archive = Bytes("FAR!byAZ");
        PutLE32(archive, 1);
        PutLE32(archive, 0);
        std::vector<std::uint32_t> offsets;
        for (const auto& blob : blobs)
        {
            offsets.push_back(std::uint32_t(archive.size()));
            archive.insert(archive.end(), blob.begin(), blob.end());
        }
        const auto directory = std::uint32_t(archive.size());
        for (int i = 0; i < 4; ++i)
            archive[12 + i] = static_cast<std::uint8_t>(directory >> (8 * i));
        const std::size_t count = 1500;
        PutLE32(archive, std::uint32_t(count));
        std::set<std::size_t> reported;
        for (std::size_t i = 0; i < count; ++i)
        {
            const std::string base = "n" + std::to_string(random() % 300);
            const std::string forms[] = {base + ".iff", upper(base) + ".IFF", "Objects\\" + base + ".iff",
                                         base + ".txt", "Objects/Deep\\" + base + ".Iff"};
            const std::string name = forms[random() % 5];
            const std::size_t blob = random() % blobs.size();
            PutLE32(archive, std::uint32_t(blobs[blob].size()));
            PutLE32(archive, std::uint32_t(blobs[blob].size()));
            PutLE32(archive, offsets[blob]);
            PutLE32(archive, std::uint32_t(name.size()));
            archive.insert(archive.end(), name.begin(), name.end());

            if (upper(name).ends_with(".IFF") && !loaded.count(upper(name)))
            {
                if (blob == blobs.size() - 1)
                    expectedFailures += reported.insert(blob).second ? 1 : 0;
                else
                {
                    const std::string part = name.substr(name.find_last_of("\\/") + 1);
                    expected.push_back(part);
                    expectedIds.push_back(std::uint16_t(firstId + blob));
                    loaded.insert(upper(part));
                }
            }
        }
        folder.Put(archiveName, archive);
    }

    CLoadRun load;
    load.Run(folder.Root());

    EXPECT_EQ(ListedNames(load.files), expected);
    std::vector<std::uint16_t> ids;
    for (const CFileScriptNames& file : load.files.Index())
        ids.push_back(file.scripts.empty() ? 0 : file.scripts[0].id);
    EXPECT_EQ(ids, expectedIds);
    EXPECT_EQ(std::count(load.prompt.texts.begin(), load.prompt.texts.end(), FarMemberReadMessage(EIffRead::NotIff)),
              std::ptrdiff_t(expectedFailures));
}

TEST(NeededFilesLoader, TakesIffAndFarExtensionsInAnyCaseAndNothingElse)
{
    CGameFolder folder("extensions");
    const auto valid = IffWithScript(1, "s");
    for (const char* name : {"a.IFF", "b.iff", "c.Iff", "d.iffx", "e", "f.iff.bak", "g.txt", "h."})
        folder.Put(name, valid);
    folder.Put("i.Far", FarWith({{"m1.IfF", valid}, {"m2.iffx", valid}, {"m3", valid}, {"Dir.iff\\m4", valid}}));
    folder.Put("j.FAR", FarWith({{"m5.iff", valid}}));
    folder.Put("k.farx", FarWith({{"m6.iff", valid}}));

    CLoadRun load;
    load.Run(folder.Root());

    EXPECT_EQ(ListedNames(load.files), (std::vector<std::string>{"a.IFF", "b.iff", "c.Iff", "m1.IfF", "m5.iff"}));
    EXPECT_EQ(load.positions, (std::vector<int>{20, 40, 60, 80, 100}));
    EXPECT_TRUE(load.prompt.texts.empty());
}

TEST(NeededFilesLoader, SearchesOnlyTheFolderItselfAndSkipsSpecialFiles)
{
    CGameFolder folder("subfolders");
    folder.Put("Top.iff", IffWithScript(1, "top"));
    fs::create_directories(folder.Global() / "Folder.iff");
    fs::create_directories(folder.Global() / "Sub");
    std::ofstream(folder.Global() / "Sub" / "Deep.iff", std::ios::binary) << "IFF FILE 2.5";
    fs::create_directory_symlink(folder.Global() / "Sub", folder.Global() / "Linked.far");
    // A pipe would block the worker if it were opened.
    ASSERT_EQ(mkfifo(folder.PathOf("Pipe.iff").c_str(), 0600), 0);
    // A link to a file is a file.
    folder.Put("target.bin", IffWithScript(2, "linked"));
    fs::create_symlink(folder.Global() / "target.bin", folder.Global() / "Link.iff");

    CLoadRun load;
    load.Run(folder.Root());

    EXPECT_EQ(ListedNames(load.files), (std::vector<std::string>{"Link.iff", "Top.iff"}));
    EXPECT_TRUE(load.prompt.texts.empty());
    EXPECT_EQ(load.positions, (std::vector<int>{50, 100}));
}

TEST(NeededFilesLoader, ReportsBadLooseFilesAndGoesOnWithTheNext)
{
    CGameFolder folder("loosemessages");
    folder.Put("1 text.iff", Bytes("just some text, longer than a header would be"));
    // A whole header: a file shorter than one is no IFF file, whatever its version says.
    folder.Put("2 version.iff", Header("IFF FILE 2.6:TYPE FOLLOWED BY SIZE"));
    folder.Put("3 empty.iff", {});
    folder.Put("4 good.iff", IffWithScript(9, "good"));
    fs::create_symlink(folder.Global() / "gone.bin", folder.Global() / "5 missing.iff");
    fs::create_symlink(folder.Global() / "6 loop.iff", folder.Global() / "6 loop.iff");

    CLoadRun load;
    load.Run(folder.Root());

    EXPECT_EQ(load.prompt.texts, (std::vector<std::string>{
                                     "This file is not an IFF file!",
                                     "Unsupported IFF file version number!",
                                     "This file is not an IFF file!",
                                     folder.PathOf("5 missing.iff") + " was not found.",
                                     "An unknown error occurred while accessing " + folder.PathOf("6 loop.iff") + ".",
                                 }));
    EXPECT_EQ(load.prompt.captions, std::vector<std::string>(5, "Error"));
    EXPECT_EQ(ListedNames(load.files), (std::vector<std::string>{"4 good.iff"}));
    EXPECT_EQ(load.positions, (std::vector<int>{16, 33, 50, 66, 83, 100}));
}

TEST(NeededFilesLoader, ReportsAFileItMayNotRead)
{
    CGameFolder folder("denied");
    folder.Put("Locked.iff", IffWithScript(1, "locked"));
    fs::permissions(folder.Global() / "Locked.iff", fs::perms::none);
    CFileStream probe;
    if (probe.Open(folder.PathOf("Locked.iff"), CFileStream::EMode::Read))
        GTEST_SKIP() << "this user reads files whatever their permissions";

    CLoadRun load;
    load.Run(folder.Root());

    EXPECT_EQ(load.prompt.texts, (std::vector<std::string>{"Access to " + folder.PathOf("Locked.iff") + " was denied."}));
    EXPECT_TRUE(load.files.Names().empty());
    EXPECT_EQ(load.positions, (std::vector<int>{100}));
}

TEST(NeededFilesLoader, ReportsBadArchivesAndMembersWithTheArchiveWording)
{
    CGameFolder folder("farmessages");
    folder.Put("1.far", FarWith({{"Text.iff", Bytes("not an iff file at all, just text")},
                                 {"Version.iff", Header("IFF FILE 9.9:TYPE FOLLOWED BY SIZE")},
                                 {"Outside.iff", IffWithScript(1, "outside"), 0x7FFFFFF0},
                                 {"Good.iff", IffWithScript(2, "good")}}));
    folder.Put("2.far", Bytes("FAR!byAZ but nothing that follows makes sense"));
    folder.Put("3.far", FarWith({{"Late.iff", IffWithScript(3, "late")}}));
    fs::create_symlink(folder.Global() / "gone.bin", folder.Global() / "4.far");

    CLoadRun load;
    load.Run(folder.Root());

    EXPECT_EQ(load.prompt.texts, (std::vector<std::string>{
                                     "This file (in the FAR file) is not an IFF file!",
                                     "Unsupported IFF file version number of a file in the FAR file!",
                                     "FAR File I/O Error!",
                                     "There was an error while opening this FAR file",
                                     folder.PathOf("4.far") + " was not found.",
                                 }));
    EXPECT_EQ(load.prompt.captions, std::vector<std::string>(5, "Error"));
    EXPECT_EQ(ListedNames(load.files), (std::vector<std::string>{"Good.iff", "Late.iff"}));
    // Archives that fail still count as handled.
    EXPECT_EQ(load.positions, (std::vector<int>{25, 50, 75, 100}));
}

TEST(NeededFilesLoader, PassesTheDecodersMessageOnBeforeItsOwn)
{
    CGameFolder folder("coded");
    // A coded file with no body cannot decode to an image with a header.
    std::vector<std::uint8_t> coded = Bytes("IFF FILE 3.0:TYPE FOLLOWED BY SIZE");
    coded.resize(CIffFile::kHeaderSize);
    folder.Put("Coded.iff", coded);
    folder.Put("Coded.far", FarWith({{"Member.iff", coded}}));

    CLoadRun load;
    load.Run(folder.Root());

    EXPECT_EQ(load.prompt.texts, (std::vector<std::string>{
                                     "FAILURE",
                                     "The file's compressed data is damaged.",
                                     "FAILURE",
                                     "The compressed data of a file in the FAR file is damaged.",
                                 }));
    EXPECT_EQ(load.prompt.captions, (std::vector<std::string>{"", "Error", "", "Error"}));
    EXPECT_TRUE(load.files.Names().empty());
}

TEST(NeededFilesLoader, ReadErrorMessagesFollowTheCodeAndTheFileKind)
{
    const std::string unknownLoose = "Unknown Error, please contact treewright@marrowfen.org";
    const std::string unknownMember = "Unknown Error 01, please contact treewright@marrowfen.org";
    EXPECT_EQ(LooseFileReadMessage(EIffRead::IoError), "File I/O Error!");
    EXPECT_EQ(LooseFileReadMessage(EIffRead::NoMemory), "Insufficient Memory!");
    EXPECT_EQ(LooseFileReadMessage(EIffRead::NotIff), "This file is not an IFF file!");
    EXPECT_EQ(LooseFileReadMessage(EIffRead::BadVersion), "Unsupported IFF file version number!");
    EXPECT_EQ(FarMemberReadMessage(EIffRead::IoError), "FAR File I/O Error!");
    EXPECT_EQ(FarMemberReadMessage(EIffRead::NoMemory), "Insufficient Memory!");
    EXPECT_EQ(FarMemberReadMessage(EIffRead::NotIff), "This file (in the FAR file) is not an IFF file!");
    EXPECT_EQ(FarMemberReadMessage(EIffRead::BadVersion), "Unsupported IFF file version number of a file in the FAR file!");
    // A read that fails without a code, or with a code of no meaning.
    for (const int code : {0, -1, 99})
    {
        EXPECT_EQ(LooseFileReadMessage(EIffRead(code)), unknownLoose) << code;
        EXPECT_EQ(FarMemberReadMessage(EIffRead(code)), unknownMember) << code;
    }
}

TEST(NeededFilesLoader, OpenErrorMessagesNameThePath)
{
    const std::string path = "/games/The Sims/GameData/Global/Global.iff";
    EXPECT_EQ(FileOpenErrorMessage(EFileOpenError::NotFound, path), path + " was not found.");
    EXPECT_EQ(FileOpenErrorMessage(EFileOpenError::AccessDenied, path), "Access to " + path + " was denied.");
    EXPECT_EQ(FileOpenErrorMessage(EFileOpenError::SharingViolation, path),
              "A sharing violation occurred while accessing " + path + ".");
    EXPECT_EQ(FileOpenErrorMessage(EFileOpenError::Other, path),
              "An unknown error occurred while accessing " + path + ".");
}

TEST(NeededFilesLoader, PositionReachesTheEndAfterTheLastFile)
{
    CGameFolder folder("three");
    folder.Put("a.iff", IffWithScript(1, "a"));
    folder.Put("b.iff", IffWithScript(2, "b"));
    folder.Put("c.far", FarWith({{"c.iff", IffWithScript(3, "c")}}));

    CLoadRun load;
    load.Run(folder.Root());

    EXPECT_EQ(load.positions, (std::vector<int>{33, 66, 100}));
    EXPECT_EQ(load.progress.Position(), 100);
}

TEST(NeededFilesLoader, PositionKeepsMovingWithMoreThanAHundredFiles)
{
    CGameFolder folder("many");
    const auto empty = IffWithScripts({});
    for (int i = 0; i < 150; ++i)
        folder.Put("f" + std::to_string(1000 + i) + ".iff", empty);

    CLoadRun load;
    load.Run(folder.Root());

    ASSERT_EQ(load.positions.size(), 150u);
    for (std::size_t i = 1; i < load.positions.size(); ++i)
        EXPECT_LE(load.positions[i - 1], load.positions[i]);
    EXPECT_EQ(load.positions[2], 2);
    EXPECT_EQ(load.positions[74], 50);
    EXPECT_EQ(load.positions.back(), 100);
    EXPECT_EQ(load.files.Names().size(), 150u);
}

TEST(NeededFilesLoader, CancelWhileAFileIsReadStopsAfterThatFile)
{
    CGameFolder folder("cancelduring");
    for (int i = 1; i <= 5; ++i)
        folder.Put(std::to_string(i) + ".iff", IffWithScript(static_cast<std::uint16_t>(i), "s"));

    CLoadRun load;
    load.progress.SetStatusHook([&](const std::string& status) {
        load.statuses.push_back(status);
        if (status == "Reading 2.iff")
            load.progress.RequestStop();
    });
    load.Run(folder.Root());

    EXPECT_EQ(ListedNames(load.files), (std::vector<std::string>{"1.iff", "2.iff"}));
    EXPECT_EQ(load.files.Index().size(), 2u);
    EXPECT_EQ(load.positions, (std::vector<int>{20}));
    EXPECT_EQ(load.statuses.back(), "Reading 2.iff");
    EXPECT_TRUE(load.progress.WorkerEnded());
}

TEST(NeededFilesLoader, CancelBetweenFilesReadsNoFurtherFile)
{
    CGameFolder folder("cancelbetween");
    for (int i = 1; i <= 5; ++i)
        folder.Put(std::to_string(i) + ".iff", IffWithScript(static_cast<std::uint16_t>(i), "s"));

    CLoadRun load;
    load.progress.SetFileHandledHook([&](int position) {
        load.positions.push_back(position);
        if (load.positions.size() == 2)
            load.progress.RequestStop();
    });
    load.Run(folder.Root());

    EXPECT_EQ(ListedNames(load.files), (std::vector<std::string>{"1.iff", "2.iff"}));
    EXPECT_EQ(load.positions, (std::vector<int>{20, 40}));
    EXPECT_EQ(load.statuses.back(), "Reading 2.iff");
}

TEST(NeededFilesLoader, CancelFromAMessageStopsAfterTheFailedFile)
{
    CGameFolder folder("cancelmessage");
    folder.Put("1.iff", IffWithScript(1, "s"));
    folder.Put("2.iff", Bytes("not an IFF file"));
    folder.Put("3.iff", Bytes("not an IFF file either"));
    folder.Put("4.far", FarWith({{"x.iff", IffWithScript(4, "x")}}));

    CLoadRun load;
    load.prompt.onMessage = [&](const std::string&) { load.progress.RequestStop(); };
    load.Run(folder.Root());

    EXPECT_EQ(load.prompt.texts, (std::vector<std::string>{"This file is not an IFF file!"}));
    EXPECT_EQ(ListedNames(load.files), (std::vector<std::string>{"1.iff"}));
    EXPECT_EQ(load.positions, (std::vector<int>{25}));
}

TEST(NeededFilesLoader, CancelDuringAnArchiveStillReadsAllItsMembers)
{
    CGameFolder folder("cancelarchive");
    folder.Put("a.far", FarWith({{"1.iff", IffWithScript(1, "s")},
                                 {"bad.iff", Bytes("text")},
                                 {"2.iff", IffWithScript(2, "s")}}));
    folder.Put("b.far", FarWith({{"3.iff", IffWithScript(3, "s")}}));

    CLoadRun load;
    // Cancel pressed while the first member's message is up.
    load.prompt.onMessage = [&](const std::string&) { load.progress.RequestStop(); };
    load.Run(folder.Root());

    EXPECT_EQ(ListedNames(load.files), (std::vector<std::string>{"1.iff", "2.iff"}));
    EXPECT_TRUE(load.positions.empty());
}

TEST(NeededFilesLoader, AStopSetBeforeTheStartEndsWithEmptyLists)
{
    CGameFolder folder("stoppedearly");
    folder.Put("a.iff", IffWithScript(1, "s"));

    CLoadRun load;
    load.files.Add(CIffFile(), "left over.iff");
    load.progress.RequestStop();
    load.Run(folder.Root());

    EXPECT_TRUE(load.files.Containers().empty());
    EXPECT_TRUE(load.files.Names().empty());
    EXPECT_TRUE(load.files.Index().empty());
    EXPECT_EQ(load.statuses, (std::vector<std::string>{"Finding files..."}));
    EXPECT_TRUE(load.positions.empty());
    EXPECT_TRUE(load.progress.WorkerEnded());
}

TEST(NeededFilesLoader, ASecondLoadStartsFromEmptyLists)
{
    CGameFolder first("firstload");
    first.Put("Old.iff", IffWithScript(1, "old"));
    CGameFolder second("secondload");
    second.Put("New.iff", IffWithScript(2, "new"));

    CNeededFiles files;
    CRecordingPrompt prompt;
    LoadNeededFiles(files, first.Root(), prompt);
    ASSERT_EQ(ListedNames(files), (std::vector<std::string>{"Old.iff"}));
    LoadNeededFiles(files, second.Root(), prompt);

    EXPECT_EQ(ListedNames(files), (std::vector<std::string>{"New.iff"}));
    ASSERT_EQ(files.Index().size(), 1u);
    EXPECT_EQ(files.Index()[0].fileName, "New.iff");
    EXPECT_EQ(files.Containers().size(), 1u);
}

TEST(NeededFilesLoader, AMissingOrEmptyFolderFinishesWithNothing)
{
    CGameFolder empty("emptyfolder");
    for (const std::string& gameData : {empty.Root(), empty.Root() + "/no such folder"})
    {
        CLoadRun load;
        load.Run(gameData);
        EXPECT_TRUE(load.files.Names().empty()) << gameData;
        EXPECT_TRUE(load.prompt.texts.empty()) << gameData;
        EXPECT_TRUE(load.positions.empty()) << gameData;
        EXPECT_EQ(load.progress.Position(), 0) << gameData;
        EXPECT_EQ(load.progress.Status(), "Reading files...") << gameData;
        EXPECT_TRUE(load.progress.StopRequested()) << gameData;
        EXPECT_TRUE(load.progress.WorkerEnded()) << gameData;
    }
}

TEST(NeededFilesLoader, WithoutStateToFillTheWorkerEndsAtOnce)
{
    CLoadProgress progress;
    CRecordingPrompt prompt;
    RunNeededFilesLoad(progress, "/nowhere", prompt);
    EXPECT_TRUE(progress.StopRequested());
    EXPECT_TRUE(progress.WorkerEnded());
    EXPECT_EQ(progress.Status(), "");
}

TEST(NeededFilesLoader, GlobalFolderLiesBelowTheDataFolderWithOrWithoutItsSeparator)
{
    EXPECT_EQ(GlobalFolderPath("/games/sims"), "/games/sims/GameData/Global");
    EXPECT_EQ(GlobalFolderPath("/games/sims/"), "/games/sims/GameData/Global");
    EXPECT_EQ(GlobalFolderPath(""), "GameData/Global");
}

TEST(NeededFilesLoader, IndexCommandPrintsTheLoad)
{
    CGameFolder folder("cli");
    folder.Put("Global.iff", IffWithScript(256, "init"));
    folder.Put("Broken.iff", Bytes("plain text"));
    folder.Put("Objects.far", FarWith({{"Objects\\Chair.iff", IffWithScript(4096, "sit")}}));

    // Standard error goes beside the game folder, outside what the index loads.
    std::string output;
    std::string errors;
    EXPECT_EQ(RunCli("index '" + folder.Root() + "' --json", fs::path(folder.Root()) / "stderr.txt", output, errors), 0);
    // JSON printed with indentation; compare with the blanks removed.
    std::string compact;
    for (const char c : output)
        if (c != ' ' && c != '\n')
            compact += c;
    EXPECT_NE(compact.find(R"({"files":[{"name":"Global.iff","scripts":[{"id":256,"name":"init"}]},)"
                           R"({"name":"Chair.iff","scripts":[{"id":4096,"name":"sit"}]}],)"
                           R"("messages":["Thisfileisnotan)"),
              std::string::npos)
        << output;
    EXPECT_NE(compact.find(R"("positions":[33,66,100])"), std::string::npos) << output;
}

// A member's bytes and its container are held once however many directory entries name them, and
// a member is a view of the archive's bytes, not a copy: the images of the loaded containers, each
// counted once where several share it, stay within 1.1 times the archive's size. Rows: small
// members (read into memory) and large ones (mapped), plain and named many times.
TEST(NeededFilesLoader, HoldsAMemberNamedByManyEntriesOnce)
{
    struct CRow
    {
        std::size_t memberBytes;
        std::size_t names;
    };
    const std::vector<CRow> rows{{200, 1}, {200, 3000}, {65000, 1}, {65000, 3000}};
    for (const CRow& row : rows)
    {
        CGameFolder folder("named-many");
        CIffFile member;
        const std::vector<std::uint8_t> data(row.memberBytes, 0x5a);
        CIffChunk chunk{kTypeBhav, 0, 0, 4100, 0x10, "big"};
        ASSERT_TRUE(member.PutChunk(chunk, data));
        CMemoryStream memberStream;
        ASSERT_TRUE(member.Write(&memberStream));

        // One copy of the member's bytes; every directory entry points at it under its own name.
        std::vector<CMember> members{{"m0.iff", memberStream.TakeBytes()}};
        std::vector<std::uint8_t> archive = FarWith(members);
        const std::uint32_t length = static_cast<std::uint32_t>(members[0].bytes.size());
        const std::size_t directory = archive.size() - (4 + 16 + 6);
        archive.resize(directory);
        PutLE32(archive, static_cast<std::uint32_t>(row.names));
        for (std::size_t i = 0; i < row.names; ++i)
        {
            const std::string name = "m" + std::to_string(i) + ".iff";
            PutLE32(archive, length);
            PutLE32(archive, length);
            PutLE32(archive, static_cast<std::uint32_t>(CFarArchive::kHeaderSize));
            PutLE32(archive, static_cast<std::uint32_t>(name.size()));
            archive.insert(archive.end(), name.begin(), name.end());
        }
        folder.Put("many.far", archive);

        CLoadRun run;
        run.Run(folder.Root());
        EXPECT_TRUE(run.prompt.texts.empty()) << row.memberBytes;
        ASSERT_EQ(run.files.Containers().size(), row.names) << row.memberBytes;
        std::set<const std::uint8_t*> images;
        std::size_t held = 0;
        for (const CIffFile& loaded : run.files.Containers())
        {
            CIffChunk script{kTypeBhav, 0, 0, 4100, 0, ""};
            EXPECT_TRUE(loaded.FindChunk(script) && script.size == row.memberBytes);
            if (images.insert(loaded.Image()).second)
                held += loaded.ImageLength();
        }
        EXPECT_LE(double(held), 1.1 * double(archive.size())) << row.memberBytes << " bytes, " << row.names << " names";
        // Not only the bytes: every name reaches the one container and its one list of scripts.
        EXPECT_EQ(&run.files.Containers().back(), &run.files.Containers()[0]);
        EXPECT_EQ(run.files.Index().back().scripts.data(), run.files.Index()[0].scripts.data());
        EXPECT_EQ(run.files.Names().back(), "m" + std::to_string(row.names - 1) + ".iff");
    }
}
