#pragma once

#include "ByteStream.h"
#include "ChunkIndex.h"
#include "ImageBytes.h"
#include "TypeCodes.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class CUserPrompt;

/// One chunk directory entry; also the query of FindChunk and the description given to PutChunk.
struct CIffChunk
{
    std::uint32_t type = 0;
    std::uint64_t offset = 0;  // first data byte in the image (the chunk header's position + 76)
    std::uint32_t size = 0;    // data bytes, without the 76-byte chunk header
    std::uint16_t id = 0;
    std::uint16_t flags = 0;
    std::string name;
};

/// The chunk flags every record is stored with.
constexpr std::uint16_t kStoredChunkFlags = 0x0010;

/// What CIffFile::Read ended with; the numbers are the read's error codes (the CLI prints them).
enum class EIffRead : int
{
    Ok = 0,
    IoError = 1,
    NoMemory = 2,
    NotIff = 3,
    BadVersion = 4,
    DecodeFailed = 5,  // the coded body of a 3.0 file did not decode
};

/// One IFF resource container: the 64-byte header, the whole file as one image, the chunk
/// directory and the list of distinct type codes.
class CIffFile
{
public:
    static constexpr std::size_t kHeaderSize = 64;
    static constexpr std::size_t kChunkHeaderSize = 76;
    static constexpr std::size_t kNameFieldSize = 64;
    static constexpr std::size_t kMaxStoredNameLength = 63;
    /// Position value meaning "no further entry" for FindFirstOfType and NextOfType.
    static constexpr std::size_t kNoPosition = static_cast<std::size_t>(-1);

    CIffFile();
    CIffFile(const CIffFile& other);
    CIffFile& operator=(const CIffFile& other);
    CIffFile(CIffFile&&) noexcept = default;
    CIffFile& operator=(CIffFile&&) noexcept = default;

    /// Reads a whole file. On failure `errorCode` gets the code (see EIffReadError) and the
    /// container is left empty; on success the code is left as the caller set it. A coded body
    /// that does not decode fails the read (the prompt has shown "FAILURE" or "MEMORY FAILURE").
    [[nodiscard]] bool Read(CByteStream* stream, EIffRead& errorCode, CUserPrompt* prompt = nullptr);
    /// Reads the file whose bytes are `length` bytes of `bytes` from `offset` (a member of an
    /// archive read once), keeping a view of them rather than a copy: members named by many
    /// entries hold their bytes once. Fails and sets `errorCode` as Read does.
    [[nodiscard]] bool ReadView(std::shared_ptr<const CImageBytes> bytes, std::size_t offset, std::size_t length,
                                EIffRead& errorCode, CUserPrompt* prompt = nullptr);
    /// Lets copies of this container share its image rather than copy it (see ReadView); false
    /// without memory.
    bool ShareImage() { return m_image.MakeShareable(); }
    /// Writes the container: header, chunks in directory order and, for 2.5, a new resource map.
    /// A container read as 2.0 asks the prompt whether to convert it (no prompt: No).
    [[nodiscard]] bool Write(CByteStream* stream, CUserPrompt* prompt = nullptr);

    /// Copies the first entry with the query's type and id into the query.
    [[nodiscard]] bool FindChunk(CIffChunk& query) const;
    /// Appends `data` as a chunk and points the entry of that type and id (replaced in place, or
    /// appended) at it. On return `entry` describes the stored chunk. Fails without changing
    /// anything when the image cannot grow. Only the new chunk's bytes are written: every other
    /// entry keeps its offset, and the bytes a replaced entry pointed at stay, dead, until
    /// Compact. Storing n chunks one by one takes time in proportion to their bytes.
    [[nodiscard]] bool PutChunk(CIffChunk& entry, CByteStream& data);
    [[nodiscard]] bool PutChunk(CIffChunk& entry, std::span<const std::uint8_t> data);
    /// Removes the first entry with the query's type and id; its bytes stay unused in the image.
    bool RemoveChunk(const CIffChunk& query);

    /// Bytes of the image that the header and the directory's chunks take.
    std::uint64_t LiveBytes() const { return m_liveBytes; }
    /// Bytes of the image no entry points at: replaced and removed chunks, and what a read
    /// skipped. They are never written.
    std::uint64_t DeadBytes() const { return m_image.Size() - std::min<std::uint64_t>(m_liveBytes, m_image.Size()); }
    /// Rewrites the image with only the header and the directory's chunks, in directory order, and
    /// points the entries at their new places. What Write produces does not change. False, with
    /// nothing changed, without memory. Offsets taken before do not hold after it.
    [[nodiscard]] bool Compact();
    /// Compacts when the dead bytes exceed the live ones. PutChunk and RemoveChunk never move other
    /// chunks themselves, so that whoever compares the directory before and after a change finds
    /// the old bytes still there; the owner calls this once such a change is settled. Refused
    /// while a transaction is open. True when the image is not wasteful (any more).
    bool CompactIfWasteful();

    /// The position of the first entry of `type`, or kNoPosition.
    std::size_t FindFirstOfType(std::uint32_t type) const;
    /// The entry at `position`; moves `position` to the next entry of the same type or kNoPosition.
    CIffChunk NextOfType(std::size_t& position) const;

    /// 20, 25 or 30 from the image's header digits; 0 when there is no image.
    int Version() const;
    /// The version in the header of the file as read (30 for a coded file); 0 before a read.
    int FileVersion() const { return m_fileVersion; }

    const std::vector<CIffChunk>& Chunks() const { return m_chunks; }
    const std::vector<std::uint32_t>& Types() const { return m_types; }
    const std::array<std::uint8_t, kHeaderSize>& Header() const { return m_header; }
    bool ReadSucceeded() const { return m_readSucceeded; }
    /// Bytes of the file as read that no whole chunk holds: a chunk cut off at the end, and what
    /// the walk slid over to find the next chunk. Writing the container drops them. 0 before a read.
    std::uint64_t UnreadBytes() const { return m_unreadBytes; }
    const std::uint8_t* Image() const { return m_image.Data(); }
    std::size_t ImageLength() const { return m_image.Size(); }
    /// The data bytes of an entry, checked against the image; empty when they do not fit.
    std::span<const std::uint8_t> ChunkData(const CIffChunk& chunk) const;

private:
    friend class CIffTransaction;

    /// Writes `entry`'s chunk header and `data` over the chunk at `slot`, which has as many data
    /// bytes; false, with nothing written, when the image is not writable in place (a mapping).
    bool RewriteChunk(const CIffChunk& slot, const CIffChunk& entry, std::span<const std::uint8_t> data);
    /// Gives up the image's bytes from `length` on; no entry may lie there.
    void TruncateImage(std::size_t length);
    /// Puts a whole directory in place, the index and the count of live bytes following it.
    /// Throws std::bad_alloc before anything is changed.
    void SetDirectory(std::vector<CIffChunk> chunks, std::vector<std::uint32_t> types);

    /// Checks, decodes when coded, and walks the image just put in place; the common part of the
    /// reads.
    bool TakeImage(EIffRead& errorCode, CUserPrompt* prompt);
    /// Fills the directory and the type list from the image's chunk headers.
    void WalkChunks(std::span<const std::uint8_t> bytes);
    void Clear();
    bool WriteResourceMap(CByteStream& stream, const std::vector<std::uint32_t>& positions);
    /// Puts a chunk of `size` data bytes at the end of the image, `fill` writing the data; the
    /// common part of both PutChunk.
    bool Append(CIffChunk& entry, std::size_t size, const std::function<bool(std::uint8_t*)>& fill);
    /// Notes the entry at `position` as the first of its type and id, unless one comes before it.
    void IndexEntry(std::size_t position);

    std::array<std::uint8_t, kHeaderSize> m_header{};
    // The file's bytes, or the decoded bytes of a coded file; mapped from the file when large.
    CImageBytes m_image;
    std::vector<CIffChunk> m_chunks;
    std::vector<std::uint32_t> m_types;
    // The position of the first entry of each (type, id). Kept so that finding and storing a chunk
    // does not walk the directory: storing every record of a large file would otherwise take time
    // in the square of their number.
    CChunkIndex m_index;
    std::uint64_t m_liveBytes = kHeaderSize;
    bool m_readSucceeded = false;
    std::uint64_t m_unreadBytes = 0;
    int m_fileVersion = 0;
    // While a transaction is open the image must only grow: the directory it noted at its start
    // points into the image, and taking the change back relies on those bytes staying where they
    // are. Nothing may compact or overwrite the image in place meanwhile.
    std::size_t m_openTransactions = 0;
};

