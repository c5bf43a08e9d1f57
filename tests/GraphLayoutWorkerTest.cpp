#include "graph/GraphLayoutWorker.h"
#include "records/BhavScript.h"
#include "rendering/NeededFiles.h"
#include "rendering/PlainTextRenderer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace
{
CScriptGraph Graph(std::size_t lines)
{
    CBhavScript script;
    for (std::size_t i = 0; i < lines; ++i)
        script.AppendLine({0, std::uint8_t(i + 1 < lines ? i + 1 : kTargetTrue), kTargetFalse, {}});
    static const CNeededFiles files;
    return CScriptGraph::Build(script, CPlainTextRenderer(files, "Object.iff", ""));
}

std::optional<CGraphLayoutWorker::CResult> WaitForResult(CGraphLayoutWorker& worker)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end)
    {
        if (std::optional<CGraphLayoutWorker::CResult> result = worker.TakeResult())
            return result;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return std::nullopt;
}
}

// The worker hands out only the latest request's layout: a request made before it, or cancelled,
// never comes back, even when Graphviz had already finished it.
TEST(GraphLayoutWorker, HandsOutOnlyTheLatestRequestsLayout)
{
    CGraphLayoutWorker worker;
    EXPECT_FALSE(worker.Busy());

    // Not asked whether it is busy at once: a loaded machine may let the worker finish first.
    const unsigned first = worker.Request(Graph(3));
    std::optional<CGraphLayoutWorker::CResult> result = WaitForResult(worker);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->request, first);
    EXPECT_TRUE(result->laidOut) << result->error;
    EXPECT_EQ(result->layout.nodes.size(), result->graph.Nodes().size());
    EXPECT_EQ(result->graph.LineCount(), 3u);
    EXPECT_FALSE(worker.Busy());
    EXPECT_FALSE(worker.TakeResult().has_value()) << "a result is handed out once";

    // A newer request replaces the older, whether or not that one started.
    worker.Request(Graph(40));
    const unsigned latest = worker.Request(Graph(5));
    result = WaitForResult(worker);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->request, latest);
    EXPECT_EQ(result->graph.LineCount(), 5u);

    // Cancelled: nothing comes back, not even once the worker is done with it.
    worker.Request(Graph(40));
    worker.Cancel();
    EXPECT_FALSE(worker.Busy());
    const unsigned after = worker.Request(Graph(2));
    result = WaitForResult(worker);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->request, after);
    EXPECT_EQ(result->graph.LineCount(), 2u);
}
