#pragma once

#include "GraphLayout.h"

#include "rendering/ScriptGraph.h"

#include <memory>
#include <optional>
#include <string>

/// Lays graphs out on a thread of its own, so that a window stays responsive however long
/// Graphviz takes. One request at a time: a new request replaces one that has not started, and a
/// cancelled or replaced request's result is never handed out. Graphviz itself cannot be stopped
/// half-way; a cancelled layout runs to its end on the worker and is then thrown away.
class CGraphLayoutWorker
{
public:
    /// What a finished request gives: its graph with the layout, or why there is none.
    struct CResult
    {
        unsigned request = 0;
        CScriptGraph graph;
        bool laidOut = false;
        CGraphLayout layout;
        std::string error;
    };

    CGraphLayoutWorker();
    /// Does not wait for a layout under way; its result is dropped.
    ~CGraphLayoutWorker();
    CGraphLayoutWorker(const CGraphLayoutWorker&) = delete;
    CGraphLayoutWorker& operator=(const CGraphLayoutWorker&) = delete;

    /// Asks for `graph` to be laid out; gives the request's number.
    unsigned Request(CScriptGraph graph);
    /// Forgets the latest request, pending or under way.
    void Cancel();
    /// Whether the latest request is still waiting for its result.
    bool Busy() const;
    /// The latest request's result once it is ready, once.
    std::optional<CResult> TakeResult();

private:
    struct CShared;
    std::shared_ptr<CShared> m_shared;
};
