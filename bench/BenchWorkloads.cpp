#include "BenchWorkloads.h"

#include "containers/ByteOrder.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "records/BhavScript.h"
#include "records/ConstantTable.h"
#include "records/StringTable.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>

namespace
{
const char* const kWords[] = {"sit",    "chair",  "comfort", "fun",     "hunger", "energy", "social", "room",
                              "stand",  "walk",   "to",      "object",  "the",    "a",      "wait",   "play",
                              "sound",  "motive", "delta",   "global",  "check",  "owner",  "family", "money",
                              "skill",  "cook",   "clean",   "repair",  "broken", "dirty",  "idle",   "routing",
                              "person", "guest",  "visitor", "stock",   "lot",    "price",  "catalog", "wall"};

std::string Words(std::mt19937& random, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
    {
        if (i > 0)
            text += ' ';
        text += kWords[random() % (sizeof kWords / sizeof kWords[0])];
    }
    return text;
}

// Scripts as the game writes them: opcodes mostly among the primitives and a few hundred calls,
// targets to the next line or an exit, parameters mostly small.
std::vector<std::uint8_t> ScriptData(std::mt19937& random, int lines)
{
    CBhavScript script;
    script.SetHeader({0x00, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    for (int line = 0; line < lines; ++line)
    {
        CBhavInstruction instruction;
        const int kind = int(random() % 10);
        instruction.opcode = static_cast<std::uint16_t>(kind < 6 ? random() % 64 : kind < 8 ? 256 + random() % 300
                                                                                           : 4096 + random() % 64);
        instruction.trueTarget = static_cast<std::uint8_t>(line + 1 < lines ? line + 1 : kTargetTrue);
        instruction.falseTarget = static_cast<std::uint8_t>(random() % 3 == 0 && line + 2 < lines ? line + 2 : kTargetFalse);
        for (auto& p : instruction.params)
            p = static_cast<std::uint16_t>(random() % 4 == 0 ? random() : random() % 32);
        script.AppendLine(instruction);
    }
    return script.Encode().Value();
}

// Pixel rows of a sprite: runs of transparency around runs of shaded colour indices.
std::vector<std::uint8_t> SpriteData(std::mt19937& random, std::size_t bytes)
{
    std::vector<std::uint8_t> data;
    data.reserve(bytes);
    while (data.size() < bytes)
    {
        const std::size_t clear = random() % 24;
        data.insert(data.end(), clear, 0);
        std::uint8_t shade = static_cast<std::uint8_t>(random());
        const std::size_t run = 8 + random() % 48;
        for (std::size_t i = 0; i < run; ++i)
        {
            shade = static_cast<std::uint8_t>(shade + int(random() % 5) - 2);
            data.push_back(shade);
        }
    }
    data.resize(bytes);
    return data;
}

std::vector<std::uint8_t> SmallBinaryData(std::mt19937& random, std::size_t bytes)
{
    std::vector<std::uint8_t> data(bytes);
    for (auto& b : data)
        b = static_cast<std::uint8_t>(random() % 3 == 0 ? random() : random() % 8);
    return data;
}

std::vector<std::uint8_t> StringData(std::mt19937& random, int rows)
{
    CStringTable table = CStringTable::Languages({});
    for (int r = 0; r < rows; ++r)
    {
        CStringTable::CRow row;
        row[0] = {Words(random, 1 + int(random() % 8)), random() % 2 ? Words(random, 2) : std::string()};
        if (random() % 3 == 0)
            row[2] = {Words(random, 1 + int(random() % 6)), std::string()};
        table.AddRow(row);
    }
    CRecordResult<std::vector<std::uint8_t>> data = table.Encode(kTypeStr);
    return data ? std::move(data).Value() : std::vector<std::uint8_t>();
}

std::vector<std::uint8_t> ConstantData(std::mt19937& random)
{
    CConstantTable table;
    for (int i = 0, n = 2 + int(random() % 30); i < n; ++i)
        table.AppendValue(static_cast<std::int16_t>(random() % 4 == 0 ? random() : random() % 100));
    return table.Encode().Value();  // at most 31 constants: the count byte holds them
}

// Assembles a 2.5 file from chunks; the container's own writer would copy the image per chunk.
class CImageAssembler
{
public:
    CImageAssembler()
    {
        CIffFile empty;
        m_bytes.assign(empty.Image(), empty.Image() + CIffFile::kHeaderSize);
    }
    void Add(std::uint32_t type, std::uint16_t id, const std::string& name, const std::vector<std::uint8_t>& data)
    {
        const std::size_t at = m_bytes.size();
        m_bytes.resize(at + CIffFile::kChunkHeaderSize, 0);
        WriteBE32(&m_bytes[at], type);
        WriteBE32(&m_bytes[at + 4], static_cast<std::uint32_t>(data.size() + CIffFile::kChunkHeaderSize));
        WriteBE16(&m_bytes[at + 8], id);
        WriteBE16(&m_bytes[at + 10], 0x0010);
        std::memcpy(&m_bytes[at + 12], name.data(), std::min<std::size_t>(name.size(), 63));
        m_bytes.insert(m_bytes.end(), data.begin(), data.end());
    }
    std::size_t Size() const { return m_bytes.size(); }
    std::vector<std::uint8_t> Take() { return std::move(m_bytes); }

private:
    std::vector<std::uint8_t> m_bytes;
};

void AddTables(CImageAssembler& image, std::mt19937& random, std::uint16_t id)
{
    image.Add(kTypeStr, id, Words(random, 2), StringData(random, 4 + int(random() % 40)));
    image.Add(kTypeBcon, id, Words(random, 1), ConstantData(random));
}

std::vector<std::uint8_t> Build(std::size_t bytes, std::uint32_t seed, bool withPictures)
{
    std::mt19937 random(seed);
    CImageAssembler image;
    std::uint32_t id = 0;
    while (image.Size() < bytes)
    {
        const std::uint16_t chunkId = static_cast<std::uint16_t>(4096 + id++);
        const int kind = int(random() % 10);
        if (withPictures && kind == 0)
            image.Add(MakeTypeCode("SPR2"), chunkId, Words(random, 2), SpriteData(random, 8000 + random() % 60000));
        else if (withPictures && kind == 1)
            image.Add(random() % 2 ? MakeTypeCode("OBJD") : MakeTypeCode("DGRP"), chunkId, Words(random, 2),
                      SmallBinaryData(random, 100 + random() % 500));
        else if (kind < 8)
            image.Add(kTypeBhav, chunkId, Words(random, 1 + int(random() % 4)), ScriptData(random, 3 + int(random() % 80)));
        else
            AddTables(image, random, chunkId);
    }
    return image.Take();
}
}

std::vector<std::uint8_t> BuildRealLookingObject(std::size_t bytes, std::uint32_t seed)
{
    return Build(bytes, seed, true);
}

std::vector<std::uint8_t> BuildScriptsAndTablesObject(std::size_t bytes, std::uint32_t seed)
{
    return Build(bytes, seed, false);
}

std::vector<std::uint8_t> BuildLargeObject(std::size_t bytes, std::uint32_t seed)
{
    // The chunk ids run on past 16 bits; a file this large is only read, so repeats do no harm.
    return Build(bytes, seed, true);
}

std::vector<CNamedFile> BuildGlobalFiles(std::size_t count, std::size_t bytes, std::uint32_t seed)
{
    // A few distinct files, repeated under different names: the loader reads every one in full.
    constexpr std::size_t kDistinct = 8;
    std::vector<std::vector<std::uint8_t>> distinct;
    for (std::size_t i = 0; i < kDistinct && i < count; ++i)
        distinct.push_back(BuildRealLookingObject(bytes, seed + static_cast<std::uint32_t>(i)));
    std::vector<CNamedFile> files;
    for (std::size_t i = 0; i < count; ++i)
    {
        char name[32];
        std::snprintf(name, sizeof name, "Global%04zu.iff", i);
        files.push_back({name, distinct[i % distinct.size()]});
    }
    return files;
}

std::vector<CBhavInstruction> BuildScriptLines(std::size_t lines, bool branching, std::uint32_t seed)
{
    std::mt19937 random(seed);
    const auto line = [lines](std::size_t index) {
        return static_cast<std::uint8_t>(index < lines ? index : kTargetTrue);
    };
    // A line within `reach` after `from` (or the exit when none is left).
    const auto ahead = [&](std::size_t from, std::size_t reach) { return line(from + 2 + random() % reach); };
    const auto back = [&](std::size_t from) { return line(from - std::min<std::size_t>(from, random() % 10)); };
    std::vector<CBhavInstruction> script;
    for (std::size_t i = 0; i < lines; ++i)
    {
        CBhavInstruction instruction;
        instruction.opcode = static_cast<std::uint16_t>(i % 3 == 0 ? 256 + random() % 40 : random() % 60);
        for (auto& p : instruction.params)
            p = static_cast<std::uint16_t>(random() % 16);
        instruction.trueTarget = line(i + 1);
        instruction.falseTarget = kTargetFalse;
        // The first line goes on, so that the rest of the script is reached.
        if (branching && i > 0)
        {
            const unsigned success = random() % 100;
            instruction.trueTarget = success < 75 ? line(i + 1) : success < 85 ? ahead(i, 10)
                                     : success < 93 ? kTargetTrue : success < 97 ? kTargetFalse : back(i);
            const unsigned failure = random() % 100;
            instruction.falseTarget = failure < 55 ? kTargetFalse : failure < 75 ? ahead(i, 18)
                                      : failure < 87 ? line(i + 1) : failure < 95 ? kTargetTrue
                                      : failure < 98 ? back(i) : kTargetError;
        }
        script.push_back(instruction);
    }
    return script;
}

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bool(out.flush());
}
