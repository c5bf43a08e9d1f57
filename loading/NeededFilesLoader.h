#pragma once

#include "rendering/NeededFiles.h"

#include "containers/ByteStream.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

class CUserPrompt;

/// The block that the loader's worker shares with whoever watches it (the loading dialog's timer,
/// the command-line tool): the state to fill, the position, the status line and the stop flag.
/// Position, status and stop flag may be read from one thread while the worker writes them.
class CLoadProgress
{
public:
    /// The state the next load empties and fills; set before the worker starts.
    void SetFiles(CNeededFiles* files) { m_files = files; }
    CNeededFiles* Files() const { return m_files; }

    /// The progress position, 0 to 100.
    int Position() const { return m_position.load(); }
    void SetPosition(int position) { m_position.store(position); }

    /// A copy of the status line, never torn by the worker replacing it meanwhile.
    std::string Status() const;
    /// Replaces the status line and tells the status hook.
    void SetStatus(const std::string& status);

    /// Asks the worker to stop at its next check between files; the worker sets it too when it
    /// has finished, so a set flag with an ended worker means the load is over.
    void RequestStop() { m_stop.store(true); }
    void ClearStop() { m_stop.store(false); }
    bool StopRequested() const { return m_stop.load(); }

    /// True once the worker has returned from its last step, whichever way it ended.
    bool WorkerEnded() const { return m_workerEnded.load(); }
    void SetWorkerEnded(bool ended) { m_workerEnded.store(ended); }

    /// Sets the position reached after a handled file and tells the file hook.
    void SetHandledPosition(int position);

    /// Called on the worker's thread after each handled file, with the position just set. Set the
    /// hooks before the worker starts; a hook may call RequestStop.
    void SetFileHandledHook(std::function<void(int position)> hook) { m_fileHandledHook = std::move(hook); }
    /// Called on the worker's thread with every new status line.
    void SetStatusHook(std::function<void(const std::string& status)> hook) { m_statusHook = std::move(hook); }

private:
    CNeededFiles* m_files = nullptr;
    std::atomic<int> m_position{0};
    mutable std::mutex m_statusMutex;
    std::string m_status;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_workerEnded{false};
    std::function<void(int)> m_fileHandledHook;
    std::function<void(const std::string&)> m_statusHook;
};

/// The loader's whole procedure, run on the worker thread: empties the progress block's state,
/// searches the global folder below `gameDataFolder` for IFF and FAR files, reads the loose IFF
/// files and then the IFF members of the archives (skipping names already loaded), appending and
/// indexing each, and reports every failure through `prompt` with the caption "Error" (a member
/// that fails to read once, however many names the archive gives it). The stop
/// flag is checked only between files; what was loaded before a stop stays. On return the stop
/// flag is set when the load ran to its end and the block is marked as ended. Throws nothing.
void RunNeededFilesLoad(CLoadProgress& progress, const std::string& gameDataFolder, CUserPrompt& prompt);

/// Loads the global files into `files` on the calling thread, for callers without a window.
void LoadNeededFiles(CNeededFiles& files, const std::string& gameDataFolder, CUserPrompt& prompt);

/// The folder the loader searches: the game data folder followed by GameData/Global.
std::string GlobalFolderPath(const std::string& gameDataFolder);
