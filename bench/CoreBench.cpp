// Throughput of the operations a user waits for: opening and saving a large container, storing
// an edited record into it, indexing the global files, and rendering every line of a script.

#include "SampleFiles.h"

#include "containers/IffFile.h"
#include "records/BhavScript.h"
#include "rendering/CodeTextRenderer.h"
#include "rendering/NeededFiles.h"
#include "rendering/PlainTextRenderer.h"

#include <benchmark/benchmark.h>

#include <random>

namespace
{
// A container about the size of the game's largest global files: many scripts of many lines.
CIffFile MakeLargeContainer(int scripts, int linesEach)
{
    CIffFile container;
    std::mt19937 random(7);
    for (int s = 0; s < scripts; ++s)
    {
        CBhavScript script;
        script.SetName("script " + std::to_string(s));
        for (int line = 0; line < linesEach; ++line)
        {
            CBhavInstruction instruction;
            instruction.opcode = static_cast<std::uint16_t>(random() % 300);
            instruction.trueTarget = static_cast<std::uint8_t>(line + 1 < linesEach ? line + 1 : kTargetTrue);
            for (auto& p : instruction.params)
                p = static_cast<std::uint16_t>(random());
            script.AppendLine(instruction);
        }
        if (!script.Store(container, static_cast<std::uint16_t>(256 + s)))
            break;
    }
    return container;
}

std::vector<std::uint8_t> Saved(CIffFile& container)
{
    CMemoryStream stream;
    if (!container.Write(&stream))
        return {};
    return stream.TakeBytes();
}

void ReadLargeContainer(benchmark::State& state)
{
    CIffFile source = MakeLargeContainer(2000, 60);
    const std::vector<std::uint8_t> bytes = Saved(source);
    for (auto _ : state)
    {
        CMemoryStream stream(bytes);
        CIffFile container;
        EIffRead code = EIffRead::Ok;
        benchmark::DoNotOptimize(container.Read(&stream, code));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(ReadLargeContainer)->Unit(benchmark::kMillisecond);

void WriteLargeContainer(benchmark::State& state)
{
    CIffFile container = MakeLargeContainer(2000, 60);
    for (auto _ : state)
    {
        CMemoryStream stream;
        benchmark::DoNotOptimize(container.Write(&stream));
    }
}
BENCHMARK(WriteLargeContainer)->Unit(benchmark::kMillisecond);

void StoreEditedScript(benchmark::State& state)
{
    // Every store appends to the image, so each round starts from the container as opened.
    const CIffFile opened = MakeLargeContainer(2000, 60);
    CBhavScript script;
    if (!script.Load(opened, 300))
        return state.SkipWithError("the script did not load");
    for (auto _ : state)
    {
        state.PauseTiming();
        CIffFile container = opened;
        state.ResumeTiming();
        benchmark::DoNotOptimize(script.Store(container, 300).Ok());
    }
}
BENCHMARK(StoreEditedScript)->Unit(benchmark::kMicrosecond);

void IndexLargeContainer(benchmark::State& state)
{
    const CIffFile container = MakeLargeContainer(2000, 10);
    for (auto _ : state)
    {
        CNeededFiles files;
        files.Add(container, "Global.iff");
        benchmark::DoNotOptimize(files.Index().size());
    }
}
BENCHMARK(IndexLargeContainer)->Unit(benchmark::kMillisecond);

void RenderPlainText(benchmark::State& state)
{
    CNeededFiles files;
    CIffFile global = MakeLargeContainer(500, 1);
    files.Add(global, "Global.iff");
    const CPlainTextRenderer renderer(files, "Object.iff", "Semi");
    std::mt19937 random(11);
    std::vector<std::array<std::uint16_t, 5>> lines(10000);
    for (auto& line : lines)
        for (auto& value : line)
            value = static_cast<std::uint16_t>(random() % 2 ? random() % 800 : random());
    std::string out;
    for (auto _ : state)
    {
        out.clear();
        for (const auto& l : lines)
            renderer.AppendDescription(out, l[0], l[1], l[2], l[3], l[4]);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * lines.size()));
}
BENCHMARK(RenderPlainText)->Unit(benchmark::kMillisecond);

void RenderCodeText(benchmark::State& state)
{
    std::mt19937 random(13);
    std::vector<std::array<std::uint16_t, 5>> lines(10000);
    for (auto& line : lines)
        for (auto& value : line)
            value = static_cast<std::uint16_t>(random() % 2 ? random() % 64 : random());
    for (auto _ : state)
    {
        std::size_t total = 0;
        for (const auto& l : lines)
            total += FormatCodeInstruction(l[0], l[1], l[2], l[3], l[4]).size();
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * lines.size()));
}
BENCHMARK(RenderCodeText)->Unit(benchmark::kMillisecond);

void BuildSampleObjectFile(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildSampleObject().size());
}
BENCHMARK(BuildSampleObjectFile)->Unit(benchmark::kMicrosecond);
}
