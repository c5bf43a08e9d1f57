// Seeded random containers and records: whatever the core writes must read back as what was
// written. Each case is numbered by its seed, so a failure names the seed that reproduces it.

#include "FuzzChecks.h"

#include "containers/ByteOrder.h"
#include "containers/ByteStream.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "containers/UserPrompt.h"
#include "containers/Windows1252.h"
#include "records/BhavScript.h"
#include "records/ConstantTable.h"
#include "records/InteractionTable.h"
#include "records/ObjectDefinition.h"
#include "records/ObjectFunctions.h"
#include "records/SemiGlobalReference.h"
#include "records/StringTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<std::uint8_t>;
constexpr int kCases = 150;

class CRandom
{
public:
    explicit CRandom(std::uint32_t seed) : m_engine(seed) {}

    std::uint32_t Below(std::uint32_t bound) { return std::uniform_int_distribution<std::uint32_t>(0, bound - 1)(m_engine); }
    bool Chance(int percent) { return int(Below(100)) < percent; }
    std::uint16_t Word() { return std::uint16_t(Below(0x10000)); }
    std::uint32_t Long() { return std::uint32_t(m_engine()); }
    Bytes Data(std::size_t most)
    {
        Bytes bytes(Below(std::uint32_t(most) + 1));
        for (auto& byte : bytes)
            byte = std::uint8_t(Below(256));
        return bytes;
    }
    // Bytes 1 to 255: what a NUL-terminated field can hold.
    std::string Text(std::size_t least, std::size_t most)
    {
        std::string text(least + Below(std::uint32_t(most - least) + 1), ' ');
        for (char& c : text)
            c = char(1 + Below(255));
        return text;
    }

private:
    std::mt19937 m_engine;
};

class CFixedPrompt : public CUserPrompt
{
public:
    explicit CFixedPrompt(bool answer) : m_answer(answer) {}
    void ShowMessage(const std::string&, const std::string&) override {}
    bool AskYesNo(const std::string&, const std::string&) override { return m_answer; }

private:
    bool m_answer;
};

struct CExpectedChunk
{
    std::uint32_t type;
    std::uint16_t id;
    std::uint16_t flags;
    std::string name;
    Bytes data;

    bool operator==(const CExpectedChunk&) const = default;
};

std::vector<CExpectedChunk> ChunksWithoutMap(const CIffFile& container)
{
    std::vector<CExpectedChunk> chunks;
    for (const CIffChunk& chunk : container.Chunks())
    {
        if (chunk.type == kTypeRsmp)
            continue;
        const auto data = container.ChunkData(chunk);
        chunks.push_back({chunk.type, chunk.id, chunk.flags, chunk.name, Bytes(data.begin(), data.end())});
    }
    return chunks;
}

// An empty container that counts as read from a file of the given header version.
CIffFile EmptyContainer(const char* version)
{
    Bytes header(64, 0);
    std::memcpy(header.data(), "IFF FILE ", 9);
    std::memcpy(header.data() + 9, version, 3);
    CIffFile container;
    EIffRead code = EIffRead::Ok;
    CMemoryStream stream(header);
    EXPECT_TRUE(container.Read(&stream, code));
    return container;
}
}

TEST(ContainerProperty, RandomContainersWrittenAndReadBackKeepTheirChunks)
{
    // A few types and a small id range, so that puts often replace an entry and removes find one.
    const std::uint32_t types[] = {kTypeBhav, kTypeStr, kTypeTtab, kTypeGlob, MakeTypeCode("OBJD"),
                                   MakeTypeCode("SPR2"), MakeTypeCode("\x01\x02\x03\x04")};
    for (std::uint32_t seed = 1; seed <= kCases; ++seed)
    {
        CRandom random(seed);
        const int kind = int(random.Below(3));  // 2.5; 2.0 kept; 2.0 converted to 2.5
        CIffFile container = EmptyContainer(kind == 0 ? "2.5" : "2.0");
        std::vector<CExpectedChunk> expected;
        const int operations = int(random.Below(40));
        for (int op = 0; op < operations; ++op)
        {
            CIffChunk entry;
            entry.type = types[random.Below(std::size(types))];
            entry.id = std::uint16_t(random.Chance(50) ? random.Below(6) : random.Word());
            const auto same = std::find_if(expected.begin(), expected.end(), [&](const CExpectedChunk& chunk) {
                return chunk.type == entry.type && chunk.id == entry.id;
            });
            if (random.Chance(15))
            {
                ASSERT_EQ(container.RemoveChunk(entry), same != expected.end()) << "seed " << seed;
                if (same != expected.end())
                    expected.erase(same);
                continue;
            }
            entry.flags = random.Word();
            entry.name = random.Text(0, 70);
            const Bytes data = random.Data(300);
            ASSERT_TRUE(container.PutChunk(entry, data)) << "seed " << seed;
            const CExpectedChunk put{entry.type, entry.id, entry.flags, entry.name.substr(0, 63), data};
            if (same != expected.end())
                *same = put;
            else
                expected.push_back(put);
        }

        CMemoryStream stream;
        CFixedPrompt prompt(kind == 2);
        ASSERT_TRUE(container.Write(&stream, &prompt)) << "seed " << seed;
        const Bytes file = stream.TakeBytes();
        CIffFile reread;
        EIffRead code = EIffRead::Ok;
        CMemoryStream again(file);
        ASSERT_TRUE(reread.Read(&again, code)) << "seed " << seed;
        EXPECT_EQ(ChunksWithoutMap(reread), expected) << "seed " << seed;
        EXPECT_EQ(reread.Version(), kind == 1 ? 20 : 25) << "seed " << seed;
        const bool hasMap = std::any_of(reread.Chunks().begin(), reread.Chunks().end(),
                                        [](const CIffChunk& chunk) { return chunk.type == kTypeRsmp; });
        EXPECT_EQ(hasMap, kind != 1) << "seed " << seed;
        // The container that was written is unchanged by the write.
        EXPECT_EQ(ChunksWithoutMap(container), expected) << "seed " << seed;
        // Everything the fuzzers check of a read file holds for it too: the map, the walk, saving again.
        EXPECT_EQ(CheckContainerBytes(file), "") << "seed " << seed;
    }
}

TEST(RecordProperty, RandomScriptsSurviveStoreAndLoad)
{
    for (std::uint32_t seed = 1; seed <= kCases; ++seed)
    {
        CRandom random(seed);
        CBhavScript script;
        // Mostly the four known formats, each with its own header size; now and then another code,
        // which must never be written.
        const std::uint16_t format =
            random.Chance(90) ? std::uint16_t(0x8000 + random.Below(4)) : std::uint16_t(random.Word());
        const std::size_t headerSize = CBhavScript::HeaderSizeFor(format);
        std::vector<std::uint8_t> header(headerSize == 0 ? 12 : headerSize);
        for (auto& byte : header)
            byte = std::uint8_t(random.Below(256));
        header[0] = std::uint8_t(format);
        header[1] = std::uint8_t(format >> 8);
        script.SetName(random.Text(0, 63));
        std::vector<CBhavInstruction> lines(random.Below(300));
        for (CBhavInstruction& line : lines)
        {
            line.opcode = random.Word();
            line.trueTarget = std::uint8_t(random.Below(256));
            line.falseTarget = std::uint8_t(random.Below(256));
            for (auto& p : line.params)
                p = random.Word();
        }
        ASSERT_TRUE(script.ReplaceLines(lines)) << "seed " << seed;
        if (headerSize == 0)
        {
            EXPECT_FALSE(script.SetHeader(header)) << "seed " << seed;
            EXPECT_EQ(script.Format(), CBhavScript::kDefaultFormat) << "seed " << seed;
            continue;
        }
        ASSERT_TRUE(script.SetHeader(header)) << "seed " << seed;
        CIffFile container;
        ASSERT_TRUE(script.Store(container, 4096)) << "seed " << seed;
        CBhavScript loaded;
        ASSERT_TRUE(loaded.Load(container, 4096)) << "seed " << seed;
        header = script.Header();
        const std::size_t count = script.Lines().size();
        const std::size_t countAt = format == 0x8003 ? 9 : 2;
        for (std::size_t i = 0; i < (format == 0x8003 ? 4u : 2u); ++i)
            header[countAt + i] = std::uint8_t(count >> (8 * i));
        EXPECT_EQ(loaded.Header(), header) << "seed " << seed;
        EXPECT_EQ(loaded.Lines(), script.Lines()) << "seed " << seed;
        EXPECT_EQ(loaded.Name(), script.Name()) << "seed " << seed;
    }
}

TEST(RecordProperty, RandomPlainStringTablesSurviveStoreAndLoad)
{
    int refused = 0;
    for (std::uint32_t seed = 1; seed <= kCases; ++seed)
    {
        CRandom random(seed);
        // Counts around 253 to 255 (modulo 256) are the ones the layout byte cannot tell apart.
        const std::size_t count = random.Chance(30) ? 253 + random.Below(3) + 256 * random.Below(2) : random.Below(300);
        std::vector<std::string> strings;
        for (std::size_t i = 0; i < count; ++i)
            strings.push_back(random.Chance(5) ? std::string() : random.Text(0, 300));
        const CStringTable table = CStringTable::Plain(std::move(strings), "strings");

        CIffFile container;
        const bool ambiguous = (count & 0xFF) >= 0xFD;
        if (ambiguous)
        {
            // Written, these would read back as a table in the language layout.
            EXPECT_FALSE(table.Store(container, kTypeStr, 128)) << "seed " << seed;
            EXPECT_TRUE(container.Chunks().empty()) << "seed " << seed;
            ++refused;
            continue;
        }
        ASSERT_TRUE(table.Store(container, kTypeStr, 128)) << "seed " << seed;
        CStringTable loaded;
        ASSERT_TRUE(loaded.Load(container, kTypeStr, 128)) << "seed " << seed;
        EXPECT_TRUE(loaded.IsPlain()) << "seed " << seed;
        std::vector<std::string> expected = table.Strings();
        for (std::string& text : expected)
            text.resize(std::min<std::size_t>(text.size(), 255));
        EXPECT_EQ(loaded.Strings(), expected) << "seed " << seed;
    }
    EXPECT_GT(refused, 0);
}

TEST(RecordProperty, RandomLanguageTablesSurviveStoreAndLoad)
{
    for (std::uint32_t seed = 1; seed <= kCases; ++seed)
    {
        CRandom random(seed);
        const std::uint32_t type = random.Chance(50) ? kTypeStr : kTypeTtas;
        // A STR# chunk's format code must keep it in the language layout; TTAs take any code. The
        // two codeless forms and the language sets come often enough to be given other languages
        // and to keep to USEnglish.
        std::uint16_t format = 0;
        if (random.Chance(40))
            format = random.Chance(33)   ? CStringTable::kPairsFormat
                     : random.Chance(50) ? CStringTable::kTextsFormat
                                         : CStringTable::kLanguageSetsFormat;
        else
            format = type == kTypeStr ? std::uint16_t(0xFD00 + random.Below(0x2FC)) : random.Word();
        std::vector<CStringTable::CRow> rows(random.Below(40));
        std::vector<bool> slotUsed(CStringTable::kSlotCount);
        const int chanceOfLanguage = random.Chance(50) ? 40 : 0;
        for (int slot = 0; slot < CStringTable::kSlotCount; ++slot)
            slotUsed[slot] = random.Chance(chanceOfLanguage);
        const bool descriptions = random.Chance(50);
        // The language sets hold UTF-8 but in the sets of code-page bytes.
        const auto text = [&](int slot) {
            const std::string bytes = random.Text(0, 20);
            const bool carried = slot >= CStringTable::kFirstCarriedSet && slot <= CStringTable::kLastCarriedSet;
            return format == CStringTable::kLanguageSetsFormat && !carried ? Windows1252ToUtf8(bytes) : bytes;
        };
        for (CStringTable::CRow& row : rows)
            for (int slot = 0; slot < CStringTable::kSlotCount; ++slot)
                if (slotUsed[slot] || slot == 0)
                    row[slot] = {random.Chance(80) ? text(slot) : "", descriptions && random.Chance(50) ? text(slot) : ""};
        const CStringTable table = CStringTable::Languages(std::move(rows), format, "names");

        CIffFile container;
        ASSERT_TRUE(table.Store(container, type, 200)) << "seed " << seed;
        CStringTable loaded;
        ASSERT_TRUE(loaded.Load(container, type, 200)) << "seed " << seed;
        EXPECT_FALSE(loaded.IsPlain()) << "seed " << seed;
        // A codeless table keeps its form while it holds only what that form can; otherwise it
        // comes back with language codes.
        bool fitsCodeless = true;
        for (const CStringTable::CRow& row : table.Rows())
            for (int slot = 0; slot < CStringTable::kSlotCount; ++slot)
                if ((slot > 0 && (!row[slot].text.empty() || !row[slot].description.empty())) ||
                    (table.Format() == CStringTable::kTextsFormat && !row[slot].description.empty()))
                    fitsCodeless = false;
        const bool codeless =
            table.Format() == CStringTable::kPairsFormat || table.Format() == CStringTable::kTextsFormat;
        EXPECT_EQ(loaded.Format(), codeless && !fitsCodeless ? CStringTable::kDefaultFormat : table.Format())
            << "seed " << seed;
        EXPECT_EQ(loaded.Rows(), table.Rows()) << "seed " << seed;
    }
}

TEST(RecordProperty, LanguageTableWhoseFormatWouldReadAsPlainIsRefusedAsStrings)
{
    std::vector<CStringTable::CRow> rows(1);
    rows[0][0].text = "Hello";
    // Byte 1 is 0x00: as STR# this would be a plain table.
    const CStringTable table = CStringTable::Languages(rows, 0x0001);
    CIffFile container;
    EXPECT_FALSE(table.Store(container, kTypeStr, 1));
    EXPECT_TRUE(table.Store(container, kTypeTtas, 1));
    CStringTable loaded;
    ASSERT_TRUE(loaded.Load(container, kTypeTtas, 1));
    EXPECT_EQ(loaded.Rows(), table.Rows());
}

TEST(RecordProperty, RandomConstantTablesSurviveStoreAndLoad)
{
    for (std::uint32_t seed = 1; seed <= kCases; ++seed)
    {
        CRandom random(seed);
        CConstantTable table;
        table.SetFlags(std::uint8_t(random.Below(256)));
        std::vector<std::int16_t> values(random.Below(300));
        for (auto& value : values)
            value = std::int16_t(random.Word());
        // A table over 255 constants is refused by the builder and keeps what it had.
        EXPECT_EQ(table.ReplaceValues(values), values.size() <= CConstantTable::kMaxConstants) << "seed " << seed;
        table.SetName(random.Text(0, 63));
        CIffFile container;
        const bool fits = table.Values().size() <= CConstantTable::kMaxConstants;
        ASSERT_EQ(table.Store(container, 4096).Ok(), fits) << "seed " << seed;
        if (!fits)
            continue;
        CConstantTable loaded;
        ASSERT_TRUE(loaded.Load(container, 4096)) << "seed " << seed;
        EXPECT_EQ(loaded.Flags(), table.Flags()) << "seed " << seed;
        EXPECT_EQ(loaded.Values(), table.Values()) << "seed " << seed;
        EXPECT_EQ(loaded.Name(), table.Name()) << "seed " << seed;
    }
}

TEST(RecordProperty, RandomInteractionTablesSurviveStoreAndLoadInBothLayouts)
{
    for (std::uint32_t seed = 1; seed <= kCases; ++seed)
    {
        CRandom random(seed);
        const std::uint16_t version = random.Chance(40)   ? CInteractionTable::kFieldEncodedVersion
                                      : random.Chance(33) ? CInteractionTable::kSecondFlagsVersion
                                                          : std::uint16_t(random.Below(9));
        std::vector<CInteraction> interactions(random.Below(30));
        for (CInteraction& interaction : interactions)
        {
            // Small numbers take the short field sizes, random ones the long.
            const auto number = [&]() { return random.Chance(50) ? random.Below(40) : random.Long(); };
            interaction.actionTree = std::uint16_t(number());
            interaction.checkTree = std::uint16_t(number());
            interaction.flags = number();
            interaction.nameIndex = number();
            interaction.attenuationCode = number();
            interaction.attenuationValue = std::bit_cast<float>(random.Long());  // NaNs included
            interaction.autonomyThreshold = number();
            interaction.extraIndex = std::int32_t(number());
            interaction.motives.resize(random.Below(24));
            for (CMotiveEntry& motive : interaction.motives)
                motive = {std::int16_t(number()), std::int16_t(number()), std::uint16_t(number())};
            if (version == CInteractionTable::kSecondFlagsVersion)
                interaction.flags2 = number();
        }
        const CInteractionTable table(version, std::move(interactions), random.Text(0, 63));

        CIffFile container;
        ASSERT_TRUE(table.Store(container, 128)) << "seed " << seed;
        CInteractionTable loaded;
        ASSERT_TRUE(loaded.Load(container, 128)) << "seed " << seed;
        EXPECT_EQ(loaded.Version(), table.Version()) << "seed " << seed;
        EXPECT_EQ(loaded.Name(), table.Name()) << "seed " << seed;
        ASSERT_EQ(loaded.Interactions().size(), table.Interactions().size()) << "seed " << seed;
        for (std::size_t i = 0; i < table.Interactions().size(); ++i)
        {
            // Every interaction is written with exactly sixteen motives, cut or filled with zeros.
            CInteraction expected = table.Interactions()[i];
            expected.motiveCount = CInteraction::kStoredMotives;
            expected.motives.resize(CInteraction::kStoredMotives);
            // The attenuation compares by its bits, since a NaN equals nothing.
            CInteraction got = loaded.Interactions()[i];
            EXPECT_EQ(std::bit_cast<std::uint32_t>(got.attenuationValue), std::bit_cast<std::uint32_t>(expected.attenuationValue))
                << "seed " << seed;
            got.attenuationValue = expected.attenuationValue = 0.0f;
            EXPECT_EQ(got, expected) << "seed " << seed << ", interaction " << i;
        }
    }
}

TEST(RecordProperty, RandomObjectsSurviveEditStoreAndLoadByteForByte)
{
    for (std::uint32_t seed = 1; seed <= kCases; ++seed)
    {
        CRandom random(seed);
        // A real layout with random contents, then random fields set through the record: the
        // stored bytes are the old ones with exactly those fields written in.
        Bytes data = random.Data(0);
        data.resize(random.Chance(50) ? 214 : 216);
        for (auto& byte : data)
            byte = std::uint8_t(random.Below(256));
        WriteLE32(data.data(), random.Chance(50) ? CObjectDefinition::kVersion : CObjectDefinition::kOlderVersion);
        CObjectDefinition object;
        ASSERT_TRUE(object.Decode(data)) << "seed " << seed;
        const std::vector<CObjectField> fields = object.Fields();
        for (int change = 0; change < 5; ++change)
        {
            const CObjectField& field = fields[random.Below(std::uint32_t(fields.size()))];
            const std::uint32_t value = field.Size() == 4 ? random.Long() : random.Word();
            ASSERT_TRUE(object.SetValue(field.offset, value)) << "seed " << seed;
            if (field.Size() == 4)
                WriteLE32(data.data() + field.offset, value);
            else
                WriteLE16(data.data() + field.offset, std::uint16_t(value));
        }
        object.SetName(random.Text(0, 63));
        std::vector<CObjectFunction> entries(random.Below(40));
        for (CObjectFunction& function : entries)
            function = {random.Word(), random.Word()};
        const CObjectFunctions functions(std::move(entries));

        CIffFile container;
        ASSERT_TRUE(object.Store(container, 128) && functions.Store(container, 128)) << "seed " << seed;
        CObjectDefinition loaded;
        CObjectFunctions loadedFunctions;
        ASSERT_TRUE(loaded.Load(container, 128) && loadedFunctions.Load(container, 128)) << "seed " << seed;
        EXPECT_EQ(loaded.Encode(), data) << "seed " << seed;
        EXPECT_EQ(loaded.Name(), object.Name()) << "seed " << seed;
        EXPECT_EQ(loadedFunctions.Functions(), functions.Functions()) << "seed " << seed;
    }
}

TEST(RecordProperty, RandomSemiGlobalNamesSurviveSaveAndRead)
{
    for (std::uint32_t seed = 1; seed <= kCases; ++seed)
    {
        CRandom random(seed);
        CIffFile container;
        // Three starting points: no chunk, a chunk of id 128 with its filler, another id.
        const int start = int(random.Below(3));
        if (start > 0)
        {
            CIffChunk entry;
            entry.type = kTypeGlob;
            entry.id = start == 1 ? 128 : 2049;
            entry.name = "semi global";
            ASSERT_TRUE(container.PutChunk(entry, Bytes{3, 'O', 'l', 'd'}));
        }
        const std::string asRead = ReadSemiGlobalName(container);
        // The length byte describes 1 to 47 characters, or 128 to 255 (any bytes, NULs too).
        std::string name = random.Chance(70) ? random.Text(1, kMaxSemiGlobalNameLength)
                                             : std::string(128 + random.Below(128), ' ');
        if (name.size() >= 128)
            for (char& c : name)
                c = char(random.Below(256));
        ASSERT_TRUE(StoreSemiGlobalName(container, name, asRead)) << "seed " << seed;
        EXPECT_EQ(ReadSemiGlobalName(container), name) << "seed " << seed;

        std::size_t position = container.FindFirstOfType(kTypeGlob);
        const CIffChunk chunk = container.NextOfType(position);
        EXPECT_EQ(chunk.id, start == 0 ? 1 : start == 1 ? 128 : 2049) << "seed " << seed;
        EXPECT_EQ(chunk.size, start == 1 ? std::max<std::size_t>(256, name.size() + 1) : name.size() + 1) << "seed " << seed;
    }
}
