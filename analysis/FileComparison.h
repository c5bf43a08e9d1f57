#pragma once

#include "RecordView.h"

#include <cstdint>
#include <string>
#include <vector>

class CIffFile;
class CPlainTextRenderer;

// What two versions of a file differ in, record by record: a record is its type and id (the n-th
// chunk of that type and id when a file holds several), so a renamed record is one change.

/// A record of one of the files.
struct CRecordKey
{
    std::uint32_t type = 0;
    std::uint16_t id = 0;
    std::string name;  // UTF-8
};

/// One place of a record that differs: a script's line, a table's row, an object's field, the
/// chunk's name or flags, or "bytes" when the record is compared by its bytes alone.
struct CEntryChange
{
    std::string place;
    int line = 0;                    // a script's line, from 1; 0 for other places
    bool before = false;             // the place is in the first file
    bool after = false;              // and in the second
    std::vector<CEntryPart> old;     // what the first file holds there (empty when not there)
    std::vector<CEntryPart> now;     // what the second file holds there
    std::vector<std::string> fields; // the keys whose values differ
};

struct CRecordDifference
{
    CRecordKey record;  // as the second file names it
    std::vector<CEntryChange> changes;
};

struct CFileComparison
{
    std::vector<CRecordKey> added;    // in the second file's directory order
    std::vector<CRecordKey> removed;  // in the first file's
    std::vector<CRecordDifference> changed;  // in the second file's order

    bool Same() const { return added.empty() && removed.empty() && changed.empty(); }
};

/// Compares every chunk of `a` with the chunk of the same type, id and rank in `b`. Records of the
/// kinds the program edits are compared place by place (a script's lines by their instructions,
/// shown with their descriptions and targets, tables by rows and fields); when their places say
/// nothing but the bytes differ, or a record does not load, or it is of another kind, the change
/// is "bytes". Each file's descriptions come from its own renderer.
CFileComparison CompareFiles(const CIffFile& a, const CPlainTextRenderer& rendererA, const CIffFile& b,
                             const CPlainTextRenderer& rendererB, const CTextShower& shower = ShowAsWindows1252);

/// One change as a line for people: "line 3: description \"...\" -> \"...\"; success goto line 4
/// -> return TRUE", "interaction 0: added", "bytes differ".
std::string FormatEntryChange(const CEntryChange& change);
