// Who calls a script across files: an object, the global file, a semi-global file whose scripts
// call each other, and another object with a semi-global file of its own. A call reaches the
// script only from the files whose calls to that id go to the script's file.

#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "records/BhavScript.h"
#include "records/InteractionTable.h"
#include "records/SemiGlobalReference.h"
#include "records/StringTable.h"
#include "rendering/NeededFiles.h"
#include "rendering/ScriptReferences.h"

#include <gtest/gtest.h>

namespace
{
void AddCalls(CIffFile& container, std::uint16_t id, const std::string& name, std::vector<std::uint16_t> opcodes)
{
    CBhavScript script;
    script.SetName(name);
    for (const std::uint16_t opcode : opcodes)
        script.AppendLine({opcode, kTargetTrue, kTargetFalse, {}});
    ASSERT_TRUE(script.Store(container, id));
}

void AddInteraction(CIffFile& container, std::uint16_t action, std::uint16_t check, const std::string& name)
{
    CInteraction interaction;
    interaction.actionTree = action;
    interaction.checkTree = check;
    ASSERT_TRUE(CInteractionTable(8, {interaction}).Store(container, 128));
    std::vector<CStringTable::CRow> rows(1);
    rows[0][0].text = name;
    const CStringTable names = CStringTable::Languages(rows);
    ASSERT_TRUE(names.Store(container, kTypeTtas, 128));
}

// Each place as "file id line" (BHAV) or "file id #interaction tree" (TTAB), then its text.
std::vector<std::string> Found(const std::vector<CScriptReference>& references)
{
    std::vector<std::string> found;
    for (const CScriptReference& reference : references)
    {
        const CRecordReference& place = reference.place;
        found.push_back(reference.fileName + " " + std::to_string(place.id) + " " +
                        (place.type == kTypeBhav ? std::to_string(place.line)
                                                 : "#" + std::to_string(place.interaction) +
                                                       (place.checkTree ? " check" : " action")) +
                        ": " + reference.text);
    }
    return found;
}
}

TEST(ScriptReferences, CallsCountOnlyFromFilesWhoseCallsReachTheScriptsFile)
{
    CIffFile object;  // the open file, as edited
    AddCalls(object, 4096, "main", {256, 8192, 4097});
    AddCalls(object, 4097, "helper", {8192});
    AddInteraction(object, 8192, 256, "Sit");
    ASSERT_TRUE(StoreSemiGlobalName(object, "Seating", ""));
    CIffFile asOpened;  // the copy taken on opening, whose calls are no longer there
    AddCalls(asOpened, 4096, "main", {256, 4097});
    AddCalls(asOpened, 4097, "helper", {});

    CIffFile global;
    AddCalls(global, 256, "wait", {257});
    AddCalls(global, 257, "walk", {});
    CIffFile seating;  // names no semi-global file: its calls into that range are its own
    AddCalls(seating, 8192, "sit down", {8193});
    AddCalls(seating, 8193, "stand up", {8192, 256});
    CIffFile sofa;  // another object, whose semi-global file and private scripts are not these
    AddCalls(sofa, 4096, "sofa main", {8192, 4097, 256});
    ASSERT_TRUE(StoreSemiGlobalName(sofa, "Sofas", ""));

    CNeededFiles files;
    files.Add(global, "Global.iff");
    files.Add(seating, "Seating.iff");
    files.Add(sofa, "Sofa.iff");
    files.Add(asOpened, "Object.iff");
    const std::vector<CReferenceSource> sources = ReferenceSources(files, object, "Object.iff", "Seating");

    struct CCase
    {
        std::string fileName;
        std::uint16_t id;
        std::vector<std::string> found;
    };
    const std::vector<CCase> cases = {
        {"Global.iff", 256,
         {"Object.iff 4096 0: Global: wait (Stack: 0, 0, 0, 0)", "Object.iff 128 #0 check: Sit",
          "Seating.iff 8193 1: Global: wait (Stack: 0, 0, 0, 0)", "Sofa.iff 4096 2: Global: wait (Stack: 0, 0, 0, 0)"}},
        {"Global.iff", 257, {"Global.iff 256 0: Global: walk (Stack: 0, 0, 0, 0)"}},
        // The GLOB chunk names the file without its extension and in other capitals.
        {"SEATING.IFF", 8192,
         {"Object.iff 4096 1: Semiglobal: sit down (Stack: 0, 0, 0, 0)",
          "Object.iff 4097 0: Semiglobal: sit down (Stack: 0, 0, 0, 0)", "Object.iff 128 #0 action: Sit",
          // Seating.iff names no semi-global file, so its line reads as the script command shows it.
          "Seating.iff 8193 0: 8192 (Stack: 0, 0, 0, 0)"}},
        // Private scripts: the open file's, named from the index taken on opening.
        {"Object.iff", 4097, {"Object.iff 4096 2: Private: helper (Stack: 0, 0, 0, 0)"}},
        {"Sofa.iff", 4096, {}},
        {"Object.iff", 300, {}},
    };
    for (const CCase& c : cases)
        EXPECT_EQ(Found(FindScriptReferences(sources, files, c.fileName, c.id)), c.found) << c.fileName << " " << c.id;
}
