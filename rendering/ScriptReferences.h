#pragma once

#include "records/RecordEditing.h"

#include <cstdint>
#include <string>
#include <vector>

class CIffFile;
class CNeededFiles;

// Who calls a script, over the open file and the loaded global files. A call names a script by id
// alone; which file's script that is depends on the id's range and on the calling file, so the
// places are looked for in every file whose calls to the id reach the script's own file.

/// One file to look for references in: its name part, its container and the name of the
/// semi-global file its `GLOB` chunk names (windows-1252 bytes; empty when none).
struct CReferenceSource
{
    std::string fileName;
    const CIffFile* container = nullptr;
    std::string semiGlobalName;
};

/// The name of the file whose script a call to `id` from `caller` reaches: the global file below
/// 4096, the caller itself up to 8191, above that the semi-global file the caller names, or the
/// caller itself when it names none (a semi-global file's scripts call each other). Empty for the
/// primitives below 256.
std::string CalledScriptFile(const CReferenceSource& caller, std::uint16_t id);

/// The files the editor looks in: the open file with its container as it now is and the
/// semi-global name as typed, then every loaded file in load order, leaving out those under the
/// open file's name (the copy of it taken when it was opened).
std::vector<CReferenceSource> ReferenceSources(const CNeededFiles& files, const CIffFile& open,
                                               const std::string& openName, const std::string& semiGlobalName);

/// A place that refers to a script, with the file it is in and what the user reads beside it.
struct CScriptReference
{
    std::string fileName;
    CRecordReference place;
    /// BHAV: the calling line's plain-language description, as the script editor shows it. TTAB:
    /// the interaction's name in USEnglish (empty when its names do not load). OBJD, OBJf: empty.
    std::string text;
};

/// Every line that calls script `id` of the file `fileName`, every interaction naming it as
/// action or check tree and every entry point of an object naming it, over `sources` in their
/// order (and in the order of the file's FindScriptReferences within each). Descriptions name called scripts from `names`. Records that do not load are passed over.
std::vector<CScriptReference> FindScriptReferences(const std::vector<CReferenceSource>& sources,
                                                   const CNeededFiles& names, const std::string& fileName,
                                                   std::uint16_t id);
