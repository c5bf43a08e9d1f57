#include "ScriptReferences.h"

#include "NeededFiles.h"
#include "PlainTextRenderer.h"
#include "ScriptListing.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "containers/Windows1252.h"
#include "records/CodePage.h"
#include "records/BhavScript.h"
#include "records/InteractionTable.h"
#include "records/SemiGlobalReference.h"
#include "records/StringTable.h"

namespace
{
// The texts beside the places of one file. The places come grouped by record, so each record is
// decoded once for all its places.
class CPlaceTexts
{
public:
    CPlaceTexts(const CIffFile& container, const CPlainTextRenderer& renderer)
        : m_container(container), m_renderer(renderer)
    {
    }

    std::string Text(const CRecordReference& place)
    {
        if (place.type == kTypeBhav)
        {
            if (m_scriptId != place.id)
            {
                m_scriptId = place.id;
                m_scriptLoaded = m_script.Load(m_container, place.id).Ok();
            }
            if (!m_scriptLoaded || static_cast<std::size_t>(place.line) >= m_script.Lines().size())
                return {};
            return DescribeLine(m_renderer, m_script.Lines()[static_cast<std::size_t>(place.line)]);
        }
        if (place.type != kTypeTtab)
            return {};  // an entry point: its place says all
        CInteractionTable table;
        CStringTable names;
        if (!table.Load(m_container, place.id) || !names.Load(m_container, kTypeTtas, place.id) ||
            static_cast<std::size_t>(place.interaction) >= table.Interactions().size())
            return {};
        const std::uint32_t row = table.Interactions()[static_cast<std::size_t>(place.interaction)].nameIndex;
        if (row >= names.Rows().size())
            return {};
        // The name is handed on in the program's one code page, as every other chunk text.
        const std::string& text = names.Rows()[row][0].text;
        return std::string(names.CodePage(0)) == kUtf8 ? Utf8ToWindows1252(text) : text;
    }

private:
    const CIffFile& m_container;
    const CPlainTextRenderer& m_renderer;
    CBhavScript m_script;
    int m_scriptId = -1;
    bool m_scriptLoaded = false;
};
}

std::string CalledScriptFile(const CReferenceSource& caller, std::uint16_t id)
{
    if (id < kFirstGlobalScript)
        return {};
    if (id < kFirstPrivateScript)
        return std::string(kGlobalFileName);
    if (id < kFirstSemiGlobalScript || caller.semiGlobalName.empty())
        return caller.fileName;
    return SemiGlobalFileName(caller.semiGlobalName);
}

std::vector<CReferenceSource> ReferenceSources(const CNeededFiles& files, const CIffFile& open,
                                               const std::string& openName, const std::string& semiGlobalName)
{
    std::vector<CReferenceSource> sources{{openName, &open, semiGlobalName}};
    for (const CFileScriptNames& file : files.Index())
        if (!SameFileName(file.fileName, openName))
            sources.push_back({std::string(file.fileName), file.container, ReadSemiGlobalName(*file.container)});
    return sources;
}

std::vector<CScriptReference> FindScriptReferences(const std::vector<CReferenceSource>& sources,
                                                   const CNeededFiles& names, const std::string& fileName,
                                                   std::uint16_t id)
{
    std::vector<CScriptReference> references;
    for (const CReferenceSource& source : sources)
    {
        // Whether a file's calls to the id reach the script does not depend on the calling line,
        // so a file whose calls go elsewhere is not read at all.
        if (source.container == nullptr || !SameFileName(CalledScriptFile(source, id), fileName))
            continue;
        // Each line is described as the script editor and the script command describe it, from
        // the semi-global name the file itself gives (none: calls of 8192 and up show as numbers).
        const CPlainTextRenderer renderer(names, source.fileName, source.semiGlobalName);
        CPlaceTexts texts(*source.container, renderer);
        for (CRecordReference& place : FindScriptReferences(*source.container, id))
        {
            std::string text = texts.Text(place);
            references.push_back({source.fileName, std::move(place), std::move(text)});
        }
    }
    return references;
}
