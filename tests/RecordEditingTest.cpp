// The workbench's record commands on an object of the test's own: what a new record holds, which
// changes are refused with the file unchanged, interaction tables moving with their names, copies
// between files, references to a script, and snapshots giving back the exact chunks.

#include "containers/ChunkSnapshot.h"
#include "containers/IffFile.h"
#include "records/BhavScript.h"
#include "records/ConstantTable.h"
#include "records/InteractionTable.h"
#include "records/RecordEditing.h"
#include "records/StringTable.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
using Change = std::function<bool(CIffFile&)>;

void Put(CIffFile& container, std::uint32_t type, std::uint16_t id, const std::vector<std::uint8_t>& data,
         const std::string& name, std::uint16_t flags = 0x0010)
{
    CIffChunk chunk{type, 0, 0, id, flags, name};
    ASSERT_TRUE(container.PutChunk(chunk, data));
}

std::vector<std::uint8_t> Calls(std::vector<std::uint16_t> opcodes)
{
    CBhavScript script;
    for (const std::uint16_t opcode : opcodes)
        script.AppendLine({opcode, kTargetTrue, kTargetFalse, {}});
    return script.Encode().Value();
}

std::vector<std::uint8_t> Interactions(std::uint16_t version, std::vector<std::pair<std::uint16_t, std::uint16_t>> trees)
{
    CInteractionTable table(version);
    for (const auto& [action, check] : trees)
    {
        CInteraction interaction;
        interaction.actionTree = action;
        interaction.checkTree = check;
        table.AddInteraction(interaction);
    }
    const CRecordResult<std::vector<std::uint8_t>> data = table.Encode();
    EXPECT_TRUE(data);
    return data ? *data : std::vector<std::uint8_t>();
}

/// Every chunk as it stands, in directory order.
std::vector<CChunkSnapshot> Contents(const CIffFile& container)
{
    std::vector<CChunkSnapshot> contents;
    for (const CIffChunk& chunk : container.Chunks())
        contents.push_back(TakeChunkSnapshot(container, chunk.type, chunk.id));
    return contents;
}

/// Scripts 4096 and 4097 calling each other (4097 twice), 4099 calling none of them, a string and a
/// constant table, an interaction table of version 8 naming 4096 with its names, lone names at 129.
CIffFile Object()
{
    CIffFile c;
    Put(c, kTypeBhav, 4096, Calls({2, 4097}), "main", 0x0030);
    Put(c, kTypeBhav, 4097, Calls({4096, 0, 4096}), "helper");
    Put(c, kTypeBhav, 4099, Calls({8192}), "unrelated");
    Put(c, kTypeStr, 128, {0, 1, 3, 'a', 'b', 'c'}, "labels");
    Put(c, kTypeBcon, 128, {1, 0, 5, 0}, "tuning");
    Put(c, kTypeTtab, 128, Interactions(8, {{4096, 4099}, {4099, 4096}}), "menu", 0x0011);
    Put(c, kTypeTtas, 128, {0xFD, 0xFF, 0, 0}, "menu names");
    Put(c, kTypeTtas, 129, {0xFD, 0xFF, 0, 0}, "orphan names");
    return c;
}
}

TEST(RecordEditing, NewRecordsLoadBackEmptyInTheDefaultLayout)
{
    CIffFile withVersion9 = Object();
    Put(withVersion9, kTypeTtab, 200, Interactions(9, {}), "field encoded");
    struct CCase
    {
        CIffFile container;
        ERecordKind kind;
        std::uint16_t expectedId;
        std::function<void(const CIffFile&, std::uint16_t)> check;
    };
    const auto interactions = [](std::uint16_t version) {
        return [version](const CIffFile& c, std::uint16_t id) {
            CInteractionTable table;
            CStringTable names;
            ASSERT_TRUE(table.Load(c, id) && names.Load(c, kTypeTtas, id));
            EXPECT_EQ(table.Version(), version);
            EXPECT_TRUE(table.Interactions().empty() && names.Rows().empty());
            EXPECT_EQ(names.Name(), "new");
        };
    };
    const std::vector<CCase> cases = {
        {Object(), ERecordKind::Script, 4098,
         [](const CIffFile& c, std::uint16_t id) {
             CBhavScript script;
             ASSERT_TRUE(script.Load(c, id));
             EXPECT_EQ(script.Format(), 0x8002);
             EXPECT_EQ(script.Lines(), (std::vector<CBhavInstruction>{{0, kTargetTrue, kTargetFalse, {}}}));
         }},
        {Object(), ERecordKind::Strings, 129,
         [](const CIffFile& c, std::uint16_t id) {
             CStringTable table;
             ASSERT_TRUE(table.Load(c, kTypeStr, id));
             EXPECT_FALSE(table.IsPlain());
             EXPECT_EQ(table.Format(), 0xFFFD);
             EXPECT_TRUE(table.Rows().empty());
         }},
        {Object(), ERecordKind::Interactions, 130, interactions(8)},  // 129 has names already
        {withVersion9, ERecordKind::Interactions, 130, interactions(9)},
        {Object(), ERecordKind::Constants, 129,
         [](const CIffFile& c, std::uint16_t id) {
             CConstantTable table;
             ASSERT_TRUE(table.Load(c, id));
             EXPECT_TRUE(table.Values().empty());
         }},
        {CIffFile(), ERecordKind::Script, 4096, [](const CIffFile& c, std::uint16_t) { EXPECT_EQ(c.Chunks().size(), 1u); }},
    };
    for (CCase test : cases)
    {
        SCOPED_TRACE(RecordKindName(test.kind));
        const std::optional<std::uint16_t> id = NextFreeRecordId(test.container, test.kind);
        ASSERT_EQ(id, test.expectedId);
        ASSERT_TRUE(CreateRecord(test.container, test.kind, *id, "new"));
        const CChunkSnapshot listed = TakeChunkSnapshot(test.container, ListedType(test.kind), *id);
        EXPECT_EQ(listed.name, "new");
        EXPECT_EQ(listed.flags, 0x0010);
        test.check(test.container, *id);
    }
}

TEST(RecordEditing, RefusedChangesLeaveTheFileAsItWas)
{
    const std::string tooLong(64, 'x');
    const std::vector<std::pair<const char*, Change>> cases = {
        {"script below the range", [](CIffFile& c) { return CreateRecord(c, ERecordKind::Script, 4095, ""); }},
        {"script in the semi-global range", [](CIffFile& c) { return CreateRecord(c, ERecordKind::Script, 8192, ""); }},
        {"table below 128", [](CIffFile& c) { return CreateRecord(c, ERecordKind::Constants, 127, ""); }},
        {"script in use", [](CIffFile& c) { return CreateRecord(c, ERecordKind::Script, 4097, ""); }},
        {"interactions on lone names", [](CIffFile& c) { return CreateRecord(c, ERecordKind::Interactions, 129, ""); }},
        {"64 characters", [&](CIffFile& c) { return CreateRecord(c, ERecordKind::Strings, 200, tooLong); }},
        {"a NUL", [](CIffFile& c) { return CreateRecord(c, ERecordKind::Strings, 200, std::string("a\0b", 3)); }},
        {"duplicate onto one in use", [](CIffFile& c) { return DuplicateRecord(c, ERecordKind::Script, 4096, 4099, ""); }},
        {"duplicate of nothing", [](CIffFile& c) { return DuplicateRecord(c, ERecordKind::Constants, 300, 301, ""); }},
        {"rename onto one in use", [](CIffFile& c) { return RenameRecord(c, ERecordKind::Script, 4096, 4097, ""); }},
        {"rename too long", [&](CIffFile& c) { return RenameRecord(c, ERecordKind::Script, 4096, 4096, tooLong); }},
        {"rename of nothing", [](CIffFile& c) { return RenameRecord(c, ERecordKind::Strings, 129, 140, ""); }},
        {"delete of lone names", [](CIffFile& c) { return DeleteRecord(c, ERecordKind::Interactions, 129); }},
    };
    for (const auto& [what, change] : cases)
    {
        CIffFile container = Object();
        EXPECT_FALSE(change(container)) << what;
        EXPECT_EQ(Contents(container), Contents(Object())) << what;
    }
    EXPECT_EQ(RecordIdProblem(Object(), ERecordKind::Script, 4097), "#4097 is in use by another Script.");
    EXPECT_EQ(RecordIdProblem(Object(), ERecordKind::Script, 9000), "Ids of Scripts go from 4096 to 8191.");
    EXPECT_EQ(RecordIdProblem(Object(), ERecordKind::Constants, 129), "");
    EXPECT_EQ(RecordNameProblem(std::string(63, '\xE9')), "");
}

TEST(RecordEditing, InteractionTablesMoveWithTheirNamesKeepingDataAndFlags)
{
    const CIffFile original = Object();
    struct CCase
    {
        const char* what;
        Change change;
        bool oldKept;
        std::uint16_t id;  // where the record is afterwards; 0 for nowhere
        const char* name;
    };
    const std::vector<CCase> cases = {
        {"duplicate", [](CIffFile& c) { return DuplicateRecord(c, ERecordKind::Interactions, 128, 131, "copy"); }, true, 131, "copy"},
        {"rename", [](CIffFile& c) { return RenameRecord(c, ERecordKind::Interactions, 128, 128, "dinner"); }, true, 128, "dinner"},
        {"new id", [](CIffFile& c) { return RenameRecord(c, ERecordKind::Interactions, 128, 400, "dinner"); }, false, 400, "dinner"},
        {"delete", [](CIffFile& c) { return DeleteRecord(c, ERecordKind::Interactions, 128); }, false, 0, ""},
    };
    for (const CCase& test : cases)
    {
        SCOPED_TRACE(test.what);
        CIffFile container = Object();
        ASSERT_TRUE(test.change(container));
        for (const std::uint32_t type : {kTypeTtab, kTypeTtas})
        {
            CChunkSnapshot expected = TakeChunkSnapshot(original, type, 128);
            if (test.id != 128)
            {
                EXPECT_EQ(TakeChunkSnapshot(container, type, 128).present, test.oldKept);
            }
            if (test.id == 0)
                continue;
            // The names keep their own chunk name: the main view shows the table's.
            expected.id = test.id;
            if (type == kTypeTtab)
                expected.name = test.name;
            EXPECT_EQ(TakeChunkSnapshot(container, type, test.id), expected);
        }
        EXPECT_EQ(TakeChunkSnapshot(container, kTypeTtas, 129), TakeChunkSnapshot(original, kTypeTtas, 129));
    }
}

TEST(RecordEditing, CopyRefusesAnIdInUseUnlessReplacing)
{
    CIffFile other;
    Put(other, kTypeBhav, 4096, Calls({1}), "their main", 0x0020);
    Put(other, kTypeTtab, 129, Interactions(9, {{4096, 0}}), "their menu");
    struct CCase
    {
        ERecordKind kind;
        std::uint16_t id;
        bool replace;
        bool copied;
    };
    for (const CCase& test : std::vector<CCase>{{ERecordKind::Script, 4096, false, false},
                                                {ERecordKind::Script, 4096, true, true},
                                                {ERecordKind::Interactions, 129, false, false},  // lone names there
                                                {ERecordKind::Interactions, 129, true, true},
                                                {ERecordKind::Constants, 128, true, false}})  // not in `other`
    {
        SCOPED_TRACE(std::string(RecordKindName(test.kind)) + (test.replace ? " replacing" : ""));
        CIffFile container = Object();
        ASSERT_EQ(CopyRecord(other, container, test.kind, test.id, test.replace), test.copied);
        if (!test.copied)
        {
            EXPECT_EQ(Contents(container), Contents(Object()));
            continue;
        }
        // Every chunk as `other` has it, flags and name too; a companion it lacks is gone.
        for (const std::uint32_t type : RecordChunkTypes(test.kind))
        {
            EXPECT_EQ(TakeChunkSnapshot(container, type, test.id), TakeChunkSnapshot(other, type, test.id));
        }
    }
}

TEST(RecordEditing, ReferencesToAScriptAreFoundInScriptsAndInteractions)
{
    const auto found = [](std::uint16_t id) {
        std::vector<std::string> texts;
        for (const CRecordReference& r : FindScriptReferences(Object(), id))
            texts.push_back(std::to_string(r.id) + " " + r.name + " " + std::to_string(r.line) + " " +
                            std::to_string(r.interaction) + (r.checkTree ? " check" : ""));
        return texts;
    };
    EXPECT_EQ(found(4096), (std::vector<std::string>{"4097 helper 0 -1", "4097 helper 2 -1", "128 menu -1 0",
                                                     "128 menu -1 1 check"}));
    EXPECT_EQ(found(4097), (std::vector<std::string>{"4096 main 1 -1"}));
    EXPECT_EQ(found(4098), (std::vector<std::string>{}));
    EXPECT_EQ(RecordReferenceText({kTypeTtab, 128, "menu", -1, 1, true}), "TTAB #128 \"menu\", interaction 1, check tree");
}

TEST(RecordEditing, SnapshotsGiveBackTheExactChunk)
{
    const std::vector<std::tuple<std::uint32_t, std::uint16_t, Change>> cases = {
        {kTypeBhav, 4096,
         [](CIffFile& c) {
             CBhavScript script;
             if (!script.Load(c, 4096))
                 return false;
             script.Optimize();
             return script.Store(c, 4096).Ok();  // other data, flags 0x0010
         }},
        {kTypeTtab, 128, [](CIffFile& c) { return DeleteRecord(c, ERecordKind::Interactions, 128); }},
        {kTypeBcon, 129, [](CIffFile& c) { return CreateRecord(c, ERecordKind::Constants, 129, "x"); }},
        {kTypeStr, 128, [](CIffFile& c) { return RenameRecord(c, ERecordKind::Strings, 128, 128, "y"); }},
    };
    for (const auto& [type, id, change] : cases)
    {
        CIffFile container = Object();
        const CChunkSnapshot snapshot = TakeChunkSnapshot(container, type, id);
        ASSERT_TRUE(change(container));
        ASSERT_NE(TakeChunkSnapshot(container, type, id), snapshot) << id;
        ASSERT_TRUE(RestoreChunkSnapshot(container, snapshot));
        EXPECT_EQ(TakeChunkSnapshot(container, type, id), snapshot) << id;
        EXPECT_EQ(container.Chunks().size(), Object().Chunks().size() - (type == kTypeTtab)) << id;  // TTAs still gone
    }
}
