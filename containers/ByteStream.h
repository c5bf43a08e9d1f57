#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

/// A seekable stream of bytes: what the container, the archive and the records read and write.
/// Every operation reports failure by its result; nothing throws.
class CByteStream
{
public:
    virtual ~CByteStream() = default;

    /// Reads up to `count` bytes at the position; returns how many were read (short at the end).
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    /// Writes `count` bytes at the position; false when not all of them could be written.
    virtual bool Write(const void* buffer, std::size_t count) = 0;
    /// Moves the position to `offset` from the start; false when the stream cannot go there.
    virtual bool Seek(std::uint64_t offset) = 0;
    virtual std::uint64_t Position() const = 0;
    virtual std::uint64_t Length() const = 0;
    /// Cuts (or extends with zeros) the stream to `length` bytes.
    virtual bool Truncate(std::uint64_t length) = 0;

    bool SeekToEnd() { return Seek(Length()); }
    bool Write(std::span<const std::uint8_t> bytes) { return Write(bytes.data(), bytes.size()); }
};

/// A growable stream in memory.
class CMemoryStream : public CByteStream
{
public:
    CMemoryStream() = default;
    explicit CMemoryStream(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    CMemoryStream(const std::uint8_t* bytes, std::size_t count) : m_bytes(bytes, bytes + count) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    bool Write(const void* buffer, std::size_t count) override;
    bool Seek(std::uint64_t offset) override;
    std::uint64_t Position() const override { return m_position; }
    std::uint64_t Length() const override { return m_bytes.size(); }
    bool Truncate(std::uint64_t length) override;

    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }
    std::vector<std::uint8_t> TakeBytes() { m_position = 0; return std::move(m_bytes); }

private:
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_position = 0;
};

/// Why a disk file could not be opened; the callers turn it into the user's message.
enum class EFileOpenError
{
    None,
    NotFound,
    AccessDenied,
    SharingViolation,
    Other
};

/// A file on disk.
class CFileStream : public CByteStream
{
public:
    enum class EMode
    {
        Read,       // existing file, read only
        ReadWrite,  // existing file, read and write
        Create      // new or emptied file, read and write
    };

    CFileStream() = default;
    ~CFileStream() override;
    CFileStream(const CFileStream&) = delete;
    CFileStream& operator=(const CFileStream&) = delete;

    bool Open(const std::string& path, EMode mode);
    /// Flushes and closes; false when buffered bytes could not reach the disk.
    bool Close();
    bool IsOpen() const { return m_file != nullptr; }
    EFileOpenError LastOpenError() const { return m_openError; }
    /// The system's description of the last failure, for messages.
    const std::string& LastErrorText() const { return m_errorText; }

    std::size_t Read(void* buffer, std::size_t count) override;
    bool Write(const void* buffer, std::size_t count) override;
    bool Seek(std::uint64_t offset) override;
    std::uint64_t Position() const override;
    std::uint64_t Length() const override;
    bool Truncate(std::uint64_t length) override;
    /// Flushes buffered bytes and asks the system to put them on the disk.
    bool Sync();

private:
    std::FILE* m_file = nullptr;
    EFileOpenError m_openError = EFileOpenError::None;
    std::string m_errorText;
    bool m_writeFailed = false;
};

/// Reads a whole file into memory; false (with the reason) when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                   EFileOpenError* openError = nullptr);
