#include "ByteStream.h"

#include "FilePath.h"
#include "ImageBytes.h"

#include <cerrno>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#ifdef _WIN32
#include <io.h>
#include <share.h>
#define TW_FSEEK _fseeki64
#define TW_FTELL _ftelli64
#else
#include <sys/stat.h>
#include <unistd.h>
#define TW_FSEEK fseeko
#define TW_FTELL ftello
#endif

EImageRead CByteStream::ReadImage(std::uint64_t offset, std::size_t count, CImageBytes& image)
{
    if (!image.Allocate(count))
        return EImageRead::NoMemory;
    if (!Seek(offset) || Read(image.MutableData(), count) != count)
    {
        image.Reset();
        return EImageRead::ReadFailed;
    }
    return EImageRead::Ok;
}

std::size_t CMemoryStream::Read(void* buffer, std::size_t count)
{
    if (m_position >= m_bytes.size())
        return 0;
    const std::size_t available = m_bytes.size() - m_position;
    const std::size_t taken = count < available ? count : available;
    if (taken > 0)
        std::memcpy(buffer, m_bytes.data() + m_position, taken);
    m_position += taken;
    return taken;
}

bool CMemoryStream::Write(const void* buffer, std::size_t count)
{
    if (count == 0)
        return true;
    if (count > std::numeric_limits<std::size_t>::max() - m_position)
        return false;
    const std::size_t end = m_position + count;
    try
    {
        if (end > m_bytes.size())
            m_bytes.resize(end);
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    catch (const std::length_error&)
    {
        return false;
    }
    std::memcpy(m_bytes.data() + m_position, buffer, count);
    m_position = end;
    return true;
}

bool CMemoryStream::Seek(std::uint64_t offset)
{
    // A memory stream may be positioned past its end; a later write fills the gap with zeros.
    if (offset > std::numeric_limits<std::size_t>::max())
        return false;
    m_position = static_cast<std::size_t>(offset);
    return true;
}

bool CMemoryStream::Truncate(std::uint64_t length)
{
    if (length > m_bytes.max_size())
        return false;
    try
    {
        m_bytes.resize(static_cast<std::size_t>(length));
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    return true;
}

CFileStream::~CFileStream()
{
    Close();
}

bool CFileStream::Open(const std::string& path, EMode mode)
{
    Close();
    m_writeFailed = false;
    m_openError = EFileOpenError::None;
    m_errorText.clear();
#ifdef _WIN32
    const wchar_t* fopenMode = mode == EMode::Read ? L"rb" : mode == EMode::ReadWrite ? L"r+b" : L"w+b";
    // Others may read the file while we hold it, but not write it.
    m_file = _wfsopen(PathFromUtf8(path).c_str(), fopenMode, mode == EMode::Read ? _SH_DENYWR : _SH_DENYRW);
#else
    const char* fopenMode = mode == EMode::Read ? "rb" : mode == EMode::ReadWrite ? "r+b" : "w+b";
    m_readOnly = mode == EMode::Read;
    m_file = std::fopen(path.c_str(), fopenMode);
    if (m_file != nullptr)
    {
        struct stat info{};
        if (fstat(fileno(m_file), &info) == 0 && S_ISDIR(info.st_mode))
        {
            std::fclose(m_file);
            m_file = nullptr;
            errno = EISDIR;
        }
    }
#endif
    if (m_file == nullptr)
    {
        const int error = errno;
        m_errorText = std::strerror(error);
        switch (error)
        {
        case ENOENT:
        case ENOTDIR:
            m_openError = EFileOpenError::NotFound;
            break;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            m_openError = EFileOpenError::AccessDenied;
            break;
        case EBUSY:
        case ETXTBSY:
            m_openError = EFileOpenError::SharingViolation;
            break;
        default:
            m_openError = EFileOpenError::Other;
            break;
        }
        return false;
    }
    return true;
}

bool CFileStream::Close()
{
    if (m_file == nullptr)
        return true;
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    return closed && !m_writeFailed;
}

std::size_t CFileStream::Read(void* buffer, std::size_t count)
{
    if (m_file == nullptr || count == 0)
        return 0;
    return std::fread(buffer, 1, count, m_file);
}

bool CFileStream::Write(const void* buffer, std::size_t count)
{
    if (m_file == nullptr)
        return false;
    if (count == 0)
        return true;
    if (std::fwrite(buffer, 1, count, m_file) != count)
    {
        m_writeFailed = true;
        m_errorText = std::strerror(errno);
        return false;
    }
    return true;
}

bool CFileStream::Seek(std::uint64_t offset)
{
    if (m_file == nullptr || offset > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
        return false;
    return TW_FSEEK(m_file, static_cast<std::int64_t>(offset), SEEK_SET) == 0;
}

std::uint64_t CFileStream::Position() const
{
    if (m_file == nullptr)
        return 0;
    const auto position = TW_FTELL(m_file);
    return position < 0 ? 0 : static_cast<std::uint64_t>(position);
}

std::uint64_t CFileStream::Length() const
{
    if (m_file == nullptr)
        return 0;
#ifndef _WIN32
    // A file opened for reading has no bytes waiting in the buffer, so the system's size is the
    // length; seeking to the end instead made the library read the file's last block as well.
    struct stat info{};
    if (m_readOnly && fstat(fileno(m_file), &info) == 0 && S_ISREG(info.st_mode))
        return static_cast<std::uint64_t>(info.st_size);
#endif
    const auto here = TW_FTELL(m_file);
    if (here < 0 || TW_FSEEK(m_file, 0, SEEK_END) != 0)
        return 0;
    const auto end = TW_FTELL(m_file);
    TW_FSEEK(m_file, here, SEEK_SET);
    return end < 0 ? 0 : static_cast<std::uint64_t>(end);
}

bool CFileStream::Truncate(std::uint64_t length)
{
    if (m_file == nullptr || std::fflush(m_file) != 0)
        return false;
#ifdef _WIN32
    return _chsize_s(_fileno(m_file), static_cast<long long>(length)) == 0;
#else
    return ftruncate(fileno(m_file), static_cast<off_t>(length)) == 0;
#endif
}

EImageRead CFileStream::ReadImage(std::uint64_t offset, std::size_t count, CImageBytes& image)
{
#ifndef _WIN32
    // Large ranges of a file opened for reading are mapped: a read into fresh memory made `info`
    // take four times as long as cat on a 200 MB file, nearly all of it the system handing out
    // and clearing pages. The mapping is private and the program replaces files only by
    // renaming a new one over them (WriteFileAtomically), so the bytes stay as read.
    constexpr std::size_t kSmallestMapped = 64 * 1024;
    struct stat info{};
    if (m_file != nullptr && m_readOnly && count >= kSmallestMapped && fstat(fileno(m_file), &info) == 0 &&
        S_ISREG(info.st_mode) && offset <= std::uint64_t(info.st_size) && count <= std::uint64_t(info.st_size) - offset &&
        image.Map(fileno(m_file), offset, count))
        return EImageRead::Ok;
#endif
    return CByteStream::ReadImage(offset, count, image);
}

bool CFileStream::Sync()
{
    if (m_file == nullptr || std::fflush(m_file) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(m_file)) == 0;
#else
    return fsync(fileno(m_file)) == 0;
#endif
}

std::size_t CStreamSlice::Read(void* buffer, std::size_t count)
{
    if (m_position >= m_length || !m_source.Seek(m_start + m_position))
        return 0;
    const std::uint64_t left = m_length - m_position;
    const std::size_t taken = m_source.Read(buffer, count < left ? count : static_cast<std::size_t>(left));
    m_position += taken;
    return taken;
}

bool CStreamSlice::Seek(std::uint64_t offset)
{
    m_position = offset;
    return true;
}

EImageRead CStreamSlice::ReadImage(std::uint64_t offset, std::size_t count, CImageBytes& image)
{
    if (offset > m_length || count > m_length - offset)
    {
        image.Reset();
        return EImageRead::ReadFailed;
    }
    return m_source.ReadImage(m_start + offset, count, image);
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, EFileOpenError* openError)
{
    CFileStream file;
    if (!file.Open(path, CFileStream::EMode::Read))
    {
        if (openError != nullptr)
            *openError = file.LastOpenError();
        return false;
    }
    if (openError != nullptr)
        *openError = EFileOpenError::None;
    const std::uint64_t length = file.Length();
    try
    {
        bytes.resize(static_cast<std::size_t>(length));
    }
    catch (const std::exception&)
    {
        return false;
    }
    return file.Read(bytes.data(), bytes.size()) == bytes.size();
}
