#include "GraphLayoutWorker.h"

#include <condition_variable>
#include <mutex>
#include <thread>

// Shared by the owner and the thread, which may outlive the owner by the layout it is finishing.
struct CGraphLayoutWorker::CShared
{
    std::mutex mutex;
    std::condition_variable wake;
    unsigned counter = 0;  // the number of the last request made
    unsigned latest = 0;   // the number of the request whose result is wanted; 0: none
    std::optional<std::pair<unsigned, CScriptGraph>> pending;
    std::optional<CResult> done;
    bool stopping = false;

    void Run()
    {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;)
        {
            wake.wait(lock, [this] { return stopping || pending.has_value(); });
            if (stopping)
                return;
            auto [request, graph] = std::move(*pending);
            pending.reset();
            lock.unlock();
            CResult result;
            result.request = request;
            auto laid = LayOutGraph(graph);
            result.laidOut = laid.Ok();
            if (laid)
                result.layout = std::move(laid).Value();
            else
                result.error = GraphFailureText(laid.Failure());
            result.graph = std::move(graph);
            lock.lock();
            if (request == latest)
                done = std::move(result);
        }
    }
};

CGraphLayoutWorker::CGraphLayoutWorker() : m_shared(std::make_shared<CShared>())
{
    std::thread([shared = m_shared] { shared->Run(); }).detach();
}

CGraphLayoutWorker::~CGraphLayoutWorker()
{
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->stopping = true;
    m_shared->latest = 0;
    m_shared->wake.notify_all();
}

unsigned CGraphLayoutWorker::Request(CScriptGraph graph)
{
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    unsigned& counter = m_shared->counter;
    const unsigned request = ++counter == 0 ? ++counter : counter;
    m_shared->latest = request;
    m_shared->pending.emplace(request, std::move(graph));
    m_shared->done.reset();
    m_shared->wake.notify_all();
    return request;
}

void CGraphLayoutWorker::Cancel()
{
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->latest = 0;
    m_shared->pending.reset();
    m_shared->done.reset();
}

bool CGraphLayoutWorker::Busy() const
{
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->latest != 0 && !m_shared->done.has_value();
}

std::optional<CGraphLayoutWorker::CResult> CGraphLayoutWorker::TakeResult()
{
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    std::optional<CResult> result = std::move(m_shared->done);
    m_shared->done.reset();
    if (result.has_value())
        m_shared->latest = 0;
    return result;
}
