#include "InteractionTable.h"

#include "FieldStream.h"
#include "containers/ByteOrder.h"
#include "containers/ByteReader.h"
#include "containers/ByteStream.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"

#include <algorithm>
#include <bit>
#include <new>

namespace
{
constexpr std::size_t kPlainFixedSize = 32;
constexpr std::size_t kPlainMotiveSize = 6;
// Offset of the field-encoded stream: the version is followed by one byte that is not read.
constexpr std::size_t kFieldStreamOffset = 5;
// Every motive entry takes at least three bits (three zero fields).
constexpr std::uint64_t kMinMotiveBits = 3;
// Chunks are padded with this byte; a plain table may end in it.
constexpr std::uint8_t kFiller = 0xA3;
// Version 10: a zero byte after the version, then interactions of the plain fields, exactly 16
// motive entries and the further flags.
constexpr std::size_t kSecondFlagsHeaderSize = 5;
constexpr std::size_t kSecondFlagsInteractionSize =
    kPlainFixedSize + CInteraction::kStoredMotives * kPlainMotiveSize + 4;

// Each writer clears `written` when the stream could not take the bytes.
void PutLE16(CMemoryStream& stream, std::uint16_t value, bool& written)
{
    std::uint8_t bytes[2];
    WriteLE16(bytes, value);
    written = stream.Write(bytes, 2) && written;
}

void PutLE32(CMemoryStream& stream, std::uint32_t value, bool& written)
{
    std::uint8_t bytes[4];
    WriteLE32(bytes, value);
    written = stream.Write(bytes, 4) && written;
}

// The interaction's motives as written: exactly 16, cut or filled with zero entries.
CMotiveEntry StoredMotive(const CInteraction& interaction, std::size_t slot)
{
    return slot < interaction.motives.size() ? interaction.motives[slot] : CMotiveEntry{};
}

// The nine fields every layout begins an interaction with, in their order, whatever reads them.
template <typename TRead16, typename TRead32>
void ReadFixedFields(CInteraction& interaction, TRead16 read16, TRead32 read32)
{
    interaction.actionTree = read16();
    interaction.checkTree = read16();
    interaction.motiveCount = read32();
    interaction.flags = read32();
    interaction.nameIndex = read32();
    interaction.attenuationCode = read32();
    interaction.attenuationValue = std::bit_cast<float>(read32());
    interaction.autonomyThreshold = read32();
    interaction.extraIndex = std::int32_t(read32());
}

void ReadFixedFields(CByteReader& reader, CInteraction& interaction)
{
    ReadFixedFields(interaction, [&reader] { return reader.U16LE(); }, [&reader] { return reader.U32LE(); });
}

void ReadMotives(CByteReader& reader, CInteraction& interaction)
{
    interaction.motives.reserve(interaction.motiveCount);
    for (std::uint32_t m = 0; m < interaction.motiveCount; ++m)
    {
        CMotiveEntry entry;
        entry.minimum = std::int16_t(reader.U16LE());
        entry.maximum = std::int16_t(reader.U16LE());
        entry.varyBy = reader.U16LE();
        interaction.motives.push_back(entry);
    }
}
}

bool CInteractionTable::SetInteraction(std::size_t index, CInteraction interaction)
{
    if (index >= m_interactions.size())
        return false;
    m_interactions[index] = std::move(interaction);
    return true;
}

bool CInteractionTable::RemoveInteraction(std::size_t index)
{
    if (index >= m_interactions.size())
        return false;
    m_interactions.erase(m_interactions.begin() + std::ptrdiff_t(index));
    return true;
}

CRecordStatus CInteractionTable::Load(const CIffFile& container, std::uint16_t id)
{
    return LoadRecordChunk(container, kTypeTtab, id, [&](const CIffChunk& chunk, std::span<const std::uint8_t> data) {
        m_name = chunk.name;
        return Decode(data);
    });
}

CRecordStatus CInteractionTable::Store(CIffFile& container, std::uint16_t id) const
{
    return PutEncodedRecord(container, kTypeTtab, id, m_name, Encode());
}

CRecordStatus CInteractionTable::Decode(std::span<const std::uint8_t> data)
{
    m_interactions.clear();
    CByteReader reader(data);
    const std::size_t count = reader.U16LE();
    m_version = reader.U16LE();
    if (reader.OutOfData())
        return Damaged(reader);
    // Later versions encode other fields: read as either layout here they show nonsense, and
    // storing would write that nonsense over the table.
    if (m_version > kSecondFlagsVersion)
        return Fail(ERecordFault::UnknownVersion, m_version).AtOffset(2);
    CRecordStatus loaded;
    try
    {
        loaded = m_version == kFieldEncodedVersion ? DecodeFields(data, count)
                 : HasSecondFlags()                ? DecodeSecondFlags(reader, count)
                                                   : DecodePlain(reader, count);
    }
    catch (const std::bad_alloc&)
    {
        loaded = Fail(ERecordFault::NoMemory);
    }
    if (!loaded)
        m_interactions.clear();
    return loaded;
}

CRecordStatus CInteractionTable::NotThisLayout(const CByteReader& reader) const
{
    // A plain table cut short is as likely a table of shorter records as a damaged one.
    return Fail(ERecordFault::LayoutMismatch, m_version).AtOffset(reader.Position());
}

CRecordStatus CInteractionTable::DecodePlain(CByteReader& reader, std::size_t count)
{
    for (std::size_t i = 0; i < count && !reader.AtEnd(); ++i)
    {
        // An interaction that starts inside the data but does not fit is damage, not a short
        // count: keeping part of it would let the next save drop the rest silently.
        if (!reader.Has(kPlainFixedSize))
            return NotThisLayout(reader);
        CInteraction interaction;
        ReadFixedFields(reader, interaction);
        if (!reader.Has(std::uint64_t(interaction.motiveCount) * kPlainMotiveSize))
            return NotThisLayout(reader);
        ReadMotives(reader, interaction);
        m_interactions.push_back(std::move(interaction));
    }
    // Files of some versions hold shorter records than this layout: read with it, their
    // interactions come out shifted and leave bytes over. Only filler may follow the last one.
    const std::span<const std::uint8_t> rest = reader.Rest();
    if (!std::all_of(rest.begin(), rest.end(), [](std::uint8_t b) { return b == kFiller; }))
        return NotThisLayout(reader);
    return {};
}

CRecordStatus CInteractionTable::DecodeSecondFlags(CByteReader& reader, std::size_t count)
{
    const std::size_t reservedAt = reader.Position();
    const std::uint8_t reserved = reader.U8();
    if (reserved != 0)
        return Fail(ERecordFault::ReservedByte, reserved).AtOffset(reservedAt);
    // Every interaction of this version has 16 motive entries: a table of another size, or an
    // interaction with another count, is laid out in a way not known here.
    const std::uint64_t size = kSecondFlagsHeaderSize + std::uint64_t(count) * kSecondFlagsInteractionSize;
    if (reader.OutOfData() || reader.Position() + reader.Remaining() != size)
        return NotThisLayout(reader);
    m_interactions.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
    {
        const std::size_t start = reader.Position();
        CInteraction interaction;
        ReadFixedFields(reader, interaction);
        if (interaction.motiveCount != CInteraction::kStoredMotives)
            return Fail(ERecordFault::LayoutMismatch, m_version).AtOffset(start);
        ReadMotives(reader, interaction);
        interaction.flags2 = reader.U32LE();
        m_interactions.push_back(std::move(interaction));
    }
    if (reader.OutOfData())
        return NotThisLayout(reader);
    return {};
}

CRecordStatus CInteractionTable::DecodeFields(std::span<const std::uint8_t> data, std::size_t count)
{
    const std::span<const std::uint8_t> stream =
        data.size() > kFieldStreamOffset ? data.subspan(kFieldStreamOffset) : std::span<const std::uint8_t>();
    CFieldReader reader(stream);
    // The walk stops once the last byte has been taken: what is left of it is shorter than the
    // smallest interaction (nine fields of one bit) and can only be padding.
    for (std::size_t i = 0; i < count && !reader.AtEnd(); ++i)
    {
        CInteraction interaction;
        ReadFixedFields(interaction, [&reader] { return reader.Read16(); }, [&reader] { return reader.Read32(); });

        // Missing bits read as 0, so a motive count alone could make the walk read and allocate
        // without end. The 16 spare entries let a stream whose tail of zero bits is missing load
        // the same interactions as the whole stream.
        if (interaction.motiveCount > reader.RemainingBits() / kMinMotiveBits + CInteraction::kStoredMotives)
            return Fail(ERecordFault::Damaged);
        interaction.motives.reserve(interaction.motiveCount);
        for (std::uint32_t m = 0; m < interaction.motiveCount; ++m)
        {
            CMotiveEntry entry;
            entry.minimum = std::int16_t(reader.Read16());
            entry.maximum = std::int16_t(reader.Read16());
            entry.varyBy = reader.Read16();
            interaction.motives.push_back(entry);
        }
        m_interactions.push_back(std::move(interaction));
    }
    return {};
}

CRecordResult<std::vector<std::uint8_t>> CInteractionTable::Encode() const
{
    if (m_interactions.size() > 0xFFFF)
        return Fail(ERecordFault::TooManyEntries, 0xFFFF);
    try
    {
        CMemoryStream stream;
        bool written = true;
        PutLE16(stream, std::uint16_t(m_interactions.size()), written);
        PutLE16(stream, m_version, written);
        if (m_version == kFieldEncodedVersion)
        {
            const std::uint8_t marker = 1;
            written = stream.Write(&marker, 1) && written;
            CFieldWriter writer(stream);
            for (const CInteraction& interaction : m_interactions)
            {
                writer.Write16(interaction.actionTree);
                writer.Write16(interaction.checkTree);
                writer.Write32(CInteraction::kStoredMotives);
                writer.Write32(interaction.flags);
                writer.Write32(interaction.nameIndex);
                writer.Write32(interaction.attenuationCode);
                writer.Write32(std::bit_cast<std::uint32_t>(interaction.attenuationValue));
                writer.Write32(interaction.autonomyThreshold);
                writer.Write32(std::uint32_t(interaction.extraIndex));
                for (std::size_t m = 0; m < CInteraction::kStoredMotives; ++m)
                {
                    const CMotiveEntry entry = StoredMotive(interaction, m);
                    writer.Write16(std::uint16_t(entry.minimum));
                    writer.Write16(std::uint16_t(entry.maximum));
                    writer.Write16(entry.varyBy);
                }
            }
            written = writer.Finish() && written;
        }
        else
        {
            if (HasSecondFlags())
            {
                const std::uint8_t reserved = 0;
                written = stream.Write(&reserved, 1) && written;
            }
            for (const CInteraction& interaction : m_interactions)
            {
                PutLE16(stream, interaction.actionTree, written);
                PutLE16(stream, interaction.checkTree, written);
                PutLE32(stream, CInteraction::kStoredMotives, written);
                PutLE32(stream, interaction.flags, written);
                PutLE32(stream, interaction.nameIndex, written);
                PutLE32(stream, interaction.attenuationCode, written);
                PutLE32(stream, std::bit_cast<std::uint32_t>(interaction.attenuationValue), written);
                PutLE32(stream, interaction.autonomyThreshold, written);
                PutLE32(stream, std::uint32_t(interaction.extraIndex), written);
                for (std::size_t m = 0; m < CInteraction::kStoredMotives; ++m)
                {
                    const CMotiveEntry entry = StoredMotive(interaction, m);
                    PutLE16(stream, std::uint16_t(entry.minimum), written);
                    PutLE16(stream, std::uint16_t(entry.maximum), written);
                    PutLE16(stream, entry.varyBy, written);
                }
                if (HasSecondFlags())
                    PutLE32(stream, interaction.flags2, written);
            }
        }
        if (!written)
            return Fail(ERecordFault::NoMemory);
        return stream.TakeBytes();
    }
    catch (const std::bad_alloc&)
    {
        return Fail(ERecordFault::NoMemory);
    }
}
