// One libFuzzer entry point, built once per check: TREEWRIGHT_FUZZ_CHECK names the check.
#include "FuzzChecks.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#ifndef TREEWRIGHT_FUZZ_CHECK
#error "TREEWRIGHT_FUZZ_CHECK must name a check of FuzzChecks.h"
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string failure = TREEWRIGHT_FUZZ_CHECK(std::span<const std::uint8_t>(data, size));
    if (!failure.empty())
    {
        // A broken property is a finding like a crash: abort so that libFuzzer saves the input.
        std::fprintf(stderr, "Broken property: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
