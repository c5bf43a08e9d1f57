#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

class CImageBytes;

/// How putting bytes of a stream into an image went.
enum class EImageRead
{
    Ok,
    NoMemory,
    ReadFailed  // the stream could not be positioned, or held fewer bytes
};

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

    /// Puts `count` bytes from `offset` into `image`, read once straight into it (the image is
    /// left empty unless all of them were had). A file opened for reading maps them instead.
    virtual EImageRead ReadImage(std::uint64_t offset, std::size_t count, CImageBytes& image);

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
    EImageRead ReadImage(std::uint64_t offset, std::size_t count, CImageBytes& image) override;
    /// Flushes buffered bytes and asks the system to put them on the disk.
    bool Sync();

private:
    std::FILE* m_file = nullptr;
    bool m_readOnly = false;
    EFileOpenError m_openError = EFileOpenError::None;
    std::string m_errorText;
    bool m_writeFailed = false;
};

/// A read-only window of `length` bytes from `start` of another stream, which must outlive it:
/// lets a member of an archive be read as a file of its own, straight from the archive's file.
class CStreamSlice : public CByteStream
{
public:
    CStreamSlice(CByteStream& source, std::uint64_t start, std::uint64_t length)
        : m_source(source), m_start(start), m_length(length)
    {
    }

    std::size_t Read(void* buffer, std::size_t count) override;
    bool Write(const void*, std::size_t) override { return false; }
    bool Seek(std::uint64_t offset) override;
    std::uint64_t Position() const override { return m_position; }
    std::uint64_t Length() const override { return m_length; }
    bool Truncate(std::uint64_t) override { return false; }
    EImageRead ReadImage(std::uint64_t offset, std::size_t count, CImageBytes& image) override;

private:
    CByteStream& m_source;
    std::uint64_t m_start;
    std::uint64_t m_length;
    std::uint64_t m_position = 0;
};

/// Reads a whole file into memory; false (with the reason) when it cannot be opened or read.
[[nodiscard]] bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                   EFileOpenError* openError = nullptr);
