#include "ObjectEntryPoints.h"

#include "NeededFiles.h"
#include "PlainTextRenderer.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "records/BhavInstruction.h"
#include "records/ObjectDefinition.h"

const char* ScriptHomeWord(EScriptHome home)
{
    switch (home)
    {
    case EScriptHome::None:
        return "";
    case EScriptHome::File:
        return "file";
    case EScriptHome::Global:
        return "global";
    case EScriptHome::SemiGlobal:
        return "semi-global";
    case EScriptHome::Missing:
        return "missing";
    }
    return "";
}

CEntryPointScript EntryPointScript(const CIffFile& container, const CNeededFiles& files,
                                   const std::string& semiGlobalName, std::uint16_t id)
{
    if (id == 0)
        return {};
    if (id < kFirstPrivateScript || (id >= kFirstSemiGlobalScript && !semiGlobalName.empty()))
    {
        const CPlainTextRenderer renderer(files, std::string(), semiGlobalName);
        const auto place = renderer.FindCalledScript(id);
        return {id < kFirstPrivateScript ? EScriptHome::Global : EScriptHome::SemiGlobal,
                place ? place->script->name : std::string()};
    }
    // The file as it now stands, not the copy indexed on opening: a script made since is there.
    CIffChunk chunk;
    chunk.type = kTypeBhav;
    chunk.id = id;
    if (!container.FindChunk(chunk))
        return {EScriptHome::Missing, {}};
    return {EScriptHome::File, chunk.name};
}

std::vector<std::uint32_t> LoadedObjectGuids(const CNeededFiles& files)
{
    std::vector<std::uint32_t> guids;
    for (const CIffFile& container : files.Containers())
        for (const CObjectGuid& object : ObjectGuids(container))
            guids.push_back(object.guid);
    return guids;
}
