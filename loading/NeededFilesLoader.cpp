#include "NeededFilesLoader.h"

#include "OrderedReadAhead.h"
#include "ReadMessages.h"

#include "containers/AsciiText.h"
#include "containers/FarArchive.h"
#include "containers/FilePath.h"
#include "containers/IffFile.h"
#include "containers/UserPrompt.h"

#include <algorithm>
#include <exception>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <system_error>
#include <unordered_set>
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

// From the last dot to the end, dot included; empty for a name without a dot. Only ASCII letters
// are folded, so that the result does not depend on the locale the worker runs under.
std::string UpperExtension(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return {};
    return UpperAscii(name.substr(dot));
}

// Archives name their members with backslashes; a slash is taken too, for archives packed by
// tools that wrote the other kind.
std::string MemberNamePart(const std::string& memberName)
{
    const std::size_t cut = memberName.find_last_of("\\/");
    return cut == std::string::npos ? memberName : memberName.substr(cut + 1);
}

// The names loaded so far, upper-cased, for the test of every archive member: a walk over the
// names list for each member grew with the square of the number of files.
class CLoadedNames
{
public:
    bool Contains(const std::string& name) const { return m_names.count(UpperAscii(name)) != 0; }
    void Add(const std::string& name) { m_names.insert(UpperAscii(name)); }

private:
    std::unordered_set<std::string> m_names;
};

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
        const std::string extension = UpperExtension(name);
        if (extension != kIffExtension && extension != kFarExtension)
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
                    CLoadedNames& loaded, CUserPrompt& prompt)
{
    try
    {
        files.Add(std::move(prepared), name);
        loaded.Add(name);
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

void AddLooseFile(const CFoundFile& file, CReadResult&& result, CNeededFiles& files, CLoadedNames& loaded,
                  CUserPrompt& prompt)
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
    AppendAndIndex(files, std::move(*result.prepared), file.name, loaded, prompt);
}

CReadResult ReadMember(const CFarArchive& archive, const std::shared_ptr<CImageBytes>& bytes, const CFarEntry& entry)
{
    CReadResult result;
    result.attempted = true;
    CIffFile container;
    bool read = false;
    // A member whose bytes lie outside the archive is a damaged archive: an I/O error.
    if (!archive.Holds(entry))
        result.code = EIffRead::IoError;
    else
        read = container.ReadView(bytes, entry.offset, entry.length2, result.code, &result.words);
    if (read && result.code == EIffRead::Ok)
    {
        // A decoded member has its own image; shared, a copy taken of the container later does
        // not copy its bytes.
        (void)container.ShareImage();
        result.prepared = CNeededFiles::Prepare(std::move(container));
    }
    return result;
}

void ReadArchive(const CFoundFile& file, CNeededFiles& files, CLoadedNames& loaded, CUserPrompt& prompt)
{
    CFileStream stream;
    if (!stream.Open(file.path, CFileStream::EMode::Read))
    {
        ShowError(prompt, FileOpenErrorMessage(stream.LastOpenError(), file.path));
        return;
    }
    // The directory is read, then the archive's bytes once (mapped where the system can), and
    // every member is a view of them: no copy per member, and a member that many entries name
    // is held once however long the directory is.
    CFarArchive archive;
    auto bytes = std::make_shared<CImageBytes>();
    const bool opened = archive.OpenDirectory(&stream) &&
                        stream.ReadImage(0, static_cast<std::size_t>(stream.Length()), *bytes) == EImageRead::Ok;
    stream.Close();
    if (!opened)
    {
        ShowError(prompt, kFarOpenFailedMessage);
        return;
    }
    const std::vector<CFarEntry>& entries = archive.Entries();
    // Members are read ahead only where their bytes are met for the first time; a later entry of
    // the same bytes normally shares the first one's container.
    using CRange = std::pair<std::uint64_t, std::uint64_t>;
    enum class EEntry : char { NotIff, Iff, IffReadAhead };
    std::vector<EEntry> kinds(entries.size(), EEntry::NotIff);
    {
        std::set<CRange> seen;
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (UpperExtension(entries[i].name) == kIffExtension)
                kinds[i] = seen.emplace(entries[i].offset, entries[i].length2).second ? EEntry::IffReadAhead : EEntry::Iff;
    }
    // Where each range already read went in the list, so that a second name for the same bytes
    // shares its container rather than reading (or, for a coded one, decoding) them again.
    std::map<CRange, std::size_t> readRanges;
    const auto produce = [&](std::size_t i) {
        return kinds[i] == EEntry::IffReadAhead ? ReadMember(archive, bytes, entries[i]) : CReadResult{};
    };
    // A stop waits for the end of the archive, as it waits for the end of a loose file.
    const auto consume = [&](std::size_t i, CReadResult&& result) {
        const CFarEntry& entry = entries[i];
        if (kinds[i] == EEntry::NotIff)
            return true;
        // Loose files win over members of the same name, and earlier archives over later ones.
        // The member's whole name is compared: a member kept in a folder of the archive loads
        // even when a file of its name part already did. Lookups walk the index in load order,
        // so the earlier file still answers for that name.
        if (loaded.Contains(entry.name))
            return true;
        const std::string name = MemberNamePart(entry.name);
        const CRange range(entry.offset, entry.length2);
        const auto same = readRanges.find(range);
        if (same != readRanges.end())
        {
            try
            {
                files.AddSameAs(same->second, name);
                loaded.Add(name);
            }
            catch (const std::bad_alloc&)
            {
                ShowError(prompt, LooseFileReadMessage(EIffRead::NoMemory));
            }
            return true;
        }
        // The first entry of these bytes was passed over: this one reads them.
        if (!result.attempted)
            result = ReadMember(archive, bytes, entry);
        if (!result.prepared)
        {
            ShowReadFailure(prompt, result.words, FarMemberReadMessage(result.code));
            return true;
        }
        const std::size_t before = files.Containers().size();
        AppendAndIndex(files, std::move(*result.prepared), name, loaded, prompt);
        if (files.Containers().size() > before)
            readRanges.emplace(range, before);
        return true;
    };
    COrderedReadAhead<CReadResult>::Run(entries.size(), kReadAhead, produce, consume);
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
    CLoadedNames loaded;
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
        if (UpperExtension(file.name) == kIffExtension)
            looseFiles.push_back(&file);
    // Each file is read, and its scripts listed, beside the adding of the one before; messages,
    // progress and stops still come file by file, in order.
    bool stopped = progress.StopRequested();
    COrderedReadAhead<CReadResult>::Run(
        stopped ? 0 : looseFiles.size(), kReadAhead, [&](std::size_t i) { return ReadLooseFile(*looseFiles[i]); },
        [&](std::size_t i, CReadResult&& result) {
            progress.SetStatus("Reading " + looseFiles[i]->name);
            AddLooseFile(*looseFiles[i], std::move(result), *files, loaded, prompt);
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
        if (UpperExtension(file.name) != kFarExtension)
            continue;
        if (progress.StopRequested())
            return;
        progress.SetStatus("Reading " + file.name);
        ReadArchive(file, *files, loaded, prompt);
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
