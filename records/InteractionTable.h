#pragma once

#include "RecordFault.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class CByteReader;
class CIffFile;

/// What an interaction advertises for one motive.
struct CMotiveEntry
{
    std::int16_t minimum = 0;
    std::int16_t maximum = 0;
    std::uint16_t varyBy = 0;  // personality trait or skill that scales the advertisement, 0 none

    bool operator==(const CMotiveEntry&) const = default;
};

/// Bits of CInteraction::flags that the interaction editor shows; the others are kept as read.
constexpr std::uint32_t kInteractionVisitors = 0x0001;
constexpr std::uint32_t kInteractionConsecutive = 0x0008;
constexpr std::uint32_t kInteractionNotChildren = 0x0010;
constexpr std::uint32_t kInteractionNotAdults = 0x0040;
constexpr std::uint32_t kInteractionAutoFirstSelect = 0x0100;

/// One interaction of an object.
struct CInteraction
{
    /// Every interaction is written with this many motive entries.
    static constexpr std::size_t kStoredMotives = 16;

    std::uint16_t actionTree = 0;
    std::uint16_t checkTree = 0;
    std::uint32_t motiveCount = kStoredMotives;  // as read; always written as 16
    std::uint32_t flags = 0;
    std::uint32_t nameIndex = 0;       // row of the `TTAs` table with the same id
    std::uint32_t attenuationCode = 0; // 0 custom, 1 none, 2 low, 3 medium, 4 high
    float attenuationValue = 0.0f;     // used with code 0
    std::uint32_t autonomyThreshold = 0;
    std::int32_t extraIndex = -1;
    std::vector<CMotiveEntry> motives;
    std::uint32_t flags2 = 0;          // further flags, kept in version 10 only

    bool operator==(const CInteraction&) const = default;
};

/// An interaction table (`TTAB` chunk), in the plain layout, the field-encoded one of version 9, or
/// the plain layout of version 10, whose interactions end in a further 32-bit field of flags.
/// Versions above 10 use field sets this program does not know and are refused; a plain table is
/// opened only when its interactions fill the chunk exactly, since files of some versions hold
/// shorter records than the layout read here.
class CInteractionTable
{
public:
    /// The format version whose interactions are field-encoded.
    static constexpr std::uint16_t kFieldEncodedVersion = 9;
    /// The format version whose interactions carry "Flags 2".
    static constexpr std::uint16_t kSecondFlagsVersion = 10;

    CInteractionTable() = default;
    explicit CInteractionTable(std::uint16_t version, std::vector<CInteraction> interactions = {},
                               std::string name = {})
        : m_interactions(std::move(interactions)), m_version(version), m_name(std::move(name))
    {
    }

    /// Decodes the `TTAB` chunk `id`. A missing chunk fails and leaves the table as it was. A
    /// version above 10, a damaged chunk (an interaction or motive list cut off by the end of the
    /// data, a field-encoded motive count beyond what the stream could hold), a plain table
    /// followed by bytes other than 0xA3 filler, or a version-10 table whose byte 4 is not 0 or
    /// whose size is not 5 + 132 bytes per interaction fails with the list empty; the failure says
    /// why. A count larger than the interactions present is not damage in the older layouts: the
    /// walk stops at the end of the data.
    [[nodiscard]] CRecordStatus Load(const CIffFile& container, std::uint16_t id);
    /// Puts the table as `TTAB` `id`, flags 0x0010, under the kept name, every interaction with
    /// 16 motive entries. Fails without storing when the list is longer than the 16-bit count.
    [[nodiscard]] CRecordStatus Store(CIffFile& container, std::uint16_t id) const;

    /// Decodes chunk data; same failures as Load.
    [[nodiscard]] CRecordStatus Decode(std::span<const std::uint8_t> data);
    /// The chunk data in the layout of the table's version.
    [[nodiscard]] CRecordResult<std::vector<std::uint8_t>> Encode() const;

    std::uint16_t Version() const { return m_version; }
    /// True when the interactions carry "Flags 2" (version 10).
    bool HasSecondFlags() const { return m_version == kSecondFlagsVersion; }
    const std::string& Name() const { return m_name; }
    const std::vector<CInteraction>& Interactions() const { return m_interactions; }

    void SetName(std::string name) { m_name = std::move(name); }
    /// Replaces interaction `index`; false when there is none.
    bool SetInteraction(std::size_t index, CInteraction interaction);
    void AddInteraction(CInteraction interaction) { m_interactions.push_back(std::move(interaction)); }
    /// Removes interaction `index`; false when there is none.
    bool RemoveInteraction(std::size_t index);

private:
    std::vector<CInteraction> m_interactions;
    std::uint16_t m_version = 0;
    std::string m_name;

    CRecordStatus DecodePlain(CByteReader& reader, std::size_t count);
    CRecordStatus DecodeSecondFlags(CByteReader& reader, std::size_t count);
    CRecordStatus DecodeFields(std::span<const std::uint8_t> data, std::size_t count);
    /// LayoutMismatch at the reader's place: the data do not fill this version's layout.
    CRecordStatus NotThisLayout(const CByteReader& reader) const;
};
