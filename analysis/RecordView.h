#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CIffFile;
class CPlainTextRenderer;
struct CIffChunk;

// A record as a list of named places (a script's lines, a table's rows, an object's fields), each
// with its values as text: what the stable text of a file prints and what a comparison of two
// files compares. Texts from the game's files come out as UTF-8.

/// One value of a place: "description", "success", "price", ... and its text. `text` values are
/// words from the file (a string, a name) that the stable text quotes; the rest are numbers and
/// the program's own phrases.
struct CEntryPart
{
    std::string key;
    std::string value;
    bool text = false;

    bool operator==(const CEntryPart&) const = default;
};

/// One place of a record and what it holds there.
struct CRecordEntry
{
    std::string place;  // "line 3", "string 0", "row 2 USEnglish", "interaction 0", "price", "init"
    std::vector<CEntryPart> parts;
    /// What two versions of the place are compared by: the record's own numbers and bytes, never
    /// words drawn from other records (a called script's name, an interaction's string), so that
    /// renaming one record does not show as a change of those that name it.
    std::string identity;
    int line = 0;  // a script's line, from 1; 0 for other places
};

/// Turns a text of the file (bytes in `codePage`, "windows-1252", "cp932", "utf-8", ...) into
/// UTF-8. The core alone shows every code page as windows-1252 (byte-exact); a front end with
/// code-page converters shows each language in its own.
using CTextShower = std::function<std::string(const std::string& bytes, const std::string& codePage)>;
/// Windows-1252 for every code page but UTF-8, which stays as it is.
std::string ShowAsWindows1252(const std::string& bytes, const std::string& codePage);

/// One chunk of a file as a record.
struct CRecordView
{
    std::uint32_t type = 0;
    std::uint16_t id = 0;
    std::uint16_t flags = 0;
    std::string name;      // UTF-8
    bool edited = false;   // a kind the program shows by its content
    std::string refusal;   // an edited kind that does not load: why (then it is shown by its bytes)
    std::vector<CRecordEntry> entries;  // empty unless edited and loaded
};

/// The chunk as a record: scripts line by line with their descriptions from `renderer`, string,
/// constant and interaction tables row by row, object definitions and function tables field by
/// field, the semi-global name. `container` gives the names of an interaction table's `TTAs`.
CRecordView ViewRecord(const CIffFile& container, const CIffChunk& chunk, const CPlainTextRenderer& renderer,
                       const CTextShower& shower = ShowAsWindows1252);

/// Whether the chunk is the first of its type and id, the one the editor opens; a later one is
/// shown by its bytes.
bool IsFirstOfTypeAndId(const CIffFile& container, std::size_t position);

/// The stable text of a whole file, for line diffs: every chunk in directory order, each under a
/// header line of its type, id, flags and name; scripts as the script listing gives them, tables
/// row by row, object definitions field by field, and every other chunk (and every record that
/// does not load) as its size and the SHA-256 of its bytes. The same file gives the same text.
std::string FormatFileText(const CIffFile& container, const CPlainTextRenderer& renderer,
                           const CTextShower& shower = ShowAsWindows1252);

/// The stable text of the chunk at `position` of the directory alone, its header line first.
std::string FormatRecordText(const CIffFile& container, std::size_t position, const CPlainTextRenderer& renderer,
                             const CTextShower& shower = ShowAsWindows1252);

/// The header line of a record: "BHAV #4096 \"main\" flags 0x0010".
std::string RecordHeading(std::uint32_t type, std::uint16_t id, const std::string& name, std::uint16_t flags);
