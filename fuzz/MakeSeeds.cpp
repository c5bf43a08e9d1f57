// Writes the seed corpora of the fuzz targets: the sample generator's files and archive, their
// chunks as record data, rendering inputs for their scripts, and a few small hand-built cases.
// Usage: treewright-fuzz-seeds CORPUS_FOLDER (the committed corpora are fuzz/corpus).

#include "FarWriter.h"
#include "SampleFiles.h"

#include "containers/ByteOrder.h"
#include "containers/ByteStream.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "records/BhavScript.h"
#include "records/InteractionTable.h"
#include "records/StringTable.h"
#include "tests/ArithmeticEncoderForTests.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

bool Save(const fs::path& path, const Bytes& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!file)
        std::fprintf(stderr, "Cannot write %s\n", path.string().c_str());
    return bool(file);
}

// An encoded record, saved; false when it could not be encoded or written.
bool SaveEncoded(const fs::path& path, const CRecordResult<Bytes>& encoded)
{
    if (!encoded)
        std::fprintf(stderr, "Cannot encode %s\n", path.string().c_str());
    return encoded && Save(path, *encoded);
}

CIffFile ReadContainer(const Bytes& bytes)
{
    CIffFile container;
    EIffRead code = EIffRead::Ok;
    CMemoryStream stream(bytes);
    // The sample's own bytes; a failed read leaves no chunk to take seeds from.
    if (!container.Read(&stream, code))
        return CIffFile();
    return container;
}

// A file name cannot hold '#'; "STR#" becomes "STR_".
std::string TypeName(std::uint32_t type)
{
    std::string name = TypeCodeText(type);
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

bool WriteContainerSeeds(const fs::path& folder)
{
    const Bytes object = BuildSampleObject();
    const Bytes semiGlobal = BuildSampleSemiGlobalFile();
    Bytes version20 = object;
    version20[11] = '0';
    Bytes cutOff = object;
    cutOff.resize(object.size() / 2);
    Bytes headerOnly(object.begin(), object.begin() + 64);
    return Save(folder / "object-2.5.iff", object) && Save(folder / "global-2.5.iff", BuildSampleGlobalFile()) &&
           Save(folder / "object-2.0.iff", version20) && Save(folder / "cut-off.iff", cutOff) &&
           Save(folder / "header-only.iff", headerOnly) &&
           Save(folder / "semi-global-3.0.iff", MakeCodedIffFile(semiGlobal));
}

bool WriteArchiveSeeds(const fs::path& folder)
{
    CFarWriter small;
    small.Add("Objects\\Seating.iff", BuildSampleSemiGlobalFile());
    small.Add("notes.txt", Bytes{'h', 'i'});
    return Save(folder / "two-members.far", small.Build()) && Save(folder / "empty.far", CFarWriter().Build()) &&
           Save(folder / "sample.far", BuildSampleArchive());
}

bool WriteRecordSeeds(const fs::path& folder)
{
    std::set<Bytes> written;
    bool ok = true;
    for (const Bytes& file : {BuildSampleObject(), BuildSampleGlobalFile()})
    {
        const CIffFile container = ReadContainer(file);
        for (const CIffChunk& chunk : container.Chunks())
        {
            if (chunk.type == kTypeRsmp)
                continue;
            const auto data = container.ChunkData(chunk);
            const Bytes bytes(data.begin(), data.end());
            if (written.insert(bytes).second)
                ok = Save(folder / (TypeName(chunk.type) + "-" + std::to_string(chunk.id) + ".bin"), bytes) && ok;
        }
    }
    // Small cases the record tests pin: constants 5 and -1 with flags 0x80, a plain table of one
    // string, a semi-global name of the NUL-terminated kind and one of id 128 with its filler.
    ok = Save(folder / "constants-small.bin", Bytes{0x02, 0x80, 0x05, 0x00, 0xFF, 0xFF}) && ok;
    ok = Save(folder / "plain-strings-small.bin", Bytes{0x00, 0x01, 0x03, 'a', 'b', 'c'}) && ok;
    ok = Save(folder / "semi-global-terminated.bin", Bytes{'S', 'e', 'a', 't', 'i', 'n', 'g', 0}) && ok;
    Bytes filled(256, 0xA3);
    filled[0] = 4;
    filled[1] = 'S', filled[2] = 'o', filled[3] = 'f', filled[4] = 'a';
    ok = Save(folder / "semi-global-filled.bin", filled) && ok;
    // Layouts the sample does not hold: a table of texts alone, and plain interactions of version 5.
    ok = Save(folder / "texts-only-strings.bin", Bytes{0xFF, 0xFF, 2, 0, 'o', 'n', 'e', 0, 't', 'w', 'o', 0}) && ok;
    CInteraction short2;
    short2.motives.resize(2);
    const CInteractionTable plain(5, {short2});
    ok = SaveEncoded(folder / "interactions-plain-5.bin", plain.Encode()) && ok;
    // The later releases' layouts: interactions of version 10 with their further flags, and
    // language sets with a Japanese text carried as code-page bytes and a set-0 byte of 0xFF.
    CInteraction later;
    later.motives.resize(CInteraction::kStoredMotives, CMotiveEntry{5, 20, 3});
    later.flags2 = 0x1E;
    const CInteractionTable version10(CInteractionTable::kSecondFlagsVersion, {later, CInteraction{}});
    ok = SaveEncoded(folder / "interactions-10.bin", version10.Encode()) && ok;
    std::vector<CStringTable::CRow> rows(2);
    rows[0][0] = {"Sit", "a chair"};
    rows[1][0] = {"Caf\u00E9", ""};
    rows[0][CStringTable::kFirstCarriedSet] = {"\x83T", ""};
    ok = SaveEncoded(folder / "language-sets-strings.bin",
                     CStringTable::Languages(rows, CStringTable::kLanguageSetsFormat).Encode(kTypeStr)) &&
         ok;
    Bytes setsFF = {0xFC, 0xFF, 0x02, 0x01, 0x00, 0xFF, 0x01, 'a', 0x00, 0x00, 0x00};
    ok = Save(folder / "language-sets-ff.bin", setsFF) && ok;
    return ok;
}

// A rendering input: the open file's name, the semi-global name, index entries, then instructions.
class CRenderingInput
{
public:
    void Text(const std::string& text)
    {
        m_bytes.push_back(std::uint8_t(text.size()));
        m_bytes.insert(m_bytes.end(), text.begin(), text.end());
    }
    void Byte(std::uint8_t value) { m_bytes.push_back(value); }
    void Word(std::uint16_t value)
    {
        m_bytes.push_back(std::uint8_t(value));
        m_bytes.push_back(std::uint8_t(value >> 8));
    }
    // kind: 0 the global file, 1 the open file, 2 the semi-global file.
    void Entry(std::uint8_t kind, const CIffFile& container)
    {
        Byte(kind);
        std::vector<CIffChunk> scripts;
        for (const CIffChunk& chunk : container.Chunks())
            if (chunk.type == kTypeBhav && scripts.size() < 15)
                scripts.push_back(chunk);
        Byte(std::uint8_t(scripts.size()));
        for (const CIffChunk& chunk : scripts)
        {
            Word(chunk.id);
            Text(chunk.name);
        }
    }
    void Instruction(const CBhavInstruction& line)
    {
        Word(line.opcode);
        for (const std::uint16_t p : line.params)
            Word(p);
    }
    const std::vector<std::uint8_t>& Data() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

bool WriteRenderingSeeds(const fs::path& folder)
{
    const CIffFile object = ReadContainer(BuildSampleObject());
    const CIffFile global = ReadContainer(BuildSampleGlobalFile());
    const CIffFile semiGlobal = ReadContainer(BuildSampleSemiGlobalFile());
    bool ok = true;
    for (const CIffChunk& chunk : object.Chunks())
    {
        CBhavScript script;
        if (chunk.type != kTypeBhav || !script.Load(object, chunk.id))
            continue;
        CRenderingInput input;
        input.Text("Sample Object.iff");
        input.Text("Seating");
        input.Byte(3);
        input.Entry(0, global);
        input.Entry(1, object);
        input.Entry(2, semiGlobal);
        for (const CBhavInstruction& line : script.Lines())
            input.Instruction(line);
        ok = Save(folder / ("script-" + std::to_string(chunk.id) + ".bin"), input.Data()) && ok;
    }
    // Every primitive once, without an index.
    CRenderingInput primitives;
    primitives.Text("x.iff");
    primitives.Text("");
    primitives.Byte(0);
    for (std::uint16_t opcode = 0; opcode < 60; ++opcode)
        primitives.Instruction({opcode, 0, 0, {std::uint16_t(opcode * 3), 1, std::uint16_t(opcode << 8), 0x0102}});
    return Save(folder / "primitives.bin", primitives.Data()) && ok;
}
}

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "Usage: treewright-fuzz-seeds CORPUS_FOLDER\n");
        return 2;
    }
    const fs::path root(argv[1]);
    bool ok = true;
    for (const char* name : {"container", "far", "records", "rendering"})
    {
        std::error_code error;
        fs::create_directories(root / name, error);
    }
    ok = WriteContainerSeeds(root / "container") && ok;
    ok = WriteArchiveSeeds(root / "far") && ok;
    ok = WriteRecordSeeds(root / "records") && ok;
    ok = WriteRenderingSeeds(root / "rendering") && ok;
    return ok ? 0 : 1;
}
