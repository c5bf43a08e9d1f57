#include "CliRunner.h"

#include "containers/ByteOrder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<std::uint8_t>;
using Json = nlohmann::json;

void AppendLE32(Bytes& bytes, std::uint32_t value)
{
    std::uint8_t field[4];
    WriteLE32(field, value);
    bytes.insert(bytes.end(), field, field + 4);
}

// Two members, the second's length1 differing from its length2 and its name holding a
// windows-1252 letter, then the directory.
Bytes SampleArchive()
{
    Bytes file = {'F', 'A', 'R', '!', 'b', 'y', 'A', 'Z'};
    AppendLE32(file, 1);
    AppendLE32(file, 16 + 5 + 3);
    file.insert(file.end(), {'h', 'e', 'l', 'l', 'o', 'x', 'y', 'z'});
    AppendLE32(file, 2);
    const std::string first = "Dir\\A.iff";
    AppendLE32(file, 5);
    AppendLE32(file, 5);
    AppendLE32(file, 16);
    AppendLE32(file, static_cast<std::uint32_t>(first.size()));
    file.insert(file.end(), first.begin(), first.end());
    const std::string second = "Caf\xE9.iff";
    AppendLE32(file, 99);
    AppendLE32(file, 3);
    AppendLE32(file, 21);
    AppendLE32(file, static_cast<std::uint32_t>(second.size()));
    file.insert(file.end(), second.begin(), second.end());
    return file;
}

class CFarCommands : public testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = FreshTestFolder("treewright-far-");
        WriteFile("sample.far", SampleArchive());
    }

    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::string Path(const std::string& name) const { return (m_folder / name).string(); }
    std::string Quoted(const std::string& name) const { return "'" + Path(name) + "'"; }

    void WriteFile(const std::string& name, const Bytes& bytes) const
    {
        std::ofstream file(Path(name), std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    Bytes ReadFile(const std::string& name) const
    {
        std::ifstream file(Path(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    int Run(const std::string& arguments, std::string& out, std::string& err) const
    {
        return RunCli(arguments, m_folder / "stderr.txt", out, err);
    }

    std::filesystem::path m_folder;
};
}

TEST_F(CFarCommands, ListsMembersAsJson)
{
    std::string out, err;
    ASSERT_EQ(Run("far " + Quoted("sample.far") + " --json", out, err), 0) << err;
    const Json document = Json::parse(out, nullptr, false);
    ASSERT_FALSE(document.is_discarded()) << out;
    EXPECT_EQ(document["file"], Path("sample.far"));
    ASSERT_EQ(document["members"].size(), 2u);
    const Json& first = document["members"][0];
    EXPECT_EQ(first["name"], "Dir\\A.iff");
    EXPECT_EQ(first["length1"], 5);
    EXPECT_EQ(first["length2"], 5);
    EXPECT_EQ(first["offset"], 16);
    const Json& second = document["members"][1];
    EXPECT_EQ(second["name"], "Caf\xC3\xA9.iff");  // shown as UTF-8
    EXPECT_EQ(second["length1"], 99);
    EXPECT_EQ(second["length2"], 3);
}

TEST_F(CFarCommands, ListsMembersAsTable)
{
    std::string out, err;
    ASSERT_EQ(Run("far " + Quoted("sample.far"), out, err), 0) << err;
    EXPECT_NE(out.find("Dir\\A.iff"), std::string::npos) << out;
    EXPECT_NE(out.find("Caf\xC3\xA9.iff"), std::string::npos) << out;
    EXPECT_NE(out.find("99"), std::string::npos) << out;
}

TEST_F(CFarCommands, DamagedArchiveFailsWithLoaderMessage)
{
    Bytes damaged = SampleArchive();
    damaged.resize(damaged.size() - 2);  // the last name runs past the end
    WriteFile("damaged.far", damaged);
    std::string out, err;
    EXPECT_EQ(Run("far " + Quoted("damaged.far"), out, err), 1);
    EXPECT_EQ(err, "There was an error while opening this FAR file\n");
}

TEST_F(CFarCommands, ExtractsMemberByShownName)
{
    std::string out, err;
    ASSERT_EQ(Run("far-extract " + Quoted("sample.far") + " 'Dir\\A.iff' " + Quoted("a.iff"), out, err), 0) << err;
    EXPECT_EQ(ReadFile("a.iff"), (Bytes{'h', 'e', 'l', 'l', 'o'}));
    ASSERT_EQ(Run("far-extract " + Quoted("sample.far") + " 'Caf\xC3\xA9.iff' " + Quoted("c.iff"), out, err), 0) << err;
    EXPECT_EQ(ReadFile("c.iff"), (Bytes{'x', 'y', 'z'}));
}

TEST_F(CFarCommands, ExtractFailuresWriteNothing)
{
    std::string out, err;
    EXPECT_EQ(Run("far-extract " + Quoted("sample.far") + " 'Nope.iff' " + Quoted("n.iff"), out, err), 1);
    EXPECT_FALSE(err.empty());
    EXPECT_FALSE(std::filesystem::exists(Path("n.iff")));

    // A member whose range leaves the file.
    Bytes outside = SampleArchive();
    WriteLE32(&outside[outside.size() - 8 - 16 + 4], 4000);  // length2 of the second member, before its 8-byte name
    WriteFile("outside.far", outside);
    EXPECT_EQ(Run("far-extract " + Quoted("outside.far") + " 'Caf\xC3\xA9.iff' " + Quoted("o.iff"), out, err), 1);
    EXPECT_FALSE(std::filesystem::exists(Path("o.iff")));
}

TEST_F(CFarCommands, PathThatIsNotUtf8StillGivesJson)
{
    WriteFile("\xFF.far", SampleArchive());
    std::string out, err;
    ASSERT_EQ(Run("far " + Quoted("\xFF.far") + " --json", out, err), 0) << err;
    const Json document = Json::parse(out, nullptr, false);
    ASSERT_FALSE(document.is_discarded()) << out;
    EXPECT_EQ(document["members"].size(), 2u);
}
