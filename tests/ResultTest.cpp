#include "containers/IffFile.h"
#include "containers/Result.h"

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
