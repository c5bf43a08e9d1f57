#include "ArithmeticDecoder.h"

#include "UserPrompt.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <new>
#include <stdexcept>

namespace
{
// Code values of 16 bits, as in the published coder.
constexpr std::uint32_t kTopValue = 0xFFFF;
constexpr std::uint32_t kFirstQuarter = kTopValue / 4 + 1;
constexpr std::uint32_t kHalf = 2 * kFirstQuarter;

constexpr int kByteSymbols = 256;
constexpr int kEndOfStream = kByteSymbols + 1;
constexpr int kSymbolCount = kByteSymbols + 1;
// Keeps range × cumulative frequency inside 32 bits and every symbol's slice of the smallest
// range (a quarter plus one) at least one code value wide.
constexpr std::uint32_t kMaxFrequency = 16383;

// A well-formed stream is decoded to its end-of-stream symbol with fewer than two bytes' worth
// of invented bits; anything needing more than this many is a cut-off or damaged stream.
constexpr unsigned kMaxFillerBytes = 14;

// Filler byte past the end of the input. All ones, as the published decoder got from EOF (-1):
// the value then settles at the top of the range, where the most frequent byte lies, so a
// cut-off stream runs into the filler limit instead of "finding" the end-of-stream symbol that
// sits at the bottom of the range (all-zero filler would end many cut-off streams as if whole).
constexpr std::uint32_t kFillerByte = 0xFF;

const char kFailureText[] = "FAILURE";
const char kMemoryFailureText[] = "MEMORY FAILURE";

// The adaptive order-0 model. Indices run from 1 to 257 in order of falling frequency (the
// update keeps that order), and the cumulative frequency of index i is the sum of the
// frequencies of the indices after it; index 0's is the total. The sums are kept in a Fenwick tree instead of the
// published flat table, so that finding and counting a symbol take log steps instead of a walk
// over every index above it: the model's answers are the same.
class CAdaptiveModel
{
public:
    CAdaptiveModel()
    {
        m_indexToByte[0] = 0;
        for (int b = 0; b < kByteSymbols; ++b)
            m_indexToByte[b + 1] = std::uint8_t(b);
        // Index 0 is no symbol; its frequency 0 ends the search for equal frequencies at index 1.
        m_frequency[0] = 0;
        for (int i = 1; i <= kSymbolCount; ++i)
            m_frequency[i] = 1;
        Rebuild();
    }

    std::uint32_t Total() const { return m_total; }
    std::uint8_t ByteOf(int index) const { return m_indexToByte[index]; }

    /// The first index whose cumulative frequency is not above `target`, with the cumulative
    /// frequencies of that index (`below`) and of the one before it (`above`).
    int FindSymbol(std::uint32_t target, std::uint32_t& above, std::uint32_t& below) const
    {
        // cumulative[s] <= target  <=>  frequencies of 1..s sum to at least total - target.
        // A target outside the total cannot arise from a consistent coder state; it takes
        // index 1, as the search down the flat table would.
        const std::uint32_t wanted = target < m_total ? m_total - target : 1;
        int position = 0;
        std::uint32_t sum = 0;
        if (m_frequency[1] < wanted)
        {
            // The most frequent bytes sit at the lowest indices, so look among the first
            // sixteen before searching all of them. The steps have no branches: which way the
            // search goes is as good as random.
            const int firstStep = m_tree[kNearSpan] >= wanted ? kNearSpan / 2 : kTreeSize / 2;
            for (int step = firstStep; step > 0; step >>= 1)
            {
                const int next = position + step;
                const std::uint32_t candidate = sum + m_tree[next];
                const bool below = candidate < wanted;
                position = below ? next : position;
                sum = below ? candidate : sum;
            }
        }
        const int symbol = position + 1;
        above = m_total - sum;
        below = above - m_frequency[symbol];
        return symbol;
    }

    void Update(int symbol)
    {
        if (m_total >= kMaxFrequency)
        {
            for (int i = 1; i <= kSymbolCount; ++i)
                m_frequency[i] = (m_frequency[i] + 1) / 2;
            Rebuild();
        }
        // The lowest index with the symbol's frequency; frequencies do not rise with the index.
        const std::uint32_t frequency = m_frequency[symbol];
        int i = symbol;
        if (m_frequency[symbol - 1] == frequency)
        {
            const std::uint32_t* first = m_frequency + 1;
            int length = symbol;
            while (length > 1)
            {
                const int half = length / 2;
                first += first[half - 1] > frequency ? half : 0;
                length -= half;
            }
            i = int(first - m_frequency) + (first[0] > frequency ? 1 : 0);
            // The encoder's byte-to-index table changes alongside; decoding needs only this one.
            std::swap(m_indexToByte[i], m_indexToByte[symbol]);
        }
        ++m_frequency[i];
        ++m_total;
        for (int k = i; k <= kSymbolCount; k += k & -k)
            ++m_tree[k];
    }

private:
    // The tree is padded to a power of two with sums no search can pass, so that the search
    // needs no bounds test.
    static constexpr int kTreeSize = 512;
    static constexpr std::uint32_t kUnreachable = 0x40000000;
    // A power of two, so that its tree entry holds the sum of the frequencies up to it.
    static constexpr int kNearSpan = 16;

    void Rebuild()
    {
        m_tree[0] = 0;
        for (int k = 1; k <= kSymbolCount; ++k)
            m_tree[k] = m_frequency[k];
        for (int k = kSymbolCount + 1; k < kTreeSize; ++k)
            m_tree[k] = kUnreachable;
        for (int k = 1; k <= kSymbolCount; ++k)
        {
            const int parent = k + (k & -k);
            if (parent <= kSymbolCount)
                m_tree[parent] += m_tree[k];
        }
        m_total = 0;
        for (int k = 1; k <= kSymbolCount; ++k)
            m_total += m_frequency[k];
    }

    std::uint32_t m_frequency[kSymbolCount + 1];
    std::uint32_t m_tree[kTreeSize];
    std::uint32_t m_total = 0;
    std::uint8_t m_indexToByte[kSymbolCount + 1];
};

// The coded bits as a copy of the input in which every byte is bit-reversed, so that the
// stream's order (least significant bit of each coded byte first) reads as plain big-endian and
// several bits can be taken at once. Filler bytes follow the copy, enough for the most bits
// that can be taken before the filler limit is noticed.
class CBitReader
{
public:
    static constexpr std::size_t kPadding = kMaxFillerBytes + 18;

    /// Builds the reader's copy; false without memory.
    static bool Prepare(std::vector<std::uint8_t>& bytes)
    {
        if (bytes.size() > bytes.max_size() - kPadding)
            return false;
        try
        {
            bytes.resize(bytes.size() + kPadding, std::uint8_t(kFillerByte));
        }
        catch (const std::exception&)
        {
            return false;
        }
        const auto& reversed = ReversedBytes();
        for (std::size_t i = 0; i + kPadding < bytes.size(); ++i)
            bytes[i] = reversed[bytes[i]];
        return true;
    }

    /// `bytes` as prepared; the last kPadding of them are filler.
    explicit CBitReader(const std::vector<std::uint8_t>& bytes)
        : m_bytes(bytes.data()), m_codedCount(bytes.size() - kPadding)
    {
    }

    /// The next `count` bits (1 to 16), the first taken as the most significant.
    std::uint32_t Take(unsigned count)
    {
        const std::uint8_t* p = m_bytes + (m_bitPosition >> 3);
        const std::uint64_t word = (std::uint64_t(p[0]) << 56) | (std::uint64_t(p[1]) << 48) |
                                   (std::uint64_t(p[2]) << 40) | (std::uint64_t(p[3]) << 32) |
                                   (std::uint64_t(p[4]) << 24) | (std::uint64_t(p[5]) << 16) |
                                   (std::uint64_t(p[6]) << 8) | std::uint64_t(p[7]);
        const std::uint32_t bits = std::uint32_t((word << (m_bitPosition & 7)) >> (64 - count));
        m_bitPosition += count;
        return bits;
    }

    /// More bytes' worth of filler taken than a whole stream ever needs.
    bool RanDry() const
    {
        const std::uint64_t bytesTouched = (m_bitPosition + 7) / 8;
        return bytesTouched > m_codedCount + kMaxFillerBytes;
    }

    std::uint64_t Consumed() const { return std::min<std::uint64_t>(m_bitPosition / 8, m_codedCount); }
    std::uint64_t CodedCount() const { return m_codedCount; }

private:
    static const std::array<std::uint8_t, 256>& ReversedBytes()
    {
        static const std::array<std::uint8_t, 256> table = [] {
            std::array<std::uint8_t, 256> t{};
            for (int b = 0; b < 256; ++b)
            {
                int r = 0;
                for (int bit = 0; bit < 8; ++bit)
                    r |= ((b >> bit) & 1) << (7 - bit);
                t[b] = std::uint8_t(r);
            }
            return t;
        }();
        return table;
    }

    const std::uint8_t* m_bytes;
    std::uint64_t m_codedCount;
    std::uint64_t m_bitPosition = 0;
};

CArithmeticDecoder::EResult Report(CArithmeticDecoder::EResult result, CUserPrompt* prompt)
{
    if (prompt == nullptr || result == CArithmeticDecoder::EResult::Ok)
        return result;
    prompt->ShowMessage(result == CArithmeticDecoder::EResult::Failure ? kFailureText : kMemoryFailureText,
                        std::string());
    return result;
}

void Release(std::vector<std::uint8_t>& bytes)
{
    std::vector<std::uint8_t>().swap(bytes);
}

bool Reserve(std::vector<std::uint8_t>& bytes, std::uint64_t capacity)
{
    if (capacity > bytes.max_size())
        return false;
    try
    {
        bytes.reserve(static_cast<std::size_t>(capacity));
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    catch (const std::length_error&)
    {
        return false;
    }
    return true;
}
}

std::uint64_t CArithmeticDecoder::GrownCapacity(std::uint64_t capacity, std::uint64_t consumed,
                                                std::uint64_t codedCount, std::uint64_t limit)
{
    // At least a quarter more, so that a poor guess near the end does not turn into one copy of
    // the buffer per byte.
    const std::uint64_t least = capacity + std::max<std::uint64_t>(capacity / 4, 4096);
    if (consumed == 0)
        return std::min(least, limit);
    const double estimate = double(capacity) * double(codedCount) / double(consumed);
    const std::uint64_t expected = estimate >= double(limit) ? limit : std::uint64_t(estimate);
    return std::min(std::max(expected, least), limit);
}

CArithmeticDecoder::EResult CArithmeticDecoder::DecodeBytes(std::vector<std::uint8_t>& prepared,
                                                            std::uint64_t initialCapacity,
                                                            std::vector<std::uint8_t>& output,
                                                            CUserPrompt* prompt) const
{
    Release(output);
    const std::uint64_t limit = m_maxOutputBytes;
    if (!Reserve(output, std::min(initialCapacity, limit)))
        return Report(EResult::MemoryFailure, prompt);

    CAdaptiveModel model;
    CBitReader bits(prepared);
    std::uint32_t value = bits.Take(16);
    std::uint32_t low = 0;
    std::uint32_t high = kTopValue;

    for (;;)
    {
        // low <= value <= high holds for any input, so none of this wraps; were it ever not to,
        // unsigned arithmetic keeps every step defined and the symbol inside the model.
        const std::uint32_t range = high - low + 1;
        const std::uint32_t total = model.Total();
        const std::uint32_t target = ((value - low + 1) * total - 1) / range;
        std::uint32_t above = 0;
        std::uint32_t below = 0;
        const int symbol = model.FindSymbol(target, above, below);
        high = low + (range * above) / total - 1;
        low = low + (range * below) / total;

        // The published loop shifts one bit at a time: out while the top bits of low and high
        // agree (subtracting a half when they are 1), then past the underflow bits while low
        // is 01... and high 10... (subtracting a quarter). Both runs are taken here at once.
        const unsigned agreeing = unsigned(std::countl_zero(std::uint16_t(low ^ high)));
        if (agreeing > 0)
        {
            low = (low << agreeing) & kTopValue;
            high = ((high << agreeing) | ((1u << agreeing) - 1)) & kTopValue;
            value = ((value << agreeing) | bits.Take(agreeing)) & kTopValue;
        }
        const unsigned underflow = unsigned(std::countl_one(std::uint16_t((low << 1) & ~(high << 1))));
        if (underflow > 0)
        {
            const std::uint32_t rest = kHalf - 1;
            low = (low & kHalf) | ((low << underflow) & rest);
            high = (high & kHalf) | ((high << underflow) & rest) | ((1u << underflow) - 1);
            value = (value & kHalf) | ((value << underflow) & rest) | bits.Take(underflow);
        }

        // A symbol whose decoding needed more filler than a whole stream ever does is not
        // trusted, even the end-of-stream symbol.
        if (bits.RanDry())
        {
            Release(output);
            return Report(EResult::Failure, prompt);
        }
        if (symbol == kEndOfStream)
            break;

        if (output.size() == output.capacity())
        {
            const std::uint64_t capacity = output.capacity();
            if (capacity >= limit)
            {
                Release(output);
                return Report(EResult::MemoryFailure, prompt);
            }
            const std::uint64_t enlarged = GrownCapacity(capacity, bits.Consumed(), bits.CodedCount(), limit);
            if (!Reserve(output, enlarged))
            {
                Release(output);
                return Report(EResult::MemoryFailure, prompt);
            }
        }
        if (output.size() >= limit)
        {
            Release(output);
            return Report(EResult::MemoryFailure, prompt);
        }
        output.push_back(model.ByteOf(symbol));
        model.Update(symbol);
    }
    return EResult::Ok;
}

CArithmeticDecoder::EResult CArithmeticDecoder::Decode(std::span<const std::uint8_t> coded,
                                                       std::vector<std::uint8_t>& output, CUserPrompt* prompt)
{
    std::vector<std::uint8_t> prepared;
    try
    {
        prepared.assign(coded.begin(), coded.end());
    }
    catch (const std::exception&)
    {
        Release(output);
        return Report(EResult::MemoryFailure, prompt);
    }
    if (!CBitReader::Prepare(prepared))
    {
        Release(output);
        return Report(EResult::MemoryFailure, prompt);
    }
    return DecodeBytes(prepared, 2 * std::uint64_t(coded.size()), output, prompt);
}

CArithmeticDecoder::EResult CArithmeticDecoder::Decode(CByteStream& input, CByteStream& output, CUserPrompt* prompt)
{
    const std::uint64_t fullLength = input.Length();
    const std::uint64_t position = input.Position();
    const std::uint64_t remaining = fullLength > position ? fullLength - position : 0;

    std::vector<std::uint8_t> coded;
    if (remaining > std::numeric_limits<std::size_t>::max())
        return Report(EResult::MemoryFailure, prompt);
    try
    {
        coded.resize(static_cast<std::size_t>(remaining));
    }
    catch (const std::exception&)
    {
        return Report(EResult::MemoryFailure, prompt);
    }
    coded.resize(input.Read(coded.data(), coded.size()));
    if (!CBitReader::Prepare(coded))
        return Report(EResult::MemoryFailure, prompt);

    std::vector<std::uint8_t> decoded;
    // The output starts with room for twice the whole coded file, header included.
    const std::uint64_t initialCapacity = fullLength > std::numeric_limits<std::uint64_t>::max() / 2
                                              ? std::numeric_limits<std::uint64_t>::max()
                                              : 2 * fullLength;
    const EResult result = DecodeBytes(coded, initialCapacity, decoded, prompt);
    if (result != EResult::Ok)
        return result;
    Release(coded);
    if (!output.Write(decoded.data(), decoded.size()))
        return Report(EResult::MemoryFailure, prompt);
    return EResult::Ok;
}
