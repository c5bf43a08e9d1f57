#include "CliRunner.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

int RunCli(const std::string& arguments, const std::filesystem::path& stderrFile, std::string& out, std::string& err)
{
    const std::string command =
        std::string(TREEWRIGHT_CLI_PATH) + " " + arguments + " 2>'" + stderrFile.string() + "'";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    out.clear();
    char buffer[4096];
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
        out.append(buffer, got);
    const int status = pclose(pipe);
    std::ifstream errFile(stderrFile);
    std::stringstream errText;
    errText << errFile.rdbuf();
    err = errText.str();
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ExpandPaths(std::string arguments, const std::filesystem::path& folder)
{
    for (std::size_t open = arguments.find('{'); open != std::string::npos; open = arguments.find('{', open))
    {
        const std::size_t close = arguments.find('}', open);
        const std::string path = "'" + (folder / arguments.substr(open + 1, close - open - 1)).string() + "'";
        arguments.replace(open, close - open + 1, path);
        open += path.size();
    }
    return arguments;
}

std::filesystem::path FreshTestFolder(const std::string& prefix)
{
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / (prefix + info->name());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}
