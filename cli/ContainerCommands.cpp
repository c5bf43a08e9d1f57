#include "CliSupport.h"

#include "loading/ReadMessages.h"

#include "containers/AtomicFileWriter.h"
#include "containers/FarArchive.h"
#include "containers/IffFile.h"

#include <iomanip>
#include <memory>

namespace
{

// Opens an archive file; reports why not and returns false when it is unreadable or no archive.
bool OpenArchiveFile(const CReport& report, CFarArchive& archive)
{
    CFileStream file;
    if (!file.Open(report.File(), CFileStream::EMode::Read))
    {
        report.Fail(EIffRead::IoError, "Cannot open " + report.File() + ": " + file.LastErrorText());
        return false;
    }
    if (!archive.Open(&file))
    {
        report.Fail("archive", kFarOpenFailedMessage);
        return false;
    }
    return true;
}

int ListArchive(const std::string& path, bool json)
{
    CFarArchive archive;
    if (!OpenArchiveFile(CReport(path, json), archive))
        return kExitFailed;
    if (json)
    {
        nlohmann::ordered_json members = nlohmann::ordered_json::array();
        for (const CFarEntry& entry : archive.Entries())
            members.push_back({{"name", Shown(entry.name)},
                               {"length1", entry.length1},
                               {"length2", entry.length2},
                               {"offset", entry.offset}});
        PrintJson({{"file", path}, {"members", std::move(members)}});
        return kExitOk;
    }
    std::cout << path << ": " << archive.Entries().size() << " member"
              << (archive.Entries().size() == 1 ? "" : "s") << '\n';
    if (archive.Entries().empty())
        return kExitOk;
    std::cout << std::setw(10) << "length1" << ' ' << std::setw(10) << "length2" << ' ' << std::setw(10)
              << "offset" << "  name\n";
    for (const CFarEntry& entry : archive.Entries())
        std::cout << std::setw(10) << entry.length1 << ' ' << std::setw(10) << entry.length2 << ' '
                  << std::setw(10) << entry.offset << "  " << Shown(entry.name) << '\n';
    return kExitOk;
}

int ExtractMember(const std::string& path, const std::string& member, const std::string& outPath, bool json)
{
    const CReport report(path, json);
    CFarArchive archive;
    if (!OpenArchiveFile(report, archive))
        return kExitFailed;
    // Names are compared as shown: the windows-1252 to UTF-8 mapping is one to one, and a name
    // typed on the command line arrives as UTF-8.
    const CFarEntry* found = nullptr;
    for (const CFarEntry& entry : archive.Entries())
        if (Shown(entry.name) == member)
        {
            found = &entry;
            break;
        }
    if (found == nullptr)
        return report.Fail("no-member", "The FAR file " + path + " has no member named " + member);

    // The range is checked before anything is written, so a damaged directory leaves no file.
    CMemoryStream probe;
    if (!archive.Extract(probe, *found))
        return report.Fail("member", "The member " + member + " does not lie inside the FAR file");
    const CStatus<EFileWrite> written =
        WriteFileAtomically(outPath, [&](CByteStream& out) { return out.Write(probe.Bytes()); });
    if (!written)
        return report.FailFor(outPath, "write", FileWriteFailureText(written.Failure()));
    if (json)
        PrintJson({{"file", path}, {"member", member}, {"out", outPath}, {"size", probe.Bytes().size()}});
    return kExitOk;
}

void AddFarCommand(CLI::App& app, CommandResult& result)
{
    auto* command = app.add_subcommand("far", "List the members of a FAR archive");
    auto file = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    command->add_option("FILE", *file, "The FAR archive")->required();
    command->add_flag("--json", *json, "Print one JSON document");
    command->callback([file, json, &result] { result = ListArchive(*file, *json); });
}

void AddFarExtractCommand(CLI::App& app, CommandResult& result)
{
    auto* command = app.add_subcommand("far-extract", "Write the bytes of one member of a FAR archive to a file");
    auto file = std::make_shared<std::string>();
    auto member = std::make_shared<std::string>();
    auto out = std::make_shared<std::string>();
    command->add_option("FILE", *file, "The FAR archive")->required();
    command->add_option("MEMBER", *member, "The member's name as listed, backslashes included")->required();
    command->add_option("OUT", *out, "The file to write")->required();
    auto json = std::make_shared<bool>(false);
    command->add_flag("--json", *json, "Print JSON");
    command->callback([file, member, out, json, &result] { result = ExtractMember(*file, *member, *out, *json); });
}
}

void AddContainerCommands(CLI::App& app, CommandResult& result)
{
    AddFarCommand(app, result);
    AddFarExtractCommand(app, result);
}
