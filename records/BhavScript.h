#pragma once

#include "BhavInstruction.h"
#include "RecordFault.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

class CIffFile;

/// One jump of a script: where line `line` (counted from 0) goes on success or on failure.
struct CScriptJump
{
    std::size_t line = 0;
    bool success = true;

    bool operator==(const CScriptJump&) const = default;
};

/// What a line change that keeps every jump on its instruction did, or why it changed nothing.
struct CRenumbering
{
    enum class EResult
    {
        Done,
        /// A jump would have to name a line past index 252, where the exit codes begin.
        PastLastTarget,
        /// A jump into the deleted line has nowhere to go: the line's success target is the line
        /// itself or a line that does not exist.
        NowhereToGo,
        /// An insert into a script whose header's count holds no further line.
        CountFull,
    };

    EResult result = EResult::Done;
    /// Refused: the first jump that stopped the change, numbered as before it.
    std::optional<CScriptJump> blocked;
    /// A delete done: the jumps that went into the deleted line and now go where it went on
    /// success, numbered as after it.
    std::vector<CScriptJump> retargeted;
};

/// A behaviour script (`BHAV` chunk): a header and numbered instructions.
///
/// The header's first 16 bits are the script's format code, which also decides the header's size
/// and where the instruction count lives: formats 0x8000 to 0x8002 have a 12-byte header with a
/// 16-bit count at offset 2; format 0x8003 has a 13-byte header with a 32-bit count at offset 9.
class CBhavScript
{
public:
    static constexpr std::size_t kHeaderSize = 12;
    static constexpr std::uint16_t kDefaultFormat = 0x8002;

    /// The header size of a format; 0 for a format this program cannot edit.
    static std::size_t HeaderSizeFor(std::uint16_t format);

    CBhavScript();

    /// Decodes the `BHAV` chunk `id`. Fails, with the list empty, when the chunk is missing, of a
    /// format outside 0x8000 to 0x8003, or shorter than its header and the instructions the header
    /// promises; the failure says which, and where.
    [[nodiscard]] CRecordStatus Load(const CIffFile& container, std::uint16_t id);
    /// Decodes chunk data; same failures as Load.
    [[nodiscard]] CRecordStatus Decode(std::span<const std::uint8_t> data);
    /// Encodes the script (count rewritten from the list, the rest of the header as read) and puts
    /// it as `BHAV` `id`, flags 0x0010, under the kept name. Fails when the container cannot grow,
    /// the header is not of a known format or the list has more lines than the count can hold.
    [[nodiscard]] CRecordStatus Store(CIffFile& container, std::uint16_t id) const;
    /// Keeps the lines reachable from line 0 in depth-first order, true branch first, and
    /// renumbers their targets. Leaves the script as it was when a reachable target lies past
    /// the last line.
    void Optimize();

    // Line changes that keep every jump on the instruction it named: the targets of all lines are
    // renumbered with them. A target past the last line stays past it. A refused change leaves
    // the script as it was.

    /// Inserts `instruction` before line `index` (at the end when past it). Its own targets are
    /// taken as given, in the numbering after the insert. Refused when the count is full.
    CRenumbering InsertLine(std::size_t index, const CBhavInstruction& instruction);
    /// Moves line `from` to position `to`; the lines between move by one towards `from`.
    CRenumbering MoveLine(std::size_t from, std::size_t to);
    /// Removes line `index`. A jump into it takes its success target instead, when that is
    /// another line or an exit.
    CRenumbering DeleteLine(std::size_t index);

    /// The chunk data Store would write, or why the script cannot be written.
    [[nodiscard]] CRecordResult<std::vector<std::uint8_t>> Encode() const;

    /// The format code at the start of the header.
    std::uint16_t Format() const;
    /// The header as read (12 or 13 bytes by format); its count is rewritten on encoding.
    const std::vector<std::uint8_t>& Header() const { return m_header; }
    /// Puts `header` in place of the header (a script built from scratch); false, unchanged, when
    /// its format is not one this program can edit, it is not of its format's size, or its count
    /// cannot hold the lines there are.
    bool SetHeader(std::vector<std::uint8_t> header);
    const std::string& Name() const { return m_name; }
    void SetName(std::string name) { m_name = std::move(name); }
    /// The id of the chunk last loaded, or the one given.
    std::uint16_t Id() const { return m_id; }
    void SetId(std::uint16_t id) { m_id = id; }
    // The editors change the lines through these, which keep their number within what the
    // header's count can hold; the line changes above also renumber the jumps.

    const std::vector<CBhavInstruction>& Lines() const { return m_instructions; }
    /// The most lines the header's count field can hold.
    std::uint64_t MaxLines() const;
    /// Sets line `index`; false when there is no such line.
    bool SetLine(std::size_t index, const CBhavInstruction& instruction);
    /// Appends a line, its targets taken as given; false, unchanged, when the count is full.
    bool AppendLine(const CBhavInstruction& instruction);
    /// Removes line `index`, leaving every target as it stands; false when there is no such line.
    bool RemoveLine(std::size_t index);
    /// Puts `lines` in place of all lines (an editor's undo); false, unchanged, when the count
    /// cannot hold them.
    bool ReplaceLines(std::vector<CBhavInstruction> lines);

private:
    /// The most lines a count of `format` can hold.
    static std::uint64_t MaxLinesFor(std::uint16_t format);

    std::vector<std::uint8_t> m_header;  // as read; 12 or 13 bytes by format
    std::vector<CBhavInstruction> m_instructions;
    std::string m_name;
    std::uint16_t m_id = 0;
};
