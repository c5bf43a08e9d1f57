#include "CliSupport.h"

#include "loading/ReadMessages.h"

#include "containers/IffFile.h"

#include <charconv>
#include <iomanip>

namespace
{
// A number right-aligned in `width` characters, as std::setw prints it.
void AppendRight(std::string& text, std::uint32_t number, std::size_t width)
{
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    const std::size_t count = static_cast<std::size_t>(end - digits);
    if (count < width)
        text.append(width - count, ' ');
    text.append(digits, count);
}

int RunInfo(const std::string& path, bool json)
{
    const CReport report(path, json);
    CIffFile container;
    if (!report.Read(path, container))
        return kExitFailed;

    if (json)
    {
        nlohmann::ordered_json chunks = nlohmann::ordered_json::array();
        for (const CIffChunk& chunk : container.Chunks())
            chunks.push_back({{"type", Shown(TypeCodeText(chunk.type))},
                              {"id", chunk.id},
                              {"flags", chunk.flags},
                              {"size", chunk.size},
                              {"name", Shown(chunk.name)}});
        nlohmann::ordered_json types = nlohmann::ordered_json::array();
        for (const std::uint32_t type : container.Types())
            types.push_back(Shown(TypeCodeText(type)));
        PrintJson({{"file", path},
                   {"file_version", container.FileVersion()},
                   {"version", container.Version()},
                   {"chunks", chunks},
                   {"types", types},
                   {"unread_bytes", container.UnreadBytes()}});
        return kExitOk;
    }

    std::cout << path << ": IFF version " << container.FileVersion() / 10 << '.' << container.FileVersion() % 10;
    if (container.FileVersion() != container.Version())
        std::cout << " (image version " << container.Version() / 10 << '.' << container.Version() % 10 << ')';
    std::cout << ", " << container.Chunks().size() << " chunks\n";
    std::cout << "type  " << std::setw(6) << "id" << ' ' << std::setw(6) << "flags" << ' ' << std::setw(10) << "size"
              << "  name\n";
    // One text for the whole list, written at once: a stream insertion per field took 40% of
    // `info` on a 200 MB file of 57,000 chunks, more than reading the file.
    std::string list;
    list.reserve(container.Chunks().size() * 48);
    for (const CIffChunk& chunk : container.Chunks())
    {
        list += Shown(TypeCodeText(chunk.type));
        list += "  ";
        AppendRight(list, chunk.id, 6);
        list += ' ';
        AppendRight(list, chunk.flags, 6);
        list += ' ';
        AppendRight(list, chunk.size, 10);
        list += "  ";
        list += Shown(chunk.name);
        list += '\n';
    }
    std::cout << list;
    std::cout << "types:";
    for (const std::uint32_t type : container.Types())
        std::cout << ' ' << Shown(TypeCodeText(type));
    std::cout << '\n';
    if (container.UnreadBytes() > 0)
        std::cout << UnreadBytesMessage(container.UnreadBytes()) << '\n';
    return kExitOk;
}

int RunResave(const std::string& in, const std::string& out, bool convert, bool json)
{
    const CReport report(in, json);
    CIffFile container;
    CCliPrompt prompt(convert);
    if (!report.Read(in, container, prompt) || !report.Write(out, container, prompt))
        return kExitFailed;
    if (json)
        PrintJson({{"file", in}, {"out", out}, {"version", container.Version()}});
    return kExitOk;
}
}

void AddIffCommands(CLI::App& app, CommandResult& result)
{
    auto* info = app.add_subcommand("info", "Show a container's header version, chunk directory and type list");
    auto infoFile = std::make_shared<std::string>();
    auto infoJson = std::make_shared<bool>(false);
    info->add_option("FILE", *infoFile, "IFF file")->required();
    info->add_flag("--json", *infoJson, "Print JSON");
    info->callback([&result, infoFile, infoJson] { result = RunInfo(*infoFile, *infoJson); });

    auto* resave = app.add_subcommand("resave", "Read a container and write it again");
    auto in = std::make_shared<std::string>();
    auto out = std::make_shared<std::string>();
    auto convert = std::make_shared<bool>(false);
    resave->add_option("IN", *in, "IFF file to read")->required();
    resave->add_option("OUT", *out, "IFF file to write")->required();
    auto resaveJson = std::make_shared<bool>(false);
    resave->add_flag("--convert-2.0", *convert, "Answer Yes when asked to convert a 2.0 file to 2.5");
    resave->add_flag("--json", *resaveJson, "Print JSON");
    resave->callback([&result, in, out, convert, resaveJson] {
        result = RunResave(*in, *out, *convert, *resaveJson);
    });
}
