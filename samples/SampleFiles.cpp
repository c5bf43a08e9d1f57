#include "SampleFiles.h"

#include "FarWriter.h"

#include "containers/AtomicFileWriter.h"
#include "containers/FilePath.h"
#include "containers/IffFile.h"
#include "records/BhavScript.h"
#include "records/ConstantTable.h"
#include "records/InteractionTable.h"
#include "records/ObjectDefinition.h"
#include "records/ObjectFunctions.h"
#include "records/SemiGlobalReference.h"
#include "records/StringTable.h"

#include <filesystem>
#include <initializer_list>

namespace
{
struct CLine
{
    std::uint16_t opcode;
    std::uint16_t p0 = 0, p1 = 0, p2 = 0, p3 = 0;
};

std::uint16_t Bytes(std::uint8_t low, std::uint8_t high)
{
    return static_cast<std::uint16_t>(low | (high << 8));
}

// A script whose lines run one after another: each goes on to the next when true and returns
// false when false; the last returns true.
void PutScript(CIffFile& container, std::uint16_t id, const std::string& name, std::initializer_list<CLine> lines)
{
    CBhavScript script;
    script.SetHeader({0x00, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});  // format code 0x8000, the rest zero
    script.SetName(name);
    std::uint8_t number = 0;
    for (const CLine& line : lines)
    {
        CBhavInstruction instruction;
        instruction.opcode = line.opcode;
        instruction.params = {line.p0, line.p1, line.p2, line.p3};
        ++number;
        instruction.trueTarget = number < lines.size() ? number : kTargetTrue;
        instruction.falseTarget = kTargetFalse;
        script.AppendLine(instruction);
    }
    // Only a lack of memory stops it; the sample then lacks the script, which its tests notice.
    if (!script.Store(container, id))
        return;
}

std::vector<std::uint8_t> Saved(CIffFile& container)
{
    CMemoryStream stream;
    if (!container.Write(&stream))
        return {};
    return stream.TakeBytes();
}

void PutPlainStrings(CIffFile& container, std::uint16_t id, const std::string& name,
                     std::initializer_list<const char*> strings)
{
    const CStringTable table = CStringTable::Plain(std::vector<std::string>(strings.begin(), strings.end()), name);
    // As with the scripts: only a lack of memory stops it, and the tests notice the missing table.
    if (!table.Store(container, kTypeStr, id))
        return;
}

// Rows of (slot, text, description) triples; slots not named stay empty.
struct CLanguageText
{
    int slot;
    const char* text;
    const char* description;
};

void PutLanguageStrings(CIffFile& container, std::uint32_t type, std::uint16_t id, const std::string& name,
                        std::initializer_list<std::initializer_list<CLanguageText>> rows)
{
    CStringTable table = CStringTable::Languages({}, CStringTable::kDefaultFormat, name);
    for (const auto& texts : rows)
    {
        CStringTable::CRow row;
        for (const CLanguageText& text : texts)
            row[text.slot] = {text.text, text.description};
        table.AddRow(row);
    }
    if (!table.Store(container, type, id))
        return;
}

CInteraction MakeInteraction(std::uint16_t action, std::uint16_t check, std::uint32_t nameIndex, std::uint32_t flags,
                             std::uint32_t attenuation, float value, std::uint32_t threshold,
                             std::initializer_list<CMotiveEntry> motives)
{
    CInteraction interaction;
    interaction.actionTree = action;
    interaction.checkTree = check;
    interaction.nameIndex = nameIndex;
    interaction.flags = flags;
    interaction.attenuationCode = attenuation;
    interaction.attenuationValue = value;
    interaction.autonomyThreshold = threshold;
    interaction.motives.assign(motives.begin(), motives.end());
    interaction.motives.resize(CInteraction::kStoredMotives);
    return interaction;
}
}

std::vector<std::uint8_t> BuildSampleGlobalFile()
{
    CIffFile global;
    PutScript(global, 256, "Wait For Notify", {{0, 30}, {17, 0, 0, 0, 0}});
    PutScript(global, 257, "Walk To Object", {{27, 0, 1}, {45, 0, 0, 1}});
    PutScript(global, 258, "Play Idle Animation", {{44, 12, 0, 0, 0}});
    PutScript(global, 259, "Test If Owner", {{2, 0, 26, Bytes(0, 2), Bytes(3, 9)}});
    PutScript(global, 260, "Random Wait", {{8, 0, 0, 20, 0}, {0, 0}});
    PutScript(global, 261, "Reset Motives", {{29, 0, 5, 0, 0}, {29, 0, 7, 0, 0}});
    PutScript(global, 262, "Standard Exit", {{18, 0, 0, 0, 0}});
    PutPlainStrings(global, 128, "global strings", {"Ready", "Busy"});
    return Saved(global);
}

std::vector<std::uint8_t> BuildSampleSemiGlobalFile()
{
    CIffFile semi;
    PutScript(semi, 8192, "Sit Down", {{44, 3, 0, 0, 0}, {22, 0, 0, 0, 0}});
    PutScript(semi, 8193, "Stand Up", {{44, 4, 0, 0, 0}});
    PutScript(semi, 8194, "Comfort Advertisement", {{2, 6, 40, Bytes(0, 5), Bytes(0, 7)}});
    return Saved(semi);
}

std::vector<std::uint8_t> BuildSampleSecondGlobalFile()
{
    CIffFile ambience;
    PutScript(ambience, 300, "Ambient Sound Loop", {{23, 5, 0, 0, 0}, {0, 60}});
    PutScript(ambience, 301, "Stop Ambience", {{48, 0, 0, 0, 0}});
    return Saved(ambience);
}

std::vector<std::uint8_t> BuildSampleArchive()
{
    CFarWriter archive;
    archive.Add("Semi\\Seating.iff", BuildSampleSemiGlobalFile());
    archive.Add("Global.iff", BuildSampleGlobalFile());
    archive.Add("Globals\\Ambience.iff", BuildSampleSecondGlobalFile());
    archive.Add("ReadMe.txt", std::vector<std::uint8_t>{'s', 'a', 'm', 'p', 'l', 'e'});
    return archive.Build();
}

std::vector<std::uint8_t> BuildSampleObject()
{
    CIffFile object;

    // Every primitive form the renderers know, in one script, plus calls of all three kinds.
    PutScript(object, 4096, "main",
              {{0, 1, 2, 3, 65535},
               {1, 16, 0, 0, 0},
               {2, 3, 1, Bytes(0, 5), Bytes(8, 7)},     // Temporary Storage 3 Assign To: 1
               {2, 0, 5, Bytes(0, 3), Bytes(8, 7)},     // += literal
               {2, 2, 14, Bytes(0, 0), Bytes(18, 7)},   // person data compared with a literal
               {2, 7, 0, Bytes(0, 8), Bytes(14, 9)},    // motive flag test against a parameter
               {2, 4, 3, Bytes(0, 2), Bytes(6, 3)},     // global compared with object data
               {2, 1, 0, Bytes(0, 17), Bytes(26, 25)},  // constant and local variable
               {3, 1, 2, 3, 4},
               {4, 0, 0, 0, 0},
               {5, 0, 0, 0, 0},
               {6, 1, 0, 0, 0},
               {7, 1, 2, 5, 6},
               {7, 0, 0, 0, 0},
               {8, 0, 8, 10, 0},
               {9, 0, 0, 0, 0},
               {10, 0, 0, 0, 0},
               {11, 0, 0, 0, 0},
               {12, 0, 0, 0, 0},
               {13, 4096, 0, 0, 0},
               {25, Bytes(0x12, 7), 100, 2, 6},
               {29, 0, 7, 10, 20},
               {31, 0x00A1, 0x00B2, 0x0004, 0},
               {31, 0, 0, Bytes(0x80, 10), 0},
               {31, 6, 0, 6, 2},
               {14, 1, 0, 0, 0},
               {21, 128, 1, 0, 0},
               {44, 12, 0, 0, 0},
               {51, 1, 2, 3, 4},
               {256, 0, 0, 0, 0},
               {259, 1, 0, 0, 0},
               {8192, 0, 0, 0, 0},
               {8194, 0, 0, 0, 0},
               {4097, 5, 0, 0, 0},
               {4098, 0, 0, 0, 0},
               {300, 0, 0, 0, 0},
               {4200, 0, 0, 0, 0}});

    // A script with branches and an unreachable line, for the optimiser.
    {
        CBhavScript script;
        script.SetHeader({0x00, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
        script.SetName("choose seat");
        auto line = [](std::uint16_t opcode, std::uint8_t t, std::uint8_t f, std::uint16_t p0, std::uint16_t p1,
                       std::uint16_t p2, std::uint16_t p3) {
            CBhavInstruction instruction;
            instruction.opcode = opcode;
            instruction.trueTarget = t;
            instruction.falseTarget = f;
            instruction.params = {p0, p1, p2, p3};
            return instruction;
        };
        const bool built = script.ReplaceLines({
            line(2, 3, 1, 0, 0, Bytes(0, 2), Bytes(9, 7)),  // Parameter 0 Equals? 0
            line(8192, 2, 255, 0, 0, 0, 0),
            line(4098, 254, 255, 0, 0, 0, 0),
            line(8193, 254, 253, 0, 0, 0, 0),
            line(0, 254, 254, 0, 0, 0, 0),                  // never reached
        });
        if (!built || !script.Store(object, 4097))
            return {};
    }
    PutScript(object, 4098, "check available", {{2, 0, 1, Bytes(0, 0), Bytes(8, 7)}, {37, 0, 0, 0, 0}});
    PutScript(object, 4099, "sit action", {{8192, 0, 0, 0, 0}, {256, 0, 0, 0, 0}, {8193, 0, 0, 0, 0}});
    // A script of the format with the 13-byte header, whose line count is 32 bits at offset 9.
    {
        CBhavScript script;
        script.SetHeader({0x03, 0x80, 0x01, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0, 0, 0, 0});
        script.SetName("stand up");
        CBhavInstruction first;
        first.opcode = 2;
        first.trueTarget = 1;
        first.falseTarget = kTargetFalse;
        first.params = {0, 0, Bytes(0, 2), Bytes(9, 7)};
        CBhavInstruction second;
        second.opcode = 8193;
        if (!script.ReplaceLines({first, second}) || !script.Store(object, 4100))
            return {};
    }

    PutPlainStrings(object, 128, "body strings", {"Sample Chair", "A chair made for testing", "\xA9 Marrowfen"});
    PutLanguageStrings(object, kTypeStr, 129, "catalog strings",
                       {{{0, "Sample Chair", "catalog name"},
                         {2, "Chaise d'exemple", "nom"},
                         {3, "Beispielstuhl", "Name"},
                         {5, "Silla de ejemplo", ""},
                         // Japanese (cp932) and Thai (windows-874), each in its own code page.
                         {14, "\x83T\x83\x93\x83v\x83\x8B\x83`\x83" "F\x83" "A", "\x83J\x83^\x83\x8D\x83O\x96\xBC"},
                         {18, "\xE0\xA1\xE9\xD2\xCD\xD5\xE9\xB5\xD1\xC7\xCD\xC2\xE8\xD2\xA7",
                          "\xAA\xD7\xE8\xCD\xE3\xB9\xE1\xA4\xB5\xB5\xD2\xC5\xE7\xCD\xA1"}},
                        {{0, "Sits one Sim in reasonable comfort.", "catalog description"},
                         {2, "Un Sim y est assis.", ""},
                         {14,
                          "\x83V\x83\x80\x82\xAA\x88\xEA\x90l\x82\xE4\x82\xC1\x82\xBD\x82\xE8\x8D\xC0\x82\xEA"
                          "\x82\xDC\x82\xB7\x81" "B",
                          ""},
                         {18, "\xAB\xD4\xC1\xB9\xD1\xE8\xA7\xE4\xB4\xE9\xCD\xC2\xE8\xD2\xA7\xCA\xBA\xD2\xC2", ""}}});
    // Danish (code 8) and Finnish (code 11) each keep a language of their own.
    PutLanguageStrings(object, kTypeTtas, 128, "interaction names",
                       {{{0, "Sit", ""}, {2, "S'asseoir", ""}, {7, "Sid ned", ""}, {10, "Istu", ""}},
                        {{0, "Admire", ""}, {2, "Admirer", ""}, {7, "Beundre", ""}, {10, "Ihaile", ""}}});
    // Texts and descriptions without language codes, as many objects keep their tooltips.
    {
        std::vector<CStringTable::CRow> rows(2);
        rows[0][0] = {"Comfort: 4", "shown on hover"};
        rows[1][0] = {"Sturdy", ""};
        if (!CStringTable::Languages(std::move(rows), CStringTable::kPairsFormat, "tooltips").Store(object, kTypeStr, 130))
            return {};
    }

    const CInteractionTable interactions(CInteractionTable::kFieldEncodedVersion, {
        MakeInteraction(4099, 4098, 0, kInteractionVisitors | kInteractionConsecutive, 3, 0.0f, 40,
                        {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {10, 40, 3},
                         {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0},
                         {5, 15, 0}}),
        MakeInteraction(4096, 0, 1, kInteractionNotChildren, 0, 0.02f, 10, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {-5, 20, 19}}),
    }, "interactions");
    if (!interactions.Store(object, 128))
        return {};

    CConstantTable tuning;
    tuning.SetName("tuning");
    tuning.SetFlags(0x80);
    tuning.ReplaceValues({5, -1, 300, 0, 42});
    if (!tuning.Store(object, 4096))
        return {};
    CConstantTable prices;
    prices.SetName("prices");
    prices.ReplaceValues({450, 25});
    if (!prices.Store(object, 4097))
        return {};

    // The object itself: the scripts the game runs, in its own file, the global file and the
    // semi-global file, and one id the file lacks, which the editor shows as missing.
    CObjectDefinition chair;
    chair.SetName("Sample Chair");
    chair.SetGuid(0x4D52460A);
    for (const auto& [field, value] :
         std::initializer_list<std::pair<const char*, std::uint16_t>>{{"main script", 4096},
                                                                     {"init script", 4097},
                                                                     {"cleanup script", 262},
                                                                     {"sit script", 8192},
                                                                     {"stand script", 4100},
                                                                     {"load script", 4201},
                                                                     {"interaction table", 128},
                                                                     {"object type", 4},
                                                                     {"body strings", 128},
                                                                     {"catalog strings", 129},
                                                                     {"price", 450},
                                                                     {"sale price", 25},
                                                                     {"uses function table", 1}})
        chair.SetValue(*ObjectFieldOffset(field), value);
    if (!chair.Store(object, 128))
        return {};
    std::vector<CObjectFunction> entries(CObjectFunctions::kNamedFunctions);
    entries[0].action = 4097;   // init
    entries[1].action = 4096;   // main
    entries[3].action = 262;    // cleanup
    entries[11] = {4098, 4099};  // user placement: check, action
    entries[26].action = 8192;  // sit
    entries[27].action = 4100;  // stand
    const CObjectFunctions functions(std::move(entries), "Sample Chair");
    if (!functions.Store(object, 128) || !StoreSemiGlobalName(object, "Seating", std::string()))
        return {};
    return Saved(object);
}

bool WriteSampleFolder(const std::string& folder, std::string& error)
{
    namespace fs = std::filesystem;
    const fs::path root = PathFromUtf8(folder);
    const fs::path global = root / "GameData" / "Global";
    std::error_code code;
    fs::create_directories(global, code);
    if (code)
    {
        error = "Cannot create " + Utf8FromPath(global) + ": " + code.message();
        return false;
    }
    const std::pair<fs::path, std::vector<std::uint8_t>> files[] = {
        {global / "Global.iff", BuildSampleGlobalFile()},
        {global / "Objects.far", BuildSampleArchive()},
        {root / "Sample Object.iff", BuildSampleObject()},
    };
    // No structured binding here: clang 14 cannot capture one in a lambda.
    for (const auto& file : files)
    {
        const std::vector<std::uint8_t>& bytes = file.second;
        const CStatus<EFileWrite> written = WriteFileAtomically(
            Utf8FromPath(file.first), [&](CByteStream& stream) { return stream.Write(bytes.data(), bytes.size()); });
        if (!written)
        {
            error = FileWriteFailureText(written.Failure());
            return false;
        }
    }
    return true;
}
