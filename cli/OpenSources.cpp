#include "OpenSources.h"
#include "CliSupport.h"

#include "containers/Windows1252.h"
#include "loading/NeededFilesLoader.h"
#include "records/SemiGlobalReference.h"

bool LoadSources(const CRenderSources& sources, const CReport& report, CNeededFiles& files, CIffFile& open,
                 std::string& semiGlobalName)
{
    CCliPrompt prompt;
    if (!sources.gameData.empty())
        LoadNeededFiles(files, sources.gameData, prompt);
    if (!sources.openPath.empty() && !report.Read(sources.openPath, open, prompt))
        return false;
    // The GLOB chunk holds windows-1252 bytes; a name typed on the command line is brought to the
    // same form so that both look up the same index entries.
    if (sources.semiGlobalName)
        semiGlobalName = Utf8ToWindows1252(*sources.semiGlobalName);
    else if (!sources.openPath.empty())
        semiGlobalName = ReadSemiGlobalName(open);
    // Said with the loader's messages, as opening the file in the editor says it.
    if (const std::string missing = MissingSemiGlobalMessage(files, semiGlobalName); !missing.empty())
        prompt.ShowMessage(missing, "Error");
    if (!sources.openPath.empty())
        files.Add(open, NamePart(sources.openPath));
    return true;
}

bool OpenFile(const std::string& path, const CRenderSources& sources, const CReport& report, COpenFile& open)
{
    CRenderSources fileSources = sources;
    fileSources.openPath = path;
    return LoadSources(fileSources, report, open.files, open.container, open.semiGlobalName);
}

COpenFile::~COpenFile()
{
    LeaveToProcessExit(std::move(files));
}
