// What loading an archive holds beyond its bytes, counted allocation by allocation. Every
// operator new of this program goes through the counter below, so the test runs in a program of
// its own. The archive's bytes themselves are mapped or held in one block outside the counter.

#include "loading/NeededFilesLoader.h"

#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "containers/UserPrompt.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{
std::atomic<std::size_t> g_live{0};
std::atomic<std::size_t> g_peak{0};
constexpr std::size_t kPrefix = alignof(std::max_align_t);

void* Allocate(std::size_t size) noexcept
{
    auto* block = static_cast<unsigned char*>(std::malloc(size + kPrefix));
    if (block == nullptr)
        return nullptr;
    *reinterpret_cast<std::size_t*>(block) = size;
    const std::size_t live = g_live.fetch_add(size) + size;
    std::size_t peak = g_peak.load();
    while (live > peak && !g_peak.compare_exchange_weak(peak, live))
    {
    }
    return block + kPrefix;
}

void Release(void* pointer) noexcept
{
    if (pointer == nullptr)
        return;
    unsigned char* block = static_cast<unsigned char*>(pointer) - kPrefix;
    g_live.fetch_sub(*reinterpret_cast<std::size_t*>(block));
    std::free(block);
}
}

void* operator new(std::size_t size)
{
    if (void* pointer = Allocate(size))
        return pointer;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size)
{
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void operator delete(void* pointer) noexcept
{
    Release(pointer);
}
void operator delete[](void* pointer) noexcept
{
    Release(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept
{
    Release(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept
{
    Release(pointer);
}
void operator delete(void* pointer, const std::nothrow_t&) noexcept
{
    Release(pointer);
}
void operator delete[](void* pointer, const std::nothrow_t&) noexcept
{
    Release(pointer);
}

namespace
{
namespace fs = std::filesystem;

class CCollectedMessages : public CUserPrompt
{
public:
    void ShowMessage(const std::string& text, const std::string&) override { messages.push_back(text); }
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    std::vector<std::string> messages;
};

void PutLE32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A 64 KB object of ten scripts, listed under every name that `name` gives.
std::vector<std::uint8_t> ArchiveOfOneMember(std::size_t names, std::string (*name)(std::size_t))
{
    CIffFile member;
    for (std::uint16_t i = 0; i < 10; ++i)
    {
        CIffChunk chunk{kTypeBhav, 0, 0, std::uint16_t(4096 + i), 0x10, "script " + std::to_string(i)};
        EXPECT_TRUE(member.PutChunk(chunk, std::vector<std::uint8_t>(6500, std::uint8_t(i))));
    }
    CMemoryStream stream;
    EXPECT_TRUE(member.Write(&stream));
    const std::vector<std::uint8_t> bytes = stream.TakeBytes();

    std::vector<std::uint8_t> archive{'F', 'A', 'R', '!', 'b', 'y', 'A', 'Z'};
    PutLE32(archive, 1);
    PutLE32(archive, std::uint32_t(16 + bytes.size()));
    archive.insert(archive.end(), bytes.begin(), bytes.end());
    PutLE32(archive, std::uint32_t(names));
    for (std::size_t i = 0; i < names; ++i)
    {
        const std::string entry = name(i);
        PutLE32(archive, std::uint32_t(bytes.size()));
        PutLE32(archive, std::uint32_t(bytes.size()));
        PutLE32(archive, 16);
        PutLE32(archive, std::uint32_t(entry.size()));
        archive.insert(archive.end(), entry.begin(), entry.end());
    }
    return archive;
}
}

// One member under ten thousand names: the loader's memory stays within a tenth of the archive's
// size on top of its bytes, whether the names sit in a folder, stand alone (and are checked
// against each other) or are all the same.
TEST(LoaderMemory, ManyNamesCostLittleBeyondTheArchive)
{
    struct CRow
    {
        const char* what;
        std::string (*name)(std::size_t);
        std::size_t listed;
    };
    const std::vector<CRow> rows{
        {"in a folder", [](std::size_t i) { return "Global\\m" + std::to_string(i) + ".iff"; }, 10000},
        {"alone", [](std::size_t i) { return "m" + std::to_string(i) + ".iff"; }, 10000},
        {"all the same", [](std::size_t) { return std::string("m.iff"); }, 1},
    };
    const fs::path root = fs::temp_directory_path() / ("treewright-loader-memory-" + std::to_string(getpid()));
    for (const CRow& row : rows)
    {
        fs::remove_all(root);
        fs::create_directories(root / "GameData" / "Global");
        std::size_t archiveBytes = 0;
        {
            const std::vector<std::uint8_t> archive = ArchiveOfOneMember(10000, row.name);
            archiveBytes = archive.size();
            std::ofstream(root / "GameData" / "Global" / "many.far", std::ios::binary)
                .write(reinterpret_cast<const char*>(archive.data()), std::streamsize(archive.size()));
        }

        CNeededFiles files;
        CCollectedMessages prompt;
        const std::size_t before = g_live.load();
        g_peak.store(before);
        LoadNeededFiles(files, root.string(), prompt);
        const std::size_t held = g_peak.load() - before;

        EXPECT_TRUE(prompt.messages.empty()) << row.what;
        EXPECT_EQ(files.Count(), row.listed) << row.what;
        EXPECT_LE(double(held), 0.1 * double(archiveBytes))
            << row.what << ": " << held << " bytes held for an archive of " << archiveBytes;
    }
    fs::remove_all(root);
}
