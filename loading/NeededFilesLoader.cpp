#include "NeededFilesLoader.h"

#include "OrderedReadAhead.h"
#include "ReadMessages.h"

#include "containers/FarDirectory.h"
#include "containers/FilePath.h"
#include "containers/IffFile.h"
#include "containers/UserPrompt.h"

#include <algorithm>
#include <exception>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <utility>
#include <vector>

namespace
{
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
constexpr const char* kGlobalSubfolder = "GameData\\Global";
#else
constexpr char kPathSeparator = '/';
constexpr const char* kGlobalSubfolder = "GameData/Global";
#endif
constexpr const char* kErrorCaption = "Error";
constexpr const char* kIffExtension = ".IFF";
constexpr const char* kFarExtension = ".FAR";

struct CFoundFile
{
    std::string path;
    std::string name;
};

bool IsSeparator(char c)
{
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

// The extension runs from the last dot, and neither extension holds a dot after its first, so a
// name has one exactly when it ends with it. Only ASCII letters are folded, so that the result
// does not depend on the locale the worker runs under.
bool HasExtension(std::string_view name, std::string_view extension)
{
    return name.size() >= extension.size() && SameFileName(name.substr(name.size() - extension.size()), extension);
}

// The folder's own entries with an IFF or FAR extension, sorted by name in byte order: the
// system's directory order is arbitrary, and the load order decides which of two files of the
// same name wins, so it has to be the same on every run.
std::vector<CFoundFile> FindNeededFiles(const std::string& folder)
{
    std::vector<CFoundFile> found;
    std::error_code error;
    std::filesystem::directory_iterator entries(PathFromUtf8(folder), error);
    if (error)
        return found;
    for (; entries != std::filesystem::directory_iterator(); entries.increment(error))
    {
        if (error)
            break;
        // Sub-folders are not searched. Pipes, sockets and devices are no files of the game, and
        // opening a pipe would block the worker for good. A link whose target is gone stays, so
        // that the user learns of it when it fails to open. The folder listing's own type answers
        // for a plain file; only the others are looked up.
        std::error_code typeError;
        if (!entries->is_regular_file(typeError))
        {
            std::error_code statusError;
            const std::filesystem::file_status status = entries->status(statusError);
            const bool targetMissing = statusError || status.type() == std::filesystem::file_type::not_found;
            if (!targetMissing)
                continue;
        }
        std::string name = Utf8FromPath(entries->path().filename());
        if (!HasExtension(name, kIffExtension) && !HasExtension(name, kFarExtension))
            continue;
        std::string path = folder;
        path += kPathSeparator;
        path += name;
        found.push_back({std::move(path), std::move(name)});
    }
    std::sort(found.begin(), found.end(), [](const CFoundFile& a, const CFoundFile& b) { return a.name < b.name; });
    return found;
}

void ShowError(CUserPrompt& prompt, const std::string& text)
{
    prompt.ShowMessage(text, kErrorCaption);
}

void ShowReadFailure(CUserPrompt& prompt, const CReadWords& words, const std::string& message)
{
    for (const CReadFailureMessage& shown : ReadFailureMessages(words, message))
        prompt.ShowMessage(shown.text, shown.caption);
}

void AppendAndIndex(CNeededFiles& files, CNeededFiles::CPrepared&& prepared, const std::string& name,
                    CUserPrompt& prompt)
{
    try
    {
        files.Add(std::move(prepared), name);
    }
    catch (const std::bad_alloc&)
    {
        ShowError(prompt, LooseFileReadMessage(EIffRead::NoMemory));
    }
}

// What reading one file or member came to, made beside the loading thread: the prompt and the
// lists are only touched when its turn comes.
struct CReadResult
{
    bool attempted = false;  // false: an entry not read ahead
    std::optional<EFileOpenError> openError;
    EIffRead code = EIffRead::Ok;
    CReadWords words;
    std::optional<CNeededFiles::CPrepared> prepared;
};

// Files and members read ahead of the one being added: enough to keep both cores busy, few enough
// that a stop wastes little.
constexpr std::size_t kReadAhead = 8;

CReadResult ReadLooseFile(const CFoundFile& file)
{
    CReadResult result;
    result.attempted = true;
    CFileStream stream;
    if (!stream.Open(file.path, CFileStream::EMode::Read))
    {
        result.openError = stream.LastOpenError();
        return result;
    }
    CIffFile container;
    const bool read = container.Read(&stream, result.code, &result.words);
    stream.Close();
    if (read && result.code == EIffRead::Ok)
        result.prepared = CNeededFiles::Prepare(std::move(container));
    return result;
}

void AddLooseFile(const CFoundFile& file, CReadResult&& result, CNeededFiles& files, CUserPrompt& prompt)
{
    if (result.openError)
    {
        ShowError(prompt, FileOpenErrorMessage(*result.openError, file.path));
        return;
    }
    if (!result.prepared)
    {
        ShowReadFailure(prompt, result.words, LooseFileReadMessage(result.code));
        return;
    }
    AppendAndIndex(files, std::move(*result.prepared), file.name, prompt);
}

CReadResult ReadMember(const std::shared_ptr<CImageBytes>& bytes, std::uint32_t offset, std::uint32_t length)
{
    CReadResult result;
    result.attempted = true;
    CIffFile container;
    bool read = false;
    // A member whose bytes lie outside the archive is a damaged archive: an I/O error.
    if (std::uint64_t(offset) + length > bytes->Size())
        result.code = EIffRead::IoError;
    else
        read = container.ReadView(bytes, offset, length, result.code, &result.words);
    if (read && result.code == EIffRead::Ok)
    {
        // A decoded member has its own image; shared, a copy taken of the container later does
        // not copy its bytes.
        (void)container.ShareImage();
        result.prepared = CNeededFiles::Prepare(std::move(container));
    }
    return result;
}

// File names hashed and compared as Windows compares them: ASCII letters without regard to case.
std::uint64_t FileNameHash(std::string_view name)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : name)
    {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        hash = (hash ^ std::uint8_t(c)) * 1099511628211ull;
    }
    return hash;
}

// A set of names that point elsewhere (into a directory, or into the lists), in one block of
// slots: a few bytes per name, and no allocation per name. It grows only when more than half
// full, which names of one hash group reach only by design.
class CFileNameSet
{
public:
    explicit CFileNameSet(std::size_t slots) : m_slots(slots) {}
    // Adds the name unless a name the same but for case is there; false when it was.
    bool Insert(std::string_view name, std::uint64_t hash)
    {
        std::string_view& slot = Find(name, hash);
        if (slot.data() != nullptr)
            return false;
        // An empty name still needs a pointer, to tell its slot from a free one.
        slot = name.data() == nullptr ? std::string_view("", 0) : name;
        if (++m_used * 2 > m_slots.size())
            Grow();
        return true;
    }
    bool Contains(std::string_view name, std::uint64_t hash) const
    {
        return const_cast<CFileNameSet*>(this)->Find(name, hash).data() != nullptr;
    }
    void Clear()
    {
        std::fill(m_slots.begin(), m_slots.end(), std::string_view());
        m_used = 0;
    }

private:
    std::string_view& Find(std::string_view name, std::uint64_t hash)
    {
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t at = std::size_t(hash >> 20) & mask;; at = (at + 1) & mask)
            if (m_slots[at].data() == nullptr || SameFileName(m_slots[at], name))
                return m_slots[at];
    }
    void Grow()
    {
        std::vector<std::string_view> old(m_slots.size() * 2);
        old.swap(m_slots);
        for (const std::string_view name : old)
            if (name.data() != nullptr)
                Find(name, FileNameHash(name)) = name;
    }

    std::vector<std::string_view> m_slots;
    std::size_t m_used = 0;
};

// One range of the archive's bytes that its directory names as an IFF file: read once, however
// many entries name it.
struct CMemberRead
{
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    CReadResult result;
    std::size_t reportAt = SIZE_MAX;  // the first entry that would have loaded it, had it read
};

// Which of the archive's entries are listed, one bit each. Loose files win over members of the
// same name, and earlier archives and entries over later ones. A member's whole name is compared:
// one kept in a folder of the archive loads even when a file of its name part already did.
// Lookups walk the index in load order, so the earlier file still answers for that name. A name
// whose member failed to read does not count as loaded.
//
// The names already listed are not copied: they are sorted into a few groups by their hash and
// each group is checked in a walk of its own, so that the set held at once stays a small part of
// the archive's size however many names its directory gives.
std::vector<std::uint64_t> ListedEntries(const CFarDirectory& directory, std::size_t iffEntries,
                                         std::size_t standaloneEntries, std::size_t archiveBytes,
                                         const CNeededFiles& files,
                                         const std::unordered_map<std::uint64_t, std::size_t>& readOf,
                                         std::vector<CMemberRead>& reads)
{
    std::vector<std::uint64_t> listed((directory.Size() + 63) / 64, 0);
    // Only a name added by a caller can hold a separator; a member's whole name is checked
    // against those alone.
    std::vector<std::string_view> foldered;
    for (const std::string_view name : files.Names())
        if (MemberNamePart(name).size() != name.size())
            foldered.push_back(name);
    const auto folderedLoaded = [&](std::string_view name) {
        return std::any_of(foldered.begin(), foldered.end(),
                           [name](std::string_view loaded) { return SameFileName(loaded, name); });
    };

    // The block of slots is a power of two, a thirty-second part of the archive or 16 KiB, and
    // no larger than the names need. A group fills about a third of it, so that none comes near
    // the half at which the set would grow.
    // Where every entry sits in a folder, none is checked against the set, and one walk does.
    const bool checked = standaloneEntries > 0;
    const std::size_t budget = std::max<std::size_t>(16 << 10, archiveBytes / 32) / sizeof(std::string_view);
    const std::size_t names = files.Count() + iffEntries;
    std::size_t slots = 64;
    while (checked && slots * 2 <= budget && slots < 3 * names)
        slots *= 2;
    const std::size_t groups = checked ? std::max<std::size_t>(1, (3 * names + slots - 1) / slots) : 1;
    CFileNameSet seen(slots);
    for (std::size_t group = 0; group < groups; ++group)
    {
        seen.Clear();
        if (checked)
            for (const std::string_view name : files.Names())
                if (const std::uint64_t hash = FileNameHash(name); hash % groups == group)
                    seen.Insert(name, hash);
        CFarDirectory::CCursor cursor = directory.CursorAt(0);
        for (; cursor.Index() < directory.Size(); cursor.Next())
        {
            const CFarDirectoryEntry entry = cursor.Entry();
            if (!HasExtension(entry.name, kIffExtension))
                continue;
            const std::string_view part = MemberNamePart(entry.name);
            const std::uint64_t hash = FileNameHash(part);
            if (hash % groups != group)
                continue;
            const bool inFolder = part.size() != entry.name.size();
            const bool loaded = inFolder ? folderedLoaded(entry.name) : seen.Contains(part, hash);
            if (loaded)
                continue;
            CMemberRead& read = reads[readOf.at(std::uint64_t(entry.offset) << 32 | entry.length2)];
            if (read.result.prepared)
            {
                listed[cursor.Index() / 64] |= std::uint64_t(1) << (cursor.Index() % 64);
                if (checked)
                    seen.Insert(part, hash);
            }
            else
                read.reportAt = std::min(read.reportAt, cursor.Index());
        }
    }
    return listed;
}

void ReadArchive(const CFoundFile& file, CNeededFiles& files, CUserPrompt& prompt)
{
    CFileStream stream;
    if (!stream.Open(file.path, CFileStream::EMode::Read))
    {
        ShowError(prompt, FileOpenErrorMessage(stream.LastOpenError(), file.path));
        return;
    }
    // The archive's bytes are read once (mapped where the system can); its directory is walked
    // where it lies in them, and every member is a view of them: no copy per member or per name.
    auto bytes = std::make_shared<CImageBytes>();
    const bool read = stream.ReadImage(0, static_cast<std::size_t>(stream.Length()), *bytes) == EImageRead::Ok;
    stream.Close();
    CFarDirectory directory;
    if (!read || !directory.Open(std::span<const std::uint8_t>(bytes->Data(), bytes->Size())))
    {
        ShowError(prompt, kFarOpenFailedMessage);
        return;
    }

    // Each range of bytes that an IFF entry names is read once, in the order the directory first
    // names them, beside the reading of the next.
    std::vector<CMemberRead> reads;
    std::unordered_map<std::uint64_t, std::size_t> readOf;
    std::size_t iffEntries = 0;
    std::size_t standaloneEntries = 0;
    for (CFarDirectory::CCursor cursor = directory.CursorAt(0); cursor.Index() < directory.Size(); cursor.Next())
    {
        const CFarDirectoryEntry entry = cursor.Entry();
        if (!HasExtension(entry.name, kIffExtension))
            continue;
        ++iffEntries;
        standaloneEntries += MemberNamePart(entry.name).size() == entry.name.size() ? 1 : 0;
        if (readOf.emplace(std::uint64_t(entry.offset) << 32 | entry.length2, reads.size()).second)
            reads.push_back({entry.offset, entry.length2, {}, SIZE_MAX});
    }
    COrderedReadAhead<CReadResult>::Run(
        reads.size(), kReadAhead, [&](std::size_t i) { return ReadMember(bytes, reads[i].offset, reads[i].length); },
        [&](std::size_t i, CReadResult&& result) {
            reads[i].result = std::move(result);
            return true;
        });

    std::vector<std::uint64_t> listed = ListedEntries(directory, iffEntries, standaloneEntries, bytes->Size(), files, readOf, reads);

    // A member that failed to read is reported once, where its first name would have loaded.
    std::vector<const CMemberRead*> failed;
    for (const CMemberRead& member : reads)
        if (member.reportAt != SIZE_MAX)
            failed.push_back(&member);
    std::sort(failed.begin(), failed.end(),
              [](const CMemberRead* a, const CMemberRead* b) { return a->reportAt < b->reportAt; });
    for (const CMemberRead* member : failed)
        ShowReadFailure(prompt, member->result.words, FarMemberReadMessage(member->result.code));

    std::vector<CNeededFiles::CArchiveMember> members;
    members.reserve(reads.size());
    for (CMemberRead& member : reads)
        if (member.result.prepared)
            members.push_back({member.offset, member.length, std::move(*member.result.prepared)});
    reads.clear();
    try
    {
        files.AddArchive(bytes, directory, std::move(listed), std::move(members));
    }
    catch (const std::bad_alloc&)
    {
        ShowError(prompt, LooseFileReadMessage(EIffRead::NoMemory));
    }
}

void RunLoad(CLoadProgress& progress, const std::string& gameDataFolder, CUserPrompt& prompt)
{
    CNeededFiles* files = progress.Files();
    if (files == nullptr)
    {
        progress.RequestStop();
        return;
    }
    files->Clear();
    progress.SetPosition(0);
    progress.SetStatus("Finding files...");
    const std::string folder = GlobalFolderPath(gameDataFolder);
    if (progress.StopRequested())
        return;

    const std::vector<CFoundFile> found = FindNeededFiles(folder);
    const std::int64_t count = static_cast<std::int64_t>(found.size());
    std::int64_t handled = 0;
    if (progress.StopRequested())
        return;
    progress.SetPosition(0);
    progress.SetStatus("Reading files...");

    // Whole-number arithmetic on the count itself: a step truncated before it is multiplied
    // would stop short of 100, and stand at 0 throughout beyond 100 files.
    auto fileHandled = [&] {
        ++handled;
        progress.SetHandledPosition(static_cast<int>(handled * 100 / count));
    };

    std::vector<const CFoundFile*> looseFiles;
    for (const CFoundFile& file : found)
        if (HasExtension(file.name, kIffExtension))
            looseFiles.push_back(&file);
    // Each file is read, and its scripts listed, beside the adding of the one before; messages,
    // progress and stops still come file by file, in order.
    bool stopped = progress.StopRequested();
    COrderedReadAhead<CReadResult>::Run(
        stopped ? 0 : looseFiles.size(), kReadAhead, [&](std::size_t i) { return ReadLooseFile(*looseFiles[i]); },
        [&](std::size_t i, CReadResult&& result) {
            progress.SetStatus("Reading " + looseFiles[i]->name);
            AddLooseFile(*looseFiles[i], std::move(result), *files, prompt);
            stopped = progress.StopRequested();
            if (!stopped)
                fileHandled();
            stopped = stopped || progress.StopRequested();
            return !stopped;
        });
    if (stopped)
        return;

    for (const CFoundFile& file : found)
    {
        if (!HasExtension(file.name, kFarExtension))
            continue;
        if (progress.StopRequested())
            return;
        progress.SetStatus("Reading " + file.name);
        ReadArchive(file, *files, prompt);
        if (progress.StopRequested())
            return;
        fileHandled();
    }

    // The same flag that Cancel sets tells the watcher that the load is complete.
    progress.RequestStop();
}
}

std::string CLoadProgress::Status() const
{
    std::lock_guard<std::mutex> lock(m_statusMutex);
    return m_status;
}

void CLoadProgress::SetStatus(const std::string& status)
{
    {
        std::lock_guard<std::mutex> lock(m_statusMutex);
        m_status = status;
    }
    if (m_statusHook)
        m_statusHook(status);
}

void CLoadProgress::SetHandledPosition(int position)
{
    SetPosition(position);
    if (m_fileHandledHook)
        m_fileHandledHook(position);
}

void RunNeededFilesLoad(CLoadProgress& progress, const std::string& gameDataFolder, CUserPrompt& prompt)
{
    progress.SetWorkerEnded(false);
    try
    {
        RunLoad(progress, gameDataFolder, prompt);
    }
    catch (const std::bad_alloc&)
    {
        // An exception must not leave the worker's thread; what was loaded so far stays usable.
        ShowError(prompt, LooseFileReadMessage(EIffRead::NoMemory));
        progress.RequestStop();
    }
    catch (const std::exception& error)
    {
        ShowError(prompt, std::string("Loading the global files stopped: ") + error.what());
        progress.RequestStop();
    }
    catch (...)
    {
        ShowError(prompt, "Loading the global files stopped.");
        progress.RequestStop();
    }
    progress.SetWorkerEnded(true);
}

void LoadNeededFiles(CNeededFiles& files, const std::string& gameDataFolder, CUserPrompt& prompt)
{
    CLoadProgress progress;
    progress.SetFiles(&files);
    RunNeededFilesLoad(progress, gameDataFolder, prompt);
}

std::string GlobalFolderPath(const std::string& gameDataFolder)
{
    std::string folder = gameDataFolder;
    // The registry's folder ends with a separator; one typed on a command line often does not.
    if (!folder.empty() && !IsSeparator(folder.back()))
        folder += kPathSeparator;
    return folder + kGlobalSubfolder;
}
