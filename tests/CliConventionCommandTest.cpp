// The conventions every command of the command-line tool keeps alike: exit status, the error
// document printed with --json, the range of ids and the help shown on a usage error.

#include "CliRunner.h"

#include "containers/ByteStream.h"
#include "containers/IffFile.h"
#include "records/BhavScript.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

namespace
{
using Json = nlohmann::json;

class CCliConvention : public testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = FreshTestFolder("treewright-convention-");
        std::filesystem::create_directories(m_folder / "empty");
        CIffFile container;
        CBhavScript script;
        script.AppendLine({0, kTargetTrue, kTargetFalse, {}});
        ASSERT_TRUE(script.Store(container, 4096));
        CFileStream file;
        ASSERT_TRUE(file.Open(Path("object.iff"), CFileStream::EMode::Create) && container.Write(&file) &&
                    file.Close());
    }

    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::string Path(const std::string& name) const { return (m_folder / name).string(); }

    std::string Expand(const std::string& arguments) const { return ExpandPaths(arguments, m_folder); }

    std::filesystem::path m_folder;
};
}

TEST_F(CCliConvention, EveryFailureEndsAlike)
{
    struct CCase
    {
        std::string arguments;  // {name}: a path in the test's folder; out.iff is never written
        int status;
        Json error;             // the error document's "error"; null: the command prints no JSON
        std::string file;       // the name whose path the document's "file" holds; empty: null
    };
    const Json read = 1;  // the read error code of a file that cannot be opened
    const std::vector<CCase> cases = {
        // A file that is not there.
        {"info {none.iff} --json", 1, read, "none.iff"},
        {"resave {none.iff} {out.iff} --json", 1, read, "none.iff"},
        {"far {none.far} --json", 1, read, "none.far"},
        {"far {object.iff} --json", 1, "archive", "object.iff"},
        {"far-extract {none.far} A.iff {out.iff} --json", 1, read, "none.far"},
        {"index {none} --json", 1, "folder", "none"},
        {"index {empty} --json", 1, "folder", "empty"},
        {"script {none.iff} 4096 --json", 1, read, "none.iff"},
        {"references {none.iff} 4096 --json", 1, read, "none.iff"},
        {"graph {none.iff} 4096 --json", 1, read, "none.iff"},
        {"strings {none.iff} 128 --json", 1, read, "none.iff"},
        {"constants {none.iff} 128 --json", 1, read, "none.iff"},
        {"interactions {none.iff} 128 --json", 1, read, "none.iff"},
        {"glob {none.iff} --json", 1, read, "none.iff"},
        {"set-glob {none.iff} Name {out.iff} --json", 1, read, "none.iff"},
        {"optimize {none.iff} 4096 {out.iff} --json", 1, read, "none.iff"},
        {"check {none.iff} --json", 1, read, "none.iff"},
        {"roundtrip {none.iff} {out.iff} --json", 1, read, "none.iff"},
        {"new-record {none.iff} script {out.iff} --json", 1, read, "none.iff"},
        {"duplicate-record {none.iff} script 4096 {out.iff} --json", 1, read, "none.iff"},
        {"rename-record {none.iff} script 4096 {out.iff} --name n --json", 1, read, "none.iff"},
        {"delete-record {none.iff} script 4096 {out.iff} --json", 1, read, "none.iff"},
        {"copy-record {object.iff} script 4096 {none.iff} {out.iff} --json", 1, read, "none.iff"},
        {"new-file {none/out.iff} --json", 1, "write", "none/out.iff"},
        {"render --open {none.iff}", 1, nullptr, ""},
        {"graph {object.iff} 4096 --format svg -o {none/out.svg} --json", 1, "write", "none/out.svg"},
        // A record that is not there.
        {"script {object.iff} 4097 --json", 1, "no-record", "object.iff"},
        {"references {object.iff} 4097 --json", 1, "no-record", "object.iff"},
        {"graph {object.iff} 4097 --json", 1, "no-record", "object.iff"},
        {"strings {object.iff} 128 --json", 1, "no-record", "object.iff"},
        {"optimize {object.iff} 4097 {out.iff} --json", 1, "no-record", "object.iff"},
        // Ids out of range, or no number.
        {"script {object.iff} -5 --json", 2, "usage", "object.iff"},
        {"references {object.iff} 70000 --json", 2, "usage", "object.iff"},
        {"graph {object.iff} 70000 --json", 2, "usage", "object.iff"},
        {"strings {object.iff} -5 --json", 2, "usage", "object.iff"},
        {"constants {object.iff} 70000 --json", 2, "usage", "object.iff"},
        {"interactions {object.iff} 0x10000 --json", 2, "usage", "object.iff"},
        {"optimize {object.iff} 12a {out.iff} --json", 2, "usage", "object.iff"},
        {"new-record {object.iff} script {out.iff} --id 70000 --json", 2, "usage", "object.iff"},
        {"duplicate-record {object.iff} script -5 {out.iff} --json", 2, "usage", "object.iff"},
        {"rename-record {object.iff} script 4096 {out.iff} --id -1 --json", 2, "usage", "object.iff"},
        {"delete-record {object.iff} script 70000 {out.iff} --json", 2, "usage", "object.iff"},
        {"copy-record {object.iff} script -5 {object.iff} {out.iff} --json", 2, "usage", "object.iff"},
        // Other usage errors.
        {"strings {object.iff} --json", 2, "usage", "object.iff"},
        {"check {object.iff} --bogus --json", 2, "usage", "object.iff"},
        {"graph {object.iff} 4096 --format gif --json", 2, "usage", "object.iff"},
        {"graph {object.iff} 4096 --format png --json", 2, "usage", "object.iff"},
    };
    for (const CCase& c : cases)
    {
        SCOPED_TRACE(c.arguments);
        std::string out, err;
        EXPECT_EQ(RunCli(Expand(c.arguments), m_folder / "stderr.txt", out, err), c.status) << err;
        EXPECT_FALSE(std::filesystem::exists(Path("out.iff")));
        if (c.error.is_null())
            EXPECT_EQ(out, "");
        else
        {
            // One document, whose message is the line on stderr.
            const Json document = Json::parse(out, nullptr, false);
            ASSERT_TRUE(document.is_object()) << out;
            EXPECT_EQ(document.size(), 3u) << out;
            EXPECT_EQ(document["error"], c.error);
            EXPECT_EQ(document["file"], c.file.empty() ? Json() : Json(Path(c.file)));
            EXPECT_EQ(err.substr(0, err.find('\n')), document.value("message", "?"));
        }
        // A usage error shows the help of the command that was run.
        const std::string command = c.arguments.substr(0, c.arguments.find(' '));
        EXPECT_EQ(err.find("Usage: treewright-cli " + command + " ") != std::string::npos, c.status == 2) << err;
    }
}
