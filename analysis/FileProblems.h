#pragma once

#include "records/RecordEditing.h"

#include <cstdint>
#include <string>
#include <vector>

class CIffFile;
class CNeededFiles;

// The problems of a file that the game would otherwise show only by misbehaving: jumps and calls
// to nothing, entry points naming deleted scripts, interactions without names, GUIDs in use twice,
// texts left untranslated and scripts nothing uses. The CLI's `lint` and the editor's Problems
// panel list the same findings.

enum class EProblemSeverity
{
    Error,    // the game will misbehave
    Warning,  // likely a mistake, or a record that could not be checked
    Note,     // worth a look
};

enum class EProblemKind
{
    MissingLine,        // a jump to a line past the script's last
    UnreachableLines,   // lines that control never reaches from the first
    MissingCall,        // a call to a script that no loaded file holds
    MissingTree,        // an entry point or interaction naming a missing script
    MissingName,        // an interaction whose name has no string
    TableWithoutNames,  // an interaction table without its names
    NamesWithoutTable,  // interaction names without their table
    SharedGuid,         // a GUID another object of the file or the loaded files has
    UntranslatedText,   // USEnglish has a text another language of the table leaves empty
    UnusedScript,       // a private script that nothing refers to
    RefusedRecord,      // a record that does not load, and so was not checked
};

/// "error", "warning", "note".
const char* ProblemSeverityWord(EProblemSeverity severity);
/// The kind as one word for scripts: "missing-line", "unreachable", "missing-call",
/// "missing-script", "missing-name", "no-names", "no-table", "guid", "untranslated",
/// "unused-script", "refused".
const char* ProblemKindWord(EProblemKind kind);

/// One finding: how bad, what kind, the record and the place in it, and a sentence for people.
struct CProblem
{
    EProblemSeverity severity = EProblemSeverity::Error;
    EProblemKind kind = EProblemKind::MissingLine;
    /// The record (type, id, chunk name as windows-1252 bytes) and the place in it: a script's
    /// `line` (from 0), an interaction and its tree, an object's script field, a function and its
    /// role; all -1 where the finding is about the whole record.
    CRecordReference place;
    int row = -1;  // a string table's row
    std::string message;  // UTF-8
};

/// Every problem of `file` (named `fileName`, naming the semi-global file `semiGlobalName`), in
/// the order of its records in the directory, and in each by place. `loaded` holds the game's
/// global files (files under `fileName` among them are passed over): calls and entry points into
/// a global or semi-global file are checked only when that file is loaded, and GUIDs are checked
/// against its objects too.
std::vector<CProblem> FindFileProblems(const CIffFile& file, const std::string& fileName,
                                       const std::string& semiGlobalName, const CNeededFiles& loaded);

/// The place of a problem for people: "BHAV #4096 \"main\", line 3", "TTAB #128 \"menu\",
/// interaction 0", "OBJD #128 \"Chair\": main script", "STR# #128 \"names\", row 2" (UTF-8).
std::string ProblemPlaceText(const CProblem& problem);
