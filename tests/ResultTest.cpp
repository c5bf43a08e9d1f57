#include "containers/IffFile.h"
#include "containers/Result.h"
#include "containers/TypeCodes.h"
#include "records/BhavScript.h"
#include "records/ConstantTable.h"
#include "records/InteractionTable.h"
#include "records/ObjectDefinition.h"
#include "records/ObjectFunctions.h"
#include "records/StringTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
CResult<std::vector<int>, EIffRead> Halves(int value)
{
    if (value % 2 != 0)
        return Fail(EIffRead::NotIff, std::uint64_t(value)).AtOffset(8);
    return std::vector<int>{value / 2, value / 2};
}

CStatus<EIffRead> Passed(const CResult<std::vector<int>, EIffRead>& inner)
{
    if (!inner)
        return CFailure<EIffRead>(inner.Failure()).InRecord(0x42484156, 7).InFile("a.iff");
    return {};
}
}

TEST(Result, CarriesAValueOrItsFailureWithThePlace)
{
    struct Row
    {
        int input;
        bool ok;
        std::vector<int> value;
        CFailurePlace where;
    };
    const Row rows[] = {
        {4, true, {2, 2}, {}},
        {0, true, {0, 0}, {}},
        {3, false, {}, {"a.iff", 0x42484156u, std::uint16_t(7), 8u}},
    };
    for (const Row& row : rows)
    {
        const auto halves = Halves(row.input);
        const CStatus<EIffRead> passed = Passed(halves);
        ASSERT_EQ(bool(halves), row.ok) << row.input;
        EXPECT_EQ(passed.Ok(), row.ok) << row.input;
        if (row.ok)
        {
            EXPECT_EQ(*halves, row.value) << row.input;
            continue;
        }
        EXPECT_EQ(passed.Failure().what, EIffRead::NotIff);
        EXPECT_EQ(passed.Failure().value, std::uint64_t(row.input));
        EXPECT_EQ(passed.Failure().where, row.where);
    }
}

TEST(Result, ValueMovesOutWhole)
{
    CResult<std::string, EIffRead> text(std::string(1000, 'x'));
    const std::string taken = std::move(text).Value();
    EXPECT_EQ(taken.size(), 1000u);
}

// Every record kind's load answers with the record and, where the decoder knows it, the byte of the
// record's data where it went wrong, so a front end can point at it.
TEST(RecordLoad, FailureNamesTheRecordAndTheByte)
{
    using Bytes = std::vector<std::uint8_t>;
    const auto load = [](std::uint32_t type, const CIffFile& container) -> CRecordStatus {
        switch (type)
        {
        case kTypeBhav:
            return CBhavScript().Load(container, 7);
        case kTypeBcon:
            return CConstantTable().Load(container, 7);
        case kTypeTtab:
            return CInteractionTable().Load(container, 7);
        case kTypeObjd:
            return CObjectDefinition().Load(container, 7);
        case kTypeObjf:
            return CObjectFunctions().Load(container, 7);
        default:
            return CStringTable().Load(container, type, 7);
        }
    };
    Bytes objectDefinition(33, 0);
    objectDefinition[0] = 142;
    struct CRow
    {
        const char* what;
        std::uint32_t type;
        std::optional<Bytes> data;  // none: no such chunk
        ERecordFault fault;
        std::optional<std::uint64_t> offset;
    };
    const CRow rows[] = {
        {"a missing script", kTypeBhav, std::nullopt, ERecordFault::Missing, std::nullopt},
        {"constants cut off", kTypeBcon, Bytes{3, 0, 1, 0}, ERecordFault::Damaged, 2},
        {"a plain string cut off", kTypeStr, Bytes{0, 1, 5, 'a'}, ERecordFault::Damaged, 2},
        {"an unknown language code", kTypeStr, Bytes{0xFD, 0xFF, 1, 0, 25, 'a', 0, 0}, ERecordFault::UnknownLanguage, 4},
        {"a reserved byte", kTypeTtab, Bytes{0, 0, 10, 0, 7}, ERecordFault::ReservedByte, 4},
        {"an odd length", kTypeObjd, objectDefinition, ERecordFault::OddLength, 32},
        {"a count over the length", kTypeObjf, Bytes{0, 0, 0, 0, 0, 0, 0, 0, 'f', 'J', 'B', 'O', 1, 0, 0, 0},
         ERecordFault::CountMismatch, 12},
    };
    for (const CRow& row : rows)
    {
        SCOPED_TRACE(row.what);
        CIffFile container;
        CIffChunk chunk;
        chunk.type = row.type;
        chunk.id = 7;
        if (row.data)
        {
            ASSERT_TRUE(container.PutChunk(chunk, *row.data));
        }
        const CRecordStatus loaded = load(row.type, container);
        ASSERT_FALSE(loaded);
        EXPECT_EQ(loaded.Failure().what, row.fault);
        EXPECT_EQ(loaded.Failure().where, (CFailurePlace{{}, row.type, std::uint16_t(7), row.offset}));
    }
}
