#pragma once

#include "IffFile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

/// One directory entry as a change found it or left it: its place in the directory, its type, id,
/// flags and name, and its data bytes.
struct CChunkState
{
    std::size_t position = 0;
    std::size_t occurrence = 0;  // how many entries of the same type and id stand before it
    CIffChunk entry;             // offset and size: where it stood then; its bytes are `data`
    std::vector<std::uint8_t> data;

    bool operator==(const CChunkState& other) const;
};

/// What one change did to a container: the directory entries it removed or altered as they were
/// (`before`), and the entries it added or altered as they became (`after`), each with its place,
/// and the type list on both sides. Everything else stood still, so these are the only bytes a
/// history needs to take the change back or make it again.
struct CIffChange
{
    std::vector<CChunkState> before;
    std::vector<CChunkState> after;
    std::vector<std::uint32_t> typesBefore;
    std::vector<std::uint32_t> typesAfter;

    bool Empty() const { return before.empty() && after.empty(); }
    /// The data bytes held on both sides.
    std::size_t DataBytes() const;
};

/// A change of a container made in place, all or nothing. The transaction notes the directory as it
/// stands; the change then runs on the container itself. Commit keeps it and tells what changed,
/// found by comparing the directory before and after; anything else (RollBack, or leaving the
/// scope) puts the container back as it was, directory and image. While a transaction is open the
/// container's image only grows, so the entries noted at the start keep pointing at their own
/// bytes, and taking the change back gives up what it added.
class CIffTransaction
{
public:
    explicit CIffTransaction(CIffFile& container);
    ~CIffTransaction();
    CIffTransaction(const CIffTransaction&) = delete;
    CIffTransaction& operator=(const CIffTransaction&) = delete;

    /// Keeps the change and returns it. A change that altered only flags, or nothing, is rolled
    /// back and returns an empty change: it left every chunk's name and data as they were. Without
    /// memory to note the change, it is rolled back too, and nothing is returned.
    std::optional<CIffChange> Commit();
    /// Keeps the change without working out what it was.
    void Keep();
    /// Puts the container back as it stood when the transaction began.
    void RollBack();

private:
    friend bool ApplyChange(CIffFile& container, const CIffChange& change, bool forward);
    static bool Apply(CIffFile& container, const CIffChange& change, bool forward);
    void End();
    void SetDirectory(std::vector<CIffChunk> chunks, std::vector<std::uint32_t> types);
    /// Moves the new bytes of every entry that kept its size into its old place, and gives up
    /// the image's tail when nothing uses it any more: an edit, and its undo and redo, then leave
    /// the image as long as it was. Only once the old bytes are held elsewhere.
    void Tidy(const CIffChange& change);

    CIffFile* m_container;
    std::vector<CIffChunk> m_chunks;
    std::vector<std::uint32_t> m_types;
    // Noted with the directory, so that putting it back needs no memory.
    CChunkIndex m_index;
    std::uint64_t m_liveBytes;
    std::size_t m_imageLength;
};

/// Makes a change again (`forward`) or takes it back, all or nothing: the entries of the other side
/// leave the directory, and those of this side return to their places with their bytes. False, with
/// the container as it was, when it cannot take the bytes.
[[nodiscard]] bool ApplyChange(CIffFile& container, const CIffChange& change, bool forward);
