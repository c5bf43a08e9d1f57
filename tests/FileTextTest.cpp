// The stable text of a whole file (textconv): SHA-256 against the standard's test vectors, what
// each kind of record prints, and `git diff` through the tool on a repository made here.

#include "CliRunner.h"

#include "analysis/RecordView.h"
#include "analysis/Sha256.h"
#include "containers/ByteStream.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "records/BhavScript.h"
#include "records/ConstantTable.h"
#include "records/InteractionTable.h"
#include "records/ObjectDefinition.h"
#include "records/RecordEditing.h"
#include "records/StringTable.h"
#include "rendering/NeededFiles.h"
#include "rendering/PlainTextRenderer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<std::uint8_t>;

Bytes BytesOf(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

CBhavScript Script(const std::string& name, std::vector<CBhavInstruction> lines)
{
    CBhavScript script;
    script.SetName(name);
    script.ReplaceLines(std::move(lines));
    return script;
}

// A small object: two scripts, one calling the other, strings, constants, an interaction and an
// object definition.
CIffFile BuildObject()
{
    CIffFile file;
    EXPECT_TRUE(Script("main", {{2, 1, kTargetFalse, {3, 1, 1280, 1800}}, {4097, kTargetTrue, kTargetFalse, {}}})
                    .Store(file, 4096));
    EXPECT_TRUE(Script("helper", {{0, kTargetTrue, kTargetFalse, {}}}).Store(file, 4097));
    EXPECT_TRUE(CStringTable::Plain({"Chair", "A chair"}, "names").Store(file, kTypeStr, 128));
    CConstantTable constants;
    constants.ReplaceValues({5, -1});
    constants.SetName("tuning");
    EXPECT_TRUE(constants.Store(file, 4096));
    EXPECT_TRUE(CreateRecord(file, ERecordKind::Interactions, 128, "menu"));
    EXPECT_TRUE(CreateObject(file, 128, "Chair", 0x00053216, true));
    return file;
}

std::string Text(const CIffFile& file)
{
    CNeededFiles files;
    files.Add(file, "object.iff");
    const CPlainTextRenderer renderer(files, "object.iff", "");
    return FormatFileText(file, renderer);
}

bool WriteFile(const CIffFile& source, const std::filesystem::path& path)
{
    CIffFile file = source;
    CFileStream stream;
    return stream.Open(path.string(), CFileStream::EMode::Create) && file.Write(&stream) && stream.Close();
}

std::string Shell(const std::string& command)
{
    std::string out;
    if (std::FILE* pipe = popen(command.c_str(), "r"))
    {
        char buffer[4096];
        while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}
}

TEST(Sha256, GivesTheStandardsDigests)
{
    struct CCase
    {
        std::string message;
        const char* digest;
    };
    const CCase cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 56 bytes: the length no longer fits the first padded block.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const CCase& c : cases)
        EXPECT_EQ(Sha256Hex(BytesOf(c.message)), c.digest) << c.message.size() << " bytes";
}

TEST(FileText, ShowsEachKindOfRecordAndItsChange)
{
    struct CCase
    {
        const char* what;
        std::function<void(CIffFile&)> change;
        std::vector<std::string> before;  // lines of the text before the change
        std::vector<std::string> after;   // and after it
    };
    const CCase cases[] = {
        {"a script line's target, by its description", [](CIffFile& file) {
             CBhavScript script;
             ASSERT_TRUE(script.Load(file, 4096));
             script.SetLine(1, {4097, kTargetFalse, kTargetFalse, {}});
             ASSERT_TRUE(script.Store(file, 4096));
         },
         {"BHAV #4096 \"main\" flags 0x0010", "Script 4096: main",
          "2     return TRUE    return FALSE   Private: helper (Stack: 0, 0, 0, 0)"},
         {"2     return FALSE   return FALSE   Private: helper (Stack: 0, 0, 0, 0)"}},
        {"a string", [](CIffFile& file) {
             ASSERT_TRUE(CStringTable::Plain({"Chair", "A sofa"}, "names").Store(file, kTypeStr, 128));
         },
         {"STR# #128 \"names\" flags 0x0010", "  string 1: text \"A chair\""},
         {"  string 1: text \"A sofa\""}},
        {"a constant", [](CIffFile& file) {
             CConstantTable constants;
             ASSERT_TRUE(constants.Load(file, 4096));
             constants.SetValue(1, 7);
             ASSERT_TRUE(constants.Store(file, 4096));
         },
         {"  constant 1: -1"}, {"  constant 1: 7"}},
        {"an object's field", [](CIffFile& file) {
             CObjectDefinition object;
             ASSERT_TRUE(object.Load(file, 128));
             object.SetValue(*ObjectFieldOffset("price"), 450);
             ASSERT_TRUE(object.Store(file, 128));
         },
         {"OBJD #128 \"Chair\" flags 0x0010", "  GUID: 0x00053216", "  price: 0"}, {"  price: 450"}},
        {"a chunk of a kind not edited: its size and digest", [](CIffFile& file) {
             CIffChunk chunk;
             chunk.type = MakeTypeCode("SPR2");
             chunk.id = 1;
             chunk.name = "sprite";
             ASSERT_TRUE(file.PutChunk(chunk, BytesOf("abc")));
         },
         {},
         {"SPR2 #1 \"sprite\" flags 0x0000",
          "  size 3, sha256 ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"}},
        {"a record that does not load: why, and its bytes", [](CIffFile& file) {
             CIffChunk chunk;
             chunk.type = kTypeBcon;
             chunk.id = 4096;
             chunk.name = "tuning";
             ASSERT_TRUE(file.PutChunk(chunk, BytesOf("\x05")));
         },
         {"  constant 0: 5"},
         {"  refused: ", "  size 1, sha256 "}},
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        CIffFile file = BuildObject();
        const std::string before = Text(file);
        EXPECT_EQ(before, Text(file)) << "the same file gives the same text";
        for (const std::string& line : c.before)
            EXPECT_NE(before.find(line), std::string::npos) << line << "\n" << before;
        c.change(file);
        const std::string after = Text(file);
        for (const std::string& line : c.after)
        {
            EXPECT_NE(after.find(line), std::string::npos) << line << "\n" << after;
            EXPECT_EQ(before.find(line), std::string::npos) << line;
        }
    }
}

TEST(FileText, GitDiffShowsTheChangedLineInWords)
{
    const std::filesystem::path folder = FreshTestFolder("treewright-git-");
    const std::string cd = "cd '" + folder.string() + "' && ";
    const std::string git = "git -c user.name=test -c user.email=test@example.org -c init.defaultBranch=main ";
    ASSERT_EQ(std::system((cd + git + "init -q").c_str()), 0);
    // The README's two lines of set-up.
    std::ofstream(folder / ".gitattributes") << "*.iff diff=treewright\n";
    ASSERT_EQ(std::system((cd + git + "config diff.treewright.textconv '" + TREEWRIGHT_CLI_PATH + " textconv'").c_str()), 0);

    CIffFile file = BuildObject();
    ASSERT_TRUE(WriteFile(file, folder / "Chair.iff"));
    ASSERT_EQ(std::system((cd + git + "add -A && " + git + "commit -q -m first").c_str()), 0);

    CBhavScript script;
    ASSERT_TRUE(script.Load(file, 4096));
    script.SetLine(0, {2, 1, kTargetFalse, {3, 7, 1280, 1800}});
    ASSERT_TRUE(script.Store(file, 4096));
    ASSERT_TRUE(WriteFile(file, folder / "Chair.iff"));

    const std::string diff = Shell(cd + git + "diff -U0 Chair.iff");
    EXPECT_EQ(diff.find("Binary files"), std::string::npos) << diff;
    EXPECT_NE(diff.find("\n-1     goto line 2    return FALSE   Temporary Storage 3 Assign To: 1\n"), std::string::npos) << diff;
    EXPECT_NE(diff.find("\n+1     goto line 2    return FALSE   Temporary Storage 3 Assign To: 7\n"), std::string::npos) << diff;
    // Only the line and its code changed.
    std::size_t changed = 0;
    for (std::size_t at = diff.find("\n+"); at != std::string::npos; at = diff.find("\n+", at + 1))
        ++changed;
    EXPECT_EQ(changed, 3u) << diff;  // "+++ b/Chair.iff", the description and the code
    std::filesystem::remove_all(folder);
}
