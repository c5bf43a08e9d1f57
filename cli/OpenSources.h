#pragma once

#include "rendering/NeededFiles.h"

#include <optional>
#include <string>

class CReport;

// Opening a file on the command line as the editor opens it: the game's global files loaded
// first, then the file itself indexed under its name part.

/// Where the renderer's inputs come from: the command line's options, as opening a file sets them.
struct CRenderSources
{
    std::string gameData;                       // empty: no global files
    std::string openPath;                       // empty: no open file
    std::optional<std::string> semiGlobalName;  // from the command line, as typed (UTF-8)
};

/// Builds the needed-files state as opening `openPath` in the editor does: the global files first,
/// then the open file's own container under its name part. `open` receives that container. False
/// when the open file cannot be read (reported).
bool LoadSources(const CRenderSources& sources, const CReport& report, CNeededFiles& files, CIffFile& open,
                 std::string& semiGlobalName);

/// What a command about FILE works from: the loaded files with FILE among them, as opening FILE in
/// the editor leaves them.
struct COpenFile
{
    COpenFile() = default;
    COpenFile(const COpenFile&) = delete;
    COpenFile& operator=(const COpenFile&) = delete;
    ~COpenFile();

    CNeededFiles files;
    CIffFile container;
    std::string semiGlobalName;
};

/// False when the file cannot be read (reported).
bool OpenFile(const std::string& path, const CRenderSources& sources, const CReport& report, COpenFile& open);
