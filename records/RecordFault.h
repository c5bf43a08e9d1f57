#pragma once

#include "containers/IffFile.h"
#include "containers/Result.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class CByteReader;
class CIffFile;

/// Why a record could not be opened from its chunk, or stored back into one. Every front end shows
/// a refused record with RecordFaultText, so the editor's status bar and `check` give the same words.
enum class ERecordFault
{
    None,
    Missing,          // no chunk of the type and id
    NoMemory,
    Damaged,          // a count or a text promises more than the chunk holds
    UnknownFormat,    // value: the format code
    UnknownVersion,   // value: the format version
    UnknownLanguage,  // value: the language code
    LayoutMismatch,   // value: the version whose plain layout the interactions do not fill
    TooManyEntries,   // value: the most the layout can count
    AmbiguousCount,   // value: a plain string count that would read back as a language table
    NotStored,        // the container refused the chunk (it would pass the 4 GiB the format can address)
    TrailingBytes,    // value: how many bytes follow the end of the layout
    InvalidText,      // value: the language set whose text is not UTF-8
    UncarriedText,    // value: the language set whose text holds a character above U+00FF
    OverlongLength,   // a text length written in more bytes than it needs
    UnstorableSet,    // value: a language set that would not be written back as it was read
    ReservedByte,     // value: the byte found where the layout has 0
    TooShort,         // value: the fewest bytes the layout needs
    OddLength,        // value: the length, which leaves half a 16-bit field
    BadMagic,         // the fixed bytes that open the layout are not there
    CountMismatch,    // value: a count that does not fit the record's length
};

/// A record's failure: the fault, the number it names (a format code, a version, a limit) and the
/// record it happened in.
using CRecordFault = CFailure<ERecordFault>;
/// Done, or why a record could not be decoded, encoded or stored.
using CRecordStatus = CStatus<ERecordFault>;
/// A value made from a record (its encoded data), or why it could not be made.
template <class T>
using CRecordResult = CResult<T, ERecordFault>;

/// What is wrong with a record of chunk `type`, as one phrase ("format 0x8004 is not one this
/// program can edit").
std::string RecordFaultText(std::uint32_t type, const CRecordFault& fault);

/// A whole line for a status bar or a list of refusals: the record, then what is wrong with it.
/// The name is the chunk's (windows-1252 bytes); the rest of the line is ASCII.
std::string RecordRefusalText(std::uint32_t type, std::uint16_t id, const std::string& name, const CRecordFault& fault);

/// Finds the chunk a record loads from (its data unread); fails Missing, placed in the record, when
/// there is none.
[[nodiscard]] CRecordResult<CIffChunk> FindRecordChunk(const CIffFile& container, std::uint32_t type,
                                                       std::uint16_t id);
/// Finds the chunk of `type` `id` and decodes it with `decode(chunk, data)`, which returns a
/// CRecordStatus; the failure of either is placed in the record.
template <class TDecode>
[[nodiscard]] CRecordStatus LoadRecordChunk(const CIffFile& container, std::uint32_t type, std::uint16_t id,
                                            TDecode decode)
{
    const CRecordResult<CIffChunk> chunk = FindRecordChunk(container, type, id);
    if (!chunk)
        return chunk.Failure();
    CRecordStatus decoded = decode(*chunk, container.ChunkData(*chunk));
    if (!decoded)
        return std::move(decoded.Failure()).InRecord(type, id);
    return decoded;
}
/// Damaged, at the reader's place: where the data ran out, or the read that would have passed it.
CRecordFault Damaged(const CByteReader& reader);

/// Puts a record's encoded data as its chunk, with the stored flags and the record's name; fails
/// NotStored, placed in the record, when the container cannot take it.
[[nodiscard]] CRecordStatus PutRecordChunk(CIffFile& container, std::uint32_t type, std::uint16_t id,
                                           const std::string& name, std::span<const std::uint8_t> data);
/// Puts a record's encoded data as its chunk (see PutRecordChunk); the encoding's failure or the
/// container's, placed in the record.
[[nodiscard]] CRecordStatus PutEncodedRecord(CIffFile& container, std::uint32_t type, std::uint16_t id,
                                             const std::string& name,
                                             const CRecordResult<std::vector<std::uint8_t>>& data);
