// Object definitions and function tables: their layouts as real files hold them, what is refused,
// where changed fields land, and how objects are made, copied and cloned as whole records.

#include "containers/ByteOrder.h"
#include "containers/ChunkSnapshot.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "records/BhavScript.h"
#include "records/ObjectDefinition.h"
#include "records/ObjectFunctions.h"
#include "records/RecordCheck.h"
#include "records/RecordEditing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<std::uint8_t>;

// A definition of `size` bytes: the version, then every byte its own offset, so that a field read
// from the wrong place shows.
Bytes Definition(std::uint32_t version, std::size_t size)
{
    Bytes data(size);
    for (std::size_t i = 0; i < size; ++i)
        data[i] = std::uint8_t(i);
    if (size >= 4)
        WriteLE32(data.data(), version);
    return data;
}

Bytes FunctionTable(std::uint32_t count, std::size_t pairs)
{
    Bytes data = {0, 0, 0, 0, 0, 0, 0, 0, 'f', 'J', 'B', 'O', 0, 0, 0, 0};
    data.resize(16 + 4 * pairs);
    WriteLE32(data.data() + 12, count);
    for (std::size_t i = 0; i < 4 * pairs; ++i)
        data[16 + i] = std::uint8_t(i + 1);
    return data;
}

void PutChunk(CIffFile& container, std::uint32_t type, std::uint16_t id, const Bytes& data, const std::string& name,
              std::uint16_t flags = 0x0010)
{
    CIffChunk chunk;
    chunk.type = type;
    chunk.id = id;
    chunk.name = name;
    chunk.flags = flags;
    ASSERT_TRUE(container.PutChunk(chunk, data));
}

Bytes ChunkBytes(const CIffFile& container, std::uint32_t type, std::uint16_t id)
{
    return TakeChunkSnapshot(container, type, id).data;
}
}

TEST(ObjectDefinition, RealLayoutsLoadAndStoreByteForByte)
{
    struct CCase
    {
        std::uint32_t version;
        std::size_t size;
        std::size_t fields;  // each GUID one field
    };
    const CCase cases[] = {{142, 214, 102}, {142, 216, 103}, {138, 216, 103}, {142, 32, 13}};
    for (const CCase& c : cases)
    {
        const Bytes data = Definition(c.version, c.size);
        CIffFile container;
        PutChunk(container, kTypeObjd, 128, data, "Chair");
        CObjectDefinition object;
        ASSERT_TRUE(object.Load(container, 128)) << c.size;
        EXPECT_EQ(object.Version(), c.version);
        EXPECT_EQ(object.Fields().size(), c.fields) << c.size;
        ASSERT_TRUE(object.Store(container, 129));
        EXPECT_EQ(ChunkBytes(container, kTypeObjd, 129), data) << c.size;
        EXPECT_EQ(object.Guid(), ReadLE32(data.data() + 28));
    }
}

TEST(ObjectDefinition, FieldsAreReadWhereTheTableSaysWithTheirNames)
{
    CObjectDefinition object;
    ASSERT_TRUE(object.Decode(Definition(142, 216)));
    struct CCase
    {
        std::uint16_t offset;
        const char* name;
        std::size_t size;
    };
    const CCase cases[] = {
        {4, "initial stack size", 2},   {10, "main script", 2},         {28, "GUID", 4},
        {32, "disabled", 2},            {46, "field at byte 46", 2},    {140, "original GUID", 4},
        {144, "suit GUID", 4},          {160, "repair script", 2},      {162, "field at byte 162", 2},
        {214, "field at byte 214", 2},
    };
    for (const CCase& c : cases)
    {
        const std::optional<CObjectField> field = object.FieldAt(c.offset);
        ASSERT_TRUE(field) << c.offset;
        EXPECT_EQ(field->name, c.name);
        EXPECT_EQ(field->Size(), c.size) << c.name;
        const Bytes data = Definition(142, 216);
        EXPECT_EQ(object.Value(c.offset), c.size == 4 ? ReadLE32(&data[c.offset]) : ReadLE16(&data[c.offset])) << c.name;
        EXPECT_EQ(ObjectFieldOffset(c.name).value_or(c.offset), c.offset);
    }
    // No field begins inside a GUID, before the fields or past the end.
    for (const std::uint16_t offset : {0, 2, 30, 142, 146, 216, 11})
        EXPECT_FALSE(object.FieldAt(offset)) << offset;
}

TEST(ObjectRecords, DamagedOrUnknownLayoutsAreRefusedWithTheirReason)
{
    Bytes dirty = FunctionTable(2, 2);
    dirty[3] = 1;
    Bytes misspelt = FunctionTable(2, 2);
    misspelt[8] = 'F';
    struct CCase
    {
        const char* what;
        std::uint32_t type;
        Bytes data;
        ERecordFault fault;
        const char* reason;
    };
    const CCase cases[] = {
        {"short", kTypeObjd, Definition(142, 30), ERecordFault::TooShort,
         "it is shorter than the 32 bytes its layout needs"},
        {"other version", kTypeObjd, Definition(143, 214), ERecordFault::UnknownVersion,
         "version 143 is not one this program can edit"},
        {"odd", kTypeObjd, Definition(138, 215), ERecordFault::OddLength,
         "its length of 215 bytes is odd, so its last field is cut in half"},
        {"no header", kTypeObjf, Bytes(15, 0), ERecordFault::BadMagic, nullptr},
        {"dirty zeros", kTypeObjf, dirty, ERecordFault::BadMagic, nullptr},
        {"magic", kTypeObjf, misspelt, ERecordFault::BadMagic, nullptr},
        {"count past the end", kTypeObjf, FunctionTable(3, 2), ERecordFault::CountMismatch,
         "its count of 3 functions does not fit its length"},
        {"bytes past the count", kTypeObjf, FunctionTable(1, 2), ERecordFault::CountMismatch, nullptr},
        {"huge count", kTypeObjf, FunctionTable(0x40000001, 0), ERecordFault::CountMismatch, nullptr},
    };
    for (const CCase& c : cases)
    {
        CIffFile container;
        PutChunk(container, c.type, 128, c.data, "object");
        const CRecordCheck check = CheckRecords(container);
        ASSERT_EQ(check.refused.size(), 1u) << c.what;
        EXPECT_EQ(check.refused[0].fault.what, c.fault) << c.what;
        if (c.reason != nullptr)
        {
            EXPECT_EQ(RecordFaultText(c.type, check.refused[0].fault), c.reason);
        }
    }
}

TEST(ObjectFunctions, TablesLoadAndStoreByteForByteAndNameTheirFunctions)
{
    for (const std::size_t count : {0, 30, 31, 33, 34})
    {
        const Bytes data = FunctionTable(std::uint32_t(count), count);
        CIffFile container;
        PutChunk(container, kTypeObjf, 128, data, "");
        CObjectFunctions functions;
        ASSERT_TRUE(functions.Load(container, 128)) << count;
        ASSERT_EQ(functions.Functions().size(), count);
        if (count > 0)
        {
            EXPECT_EQ(functions.Functions()[0], (CObjectFunction{0x0201, 0x0403}));
        }
        ASSERT_TRUE(functions.Store(container, 129));
        EXPECT_EQ(ChunkBytes(container, kTypeObjf, 129), data) << count;
    }
    EXPECT_EQ(ObjectFunctionName(0), "init");
    EXPECT_EQ(ObjectFunctionName(11), "user placement");
    EXPECT_EQ(ObjectFunctionName(29), "repair");
    EXPECT_EQ(ObjectFunctionName(30), "function 30");
}

TEST(ObjectDefinition, ValuesLandAtTheirOffsetsOrAreRefused)
{
    struct CCase
    {
        std::uint16_t offset;
        std::int64_t value;
        Bytes expected;  // the field's bytes; empty: refused
    };
    const CCase cases[] = {
        {36, 450, {0xC2, 0x01}},
        {70, -1, {0xFF, 0xFF}},
        {70, -32768, {0x00, 0x80}},
        {70, -32769, {}},
        {10, 65535, {0xFF, 0xFF}},
        {10, -1, {}},
        {46, 7, {0x07, 0x00}},
        {212, 9, {0x09, 0x00}},
        {214, 1, {}},
        {30, 1, {}},
        {28, 0xDEADBEEF, {0xEF, 0xBE, 0xAD, 0xDE}},
        {140, 0x100000000ll, {}},
        {144, 0, {0, 0, 0, 0}},
    };
    for (const CCase& c : cases)
    {
        CObjectDefinition object;
        ASSERT_TRUE(object.Decode(Definition(142, 214)));
        Bytes expected = Definition(142, 214);
        std::copy(c.expected.begin(), c.expected.end(), expected.begin() + c.offset);
        EXPECT_EQ(object.ValueProblem(c.offset, c.value).empty(), !c.expected.empty()) << c.offset << " " << c.value;
        EXPECT_EQ(object.SetValue(c.offset, c.value), !c.expected.empty()) << c.offset << " " << c.value;
        EXPECT_EQ(object.Encode(), expected) << c.offset << " " << c.value;
    }
}

TEST(ObjectRecords, EntryPointsAreReferencesToTheirScripts)
{
    CIffFile container;
    CObjectDefinition chair;
    chair.SetName("Chair");
    chair.SetValue(10, 4096);   // main script
    chair.SetValue(86, 4096);   // init script
    chair.SetValue(14, 4096);   // the interaction table: not a script
    chair.SetValue(148, 8192);  // pickup script
    ASSERT_TRUE(chair.Store(container, 128));
    std::vector<CObjectFunction> entries(31);
    entries[11] = {8192, 4096};
    entries[30] = {4096, 0};
    const CObjectFunctions functions(std::move(entries));
    ASSERT_TRUE(functions.Store(container, 128));
    PutChunk(container, kTypeObjd, 129, Definition(150, 214), "refused");  // passed over

    struct CCase
    {
        std::uint16_t id;
        std::vector<std::string> texts;
    };
    const CCase cases[] = {
        {4096,
         {"OBJD #128 \"Chair\": main script", "OBJD #128 \"Chair\": init script",
          "OBJf #128: action of \"user placement\"", "OBJf #128: check of \"function 30\""}},
        {8192, {"OBJD #128 \"Chair\": pickup script", "OBJf #128: check of \"user placement\""}},
        {0, {}},
    };
    for (const CCase& c : cases)
    {
        std::vector<std::string> texts;
        for (const CRecordReference& reference : FindScriptReferences(container, c.id))
            texts.push_back(RecordReferenceText(reference));
        EXPECT_EQ(texts, c.texts) << c.id;
    }
}

TEST(ObjectRecords, AnObjectIsMadeCopiedMovedAndDeletedWithItsFunctionTable)
{
    CIffFile container;
    ASSERT_TRUE(CreateObject(container, 128, "Chair", 0x00053216, true));
    CObjectDefinition made;
    CObjectFunctions madeFunctions;
    ASSERT_TRUE(made.Load(container, 128) && madeFunctions.Load(container, 128));
    EXPECT_EQ(made.Version(), 142u);
    EXPECT_EQ(made.Size(), 214u);
    EXPECT_EQ(made.Guid(), 0x00053216u);
    EXPECT_EQ(made.Value(*ObjectFieldOffset("uses function table")), 1u);
    EXPECT_EQ(madeFunctions.Functions().size(), 30u);

    // A GUID in use is refused, naming the object that has it.
    EXPECT_FALSE(CreateObject(container, 129, "Sofa", 0x00053216, false));
    EXPECT_EQ(ObjectGuidProblem(container, 129, 0x00053216), "GUID 0x00053216 is in use by OBJD #128 \"Chair\".");
    EXPECT_EQ(ObjectGuidProblem(container, 128, 0x00053216), "");

    // The copy is the object again under a GUID of its own; its function table comes along.
    ASSERT_TRUE(DuplicateRecord(container, ERecordKind::Objects, 128, 130, "copy", {0x11111111}));
    CObjectDefinition copy;
    ASSERT_TRUE(copy.Load(container, 130));
    EXPECT_NE(copy.Guid(), 0x00053216u);
    EXPECT_NE(copy.Guid(), 0x11111111u);
    EXPECT_NE(copy.Guid(), 0u);
    copy.SetGuid(made.Guid());
    EXPECT_EQ(copy.Encode(), made.Encode());
    EXPECT_EQ(ChunkBytes(container, kTypeObjf, 130), ChunkBytes(container, kTypeObjf, 128));

    ASSERT_TRUE(RenameRecord(container, ERecordKind::Objects, 130, 131, "moved"));
    EXPECT_FALSE(TakeChunkSnapshot(container, kTypeObjf, 130).present);
    EXPECT_TRUE(TakeChunkSnapshot(container, kTypeObjf, 131).present);
    ASSERT_TRUE(DeleteRecord(container, ERecordKind::Objects, 131));
    EXPECT_FALSE(TakeChunkSnapshot(container, kTypeObjd, 131).present);
    EXPECT_FALSE(TakeChunkSnapshot(container, kTypeObjf, 131).present);

    // A new object through the common command gets a GUID no object of the file has.
    ASSERT_TRUE(CreateRecord(container, ERecordKind::Objects, 132, "plain"));
    CObjectDefinition plain;
    ASSERT_TRUE(plain.Load(container, 132));
    EXPECT_NE(plain.Guid(), made.Guid());
    EXPECT_FALSE(TakeChunkSnapshot(container, kTypeObjf, 132).present);
}

TEST(ObjectRecords, ACloneChangesOnlyTheGuids)
{
    CIffFile container;
    PutChunk(container, kTypeObjd, 128, Definition(142, 216), "lead", 0x0000);
    PutChunk(container, kTypeObjd, 129, Definition(138, 216), "part", 0x0010);
    PutChunk(container, kTypeObjf, 128, FunctionTable(2, 2), "lead");
    const CIffFile before = container;

    std::vector<CGuidChange> changes;
    std::uint16_t refused = 0;
    ASSERT_TRUE(CloneObjects(container, {0x12345678}, changes, refused));
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_NE(changes[0].after, changes[1].after);
    for (const CGuidChange& change : changes)
    {
        EXPECT_EQ(change.before, ReadLE32(Definition(142, 216).data() + 28));
        EXPECT_NE(change.after, change.before);
        EXPECT_NE(change.after, 0x12345678u);
        CChunkSnapshot expected = TakeChunkSnapshot(before, kTypeObjd, change.id);
        WriteLE32(expected.data.data() + 28, change.after);
        EXPECT_EQ(TakeChunkSnapshot(container, kTypeObjd, change.id), expected) << change.id;
    }
    EXPECT_EQ(ChunkBytes(container, kTypeObjf, 128), ChunkBytes(before, kTypeObjf, 128));

    // One definition that does not load stops the clone before anything changes.
    PutChunk(container, kTypeObjd, 130, Definition(142, 31), "damaged");
    const CIffFile unchanged = container;
    EXPECT_FALSE(CloneObjects(container, {}, changes, refused));
    EXPECT_EQ(refused, 130);
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(ChunkBytes(container, kTypeObjd, 128), ChunkBytes(unchanged, kTypeObjd, 128));
}
