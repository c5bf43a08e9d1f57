// Renumbering a record on the sample object grown with more callers, a second object and
// flowchart layouts: every place that reached the record reaches it at its new id, the layout
// moves with its script, and a refused renumbering changes nothing.

#include "SampleFiles.h"

#include "containers/ByteStream.h"
#include "containers/ChunkSnapshot.h"
#include "containers/IffFile.h"
#include "records/BhavScript.h"
#include "records/InteractionTable.h"
#include "records/ObjectDefinition.h"
#include "records/ObjectFunctions.h"
#include "records/RecordEditing.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
std::vector<CChunkSnapshot> Contents(const CIffFile& container)
{
    std::vector<CChunkSnapshot> contents;
    for (const CIffChunk& chunk : container.Chunks())
        contents.push_back(TakeChunkSnapshot(container, chunk.type, chunk.id));
    std::sort(contents.begin(), contents.end(), [](const CChunkSnapshot& a, const CChunkSnapshot& b) {
        return std::tie(a.type, a.id) < std::tie(b.type, b.id);
    });
    return contents;
}

// The sample object, with a script calling every sample script (itself included), a second
// interaction naming 4098 and 4100, a second object whose fields and functions name the same
// scripts and tables, and a flowchart layout beside 4096 and 4099.
CIffFile GrownSample()
{
    CIffFile container;
    CMemoryStream stream(BuildSampleObject());
    EIffRead error = EIffRead::Ok;
    EXPECT_TRUE(container.Read(&stream, error));

    CBhavScript caller;
    caller.SetName("calls everything");
    for (const std::uint16_t opcode : {4096, 4097, 4098, 4099, 4100, 4101, 4096})
        caller.AppendLine({opcode, kTargetTrue, kTargetFalse, {}});
    EXPECT_TRUE(caller.Store(container, 4101));

    CInteractionTable table;
    EXPECT_TRUE(table.Load(container, 128));
    CInteraction more = table.Interactions().front();
    more.actionTree = 4100;
    more.checkTree = 4098;
    table.AddInteraction(more);
    EXPECT_TRUE(table.Store(container, 128));

    CObjectDefinition second;
    EXPECT_TRUE(second.Load(container, 128));
    second.SetGuid(0x01020304);
    second.SetValue(*ObjectFieldOffset("init script"), 4099);
    second.SetValue(*ObjectFieldOffset("animation table"), 128);
    EXPECT_TRUE(second.Store(container, 129));
    CObjectFunctions functions;
    EXPECT_TRUE(functions.Load(container, 128));
    EXPECT_TRUE(functions.SetFunction(5, {4101, functions.Functions()[5].action}));
    EXPECT_TRUE(functions.Store(container, 129));

    for (const std::uint16_t id : {4096, 4099})
    {
        CIffChunk tree{kTypeTree, 0, 0, id, 0x0010, "layout"};
        const std::vector<std::uint8_t> layout{1, 2, 3, std::uint8_t(id)};
        EXPECT_TRUE(container.PutChunk(tree, layout));
    }
    return container;
}

// A reference as its text, with the referring record's id as it stands after the move.
std::vector<std::string> Texts(std::vector<CRecordReference> references, std::uint16_t from, std::uint16_t to)
{
    std::vector<std::string> texts;
    for (CRecordReference& reference : references)
    {
        if (reference.type == kTypeBhav && reference.id == from)
            reference.id = to;
        texts.push_back(RecordReferenceText(reference));
    }
    std::sort(texts.begin(), texts.end());
    return texts;
}
}

TEST(Renumbering, EveryReferenceFollowsTheRecordAndItsLayoutMovesWithIt)
{
    struct CRow
    {
        ERecordKind kind;
        std::uint16_t from;
        std::uint16_t to;
        std::size_t references;  // at least: the sample's callers, the grown ones, the entry points
    };
    const CRow rows[] = {
        {ERecordKind::Script, 4096, 5000, 6},  {ERecordKind::Script, 4097, 4250, 2},
        {ERecordKind::Script, 4098, 6000, 2},  {ERecordKind::Script, 4099, 4102, 3},
        {ERecordKind::Script, 4100, 8191, 3},  {ERecordKind::Script, 4101, 4300, 2},
        {ERecordKind::Interactions, 128, 300, 2}, {ERecordKind::Strings, 128, 301, 3},
    };
    for (const CRow& row : rows)
    {
        SCOPED_TRACE(std::string(RecordKindName(row.kind)) + " #" + std::to_string(row.from));
        CIffFile container = GrownSample();
        const std::vector<CRecordReference> before = FindRecordReferences(container, row.kind, row.from);
        ASSERT_GE(before.size(), row.references);
        const CChunkSnapshot tree = TakeChunkSnapshot(container, kTypeTree, row.from);

        const CRecordRenumbering renumbering = RenumberingOf(container, row.kind, row.from, row.to);
        EXPECT_TRUE(renumbering.problem.empty()) << renumbering.problem;
        EXPECT_EQ(renumbering.follow.size(), before.size());
        const std::string name = TakeChunkSnapshot(container, ListedType(row.kind), row.from).name;
        ASSERT_TRUE(RenameRecord(container, row.kind, row.from, row.to, name, true));

        EXPECT_TRUE(FindRecordReferences(container, row.kind, row.from).empty());
        EXPECT_EQ(Texts(FindRecordReferences(container, row.kind, row.to), row.from, row.to),
                  Texts(before, row.from, row.to));
        const CChunkSnapshot moved = TakeChunkSnapshot(container, kTypeTree, row.to);
        EXPECT_EQ(moved.data, tree.data);
        EXPECT_EQ(moved.present, tree.present);
        EXPECT_FALSE(TakeChunkSnapshot(container, kTypeTree, row.from).present);
    }
}

TEST(Renumbering, KeptReferencesAndRefusalsLeaveEveryOtherChunkAsItWas)
{
    struct CRow
    {
        std::uint16_t to;
        bool follow;
        bool done;
    };
    const CRow rows[] = {
        {5000, false, true},  // only the script and its layout move
        {4097, true, false},  // an id in use
        {8192, true, false},  // beyond the file's own scripts
        {4095, true, false},  // a global id
        {4200, true, false},  // an id the sample's main script already calls
    };
    for (const CRow& row : rows)
    {
        SCOPED_TRACE(row.to);
        CIffFile container = GrownSample();
        std::vector<CChunkSnapshot> expected = Contents(container);
        if (row.done)
            for (CChunkSnapshot& chunk : expected)
                if ((chunk.type == kTypeBhav || chunk.type == kTypeTree) && chunk.id == 4096)
                    chunk.id = row.to;
        std::sort(expected.begin(), expected.end(), [](const CChunkSnapshot& a, const CChunkSnapshot& b) {
            return std::tie(a.type, a.id) < std::tie(b.type, b.id);
        });
        EXPECT_EQ(RenameRecord(container, ERecordKind::Script, 4096, row.to, "main", row.follow), row.done);
        EXPECT_EQ(Contents(container), expected);
    }
}

TEST(Renumbering, CallsThatReachAnotherFileStayBehind)
{
    // The sample names a semi-global file, so its own calls to 8192 and up go there.
    CIffFile container = GrownSample();
    CBhavScript script;
    ASSERT_TRUE(script.Load(container, 4101));
    ASSERT_TRUE(script.Store(container, 8300));
    script.ReplaceLines({{8300, kTargetTrue, kTargetFalse, {}}});
    ASSERT_TRUE(script.Store(container, 4102));

    const CRecordRenumbering renumbering = RenumberingOf(container, ERecordKind::Script, 8300, 4260);
    EXPECT_TRUE(renumbering.follow.empty());
    EXPECT_EQ(renumbering.stay.size(), 1u);
    EXPECT_TRUE(renumbering.calledFromOtherFiles);
    ASSERT_TRUE(RenameRecord(container, ERecordKind::Script, 8300, 4260, "moved", true));
    ASSERT_TRUE(script.Load(container, 4102));
    EXPECT_EQ(script.Lines()[0].opcode, 8300);
}

TEST(Renumbering, DuplicateCopyAndDeleteCarryTheLayout)
{
    CIffFile container = GrownSample();
    const CChunkSnapshot tree = TakeChunkSnapshot(container, kTypeTree, 4096);
    ASSERT_TRUE(DuplicateRecord(container, ERecordKind::Script, 4096, 5000, "copy"));
    EXPECT_EQ(TakeChunkSnapshot(container, kTypeTree, 5000).data, tree.data);

    CIffFile other;
    ASSERT_TRUE(CopyRecord(container, other, ERecordKind::Script, 4096, false));
    EXPECT_EQ(TakeChunkSnapshot(other, kTypeTree, 4096).data, tree.data);

    ASSERT_TRUE(DeleteRecord(container, ERecordKind::Script, 4096));
    EXPECT_FALSE(TakeChunkSnapshot(container, kTypeTree, 4096).present);
    EXPECT_TRUE(TakeChunkSnapshot(container, kTypeTree, 4099).present);
}
