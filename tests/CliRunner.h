#pragma once

// Running the command-line tool as a user's shell would, for the tests of its commands.

#include <filesystem>
#include <string>

/// Runs the tool with `arguments` (quoted for the shell), its standard error written to
/// `stderrFile`; returns its exit status (-1 when it could not start or did not exit) with what it
/// printed to standard output and standard error.
int RunCli(const std::string& arguments, const std::filesystem::path& stderrFile, std::string& out, std::string& err);

/// `arguments` with every {name} replaced by the quoted path of `name` in `folder`.
std::string ExpandPaths(std::string arguments, const std::filesystem::path& folder);

/// A folder of its own for the running test, named after it and empty: removed first should an
/// earlier run have left it.
std::filesystem::path FreshTestFolder(const std::string& prefix);
