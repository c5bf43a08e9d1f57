#include "ArithmeticDecoder.h"

#include "ImageBytes.h"
#include "UserPrompt.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
// frequencies of the indices after it; index 0's is the total.
//
// The indices lie in blocks of sixteen. Each block keeps its cumulative frequencies relative to
// its last index (`m_relative`), and a short table keeps every block's last cumulative frequency
// (`m_blockBase`). An update then adds one to part of one block and to the bases of the blocks
// before it, a fixed handful of sixteen-wide adds; keeping the cumulative frequencies whole
// meant adding to every block below the symbol, a loop as long as the symbol's index whose
// length the processor could not guess. A search compares all bases at once to name the block
// and all of that block's entries at once to name the index. The published decoder's linear walk
// and its update loop were two thirds of its time.
class CAdaptiveModel
{
public:
    CAdaptiveModel()
    {
        m_indexToByte[0] = 0;
        for (int b = 0; b < kByteSymbols; ++b)
            m_indexToByte[b + 1] = std::uint8_t(b);
        for (auto& f : m_frequency)
            f = 0;
        // Index 0 is no symbol. As the largest frequency it stops the count of the indices whose
        // frequency is above the symbol's at index 1.
        m_frequency[0] = kAboveAnyCount;
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
        // A target outside the total cannot arise from a consistent coder state; it takes the
        // last block's search, which ends at index 1's block just the same.
        const std::uint16_t t = std::uint16_t(std::min(target, m_total - 1));
        // The bases fall with the block; the first not above the target is the block in which
        // the index lies (the last real block's base is 0, so there always is one).
        const int block = LeadingAbove32(m_blockBase, t);
        const std::uint16_t base = m_blockBase[block];
        const int symbol = block * kBlock + LeadingAbove16(m_relative + block * kBlock, std::uint16_t(t - base));
        below = base + m_relative[symbol];
        above = below + m_frequency[symbol];
        return symbol;
    }

    void Update(int symbol)
    {
        if (m_total >= kMaxFrequency)
        {
            for (int i = 1; i <= kSymbolCount; ++i)
                m_frequency[i] = std::uint16_t((m_frequency[i] + 1) / 2);
            Rebuild();
        }
        // The lowest index with the symbol's frequency, often the symbol itself. Frequencies do
        // not rise with the index, so the indices of one frequency are a run, and the table of
        // each run's first index changes only at the two runs the increment touches. It took the
        // place of a wide search through the frequencies, which the next symbol's search had to
        // wait for through the sums it updates.
        const std::uint16_t frequency = m_frequency[symbol];
        const int i = m_firstOfFrequency[frequency];
        // The encoder's byte-to-index table changes alongside; decoding needs only this one.
        std::swap(m_indexToByte[i], m_indexToByte[symbol]);
        m_frequency[i] = std::uint16_t(frequency + 1);
        m_firstOfFrequency[frequency] = std::uint16_t(i + 1);
        // i starts the run of the new frequency unless the index before it has that frequency
        // already; written without a branch (a spare entry takes the write otherwise), as which
        // way it goes is a coin toss on object images.
        const bool startsRun = m_frequency[i - 1] != frequency + 1;
        m_firstOfFrequency[startsRun ? frequency + 1 : kSpareEntry] = std::uint16_t(i);
        // Every add writes whole blocks where the search reads them: a narrow write read back
        // by a wide read waits for the write to reach the cache (a tenth slower, measured).
        const int iBlock = int(unsigned(i) / kBlock);
        const int inBlock = int(unsigned(i) % kBlock);
        // The cumulative frequencies of the indices before i grow by one: those of its own
        // block before it, and the bases of the blocks before its own.
        AddOnes(m_relative + iBlock * kBlock, kOnes + kBlock - inBlock);
        AddOnes(m_blockBase, kOnes + kBlock - std::min(iBlock, kBlock));
        AddOnes(m_blockBase + kBlock, kOnes + kBlock - std::max(iBlock - kBlock, 0));
        ++m_total;
    }

private:
    static constexpr int kBlock = 16;
    // Index 0 and the 257 indices in 17 blocks, padded with zero frequencies, and a block of
    // zeros after them.
    static constexpr int kBlocks = 18;
    static constexpr int kTableSize = kBlocks * kBlock;
    // Above every count (the total stays below 16384) and still positive as a signed 16-bit
    // number, which the compares take.
    static constexpr std::uint16_t kAboveAnyCount = 0x7FFF;

    // Sixteen ones and then sixteen zeros: from offset 16 - n, the first n of sixteen get one.
    static constexpr std::uint16_t kOnes[2 * kBlock] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                                        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    // How many of sixteen falling entries, from the first, are above `value`: the position of
    // the first that is not. One compare of all sixteen (SSE2 is part of every x86-64; the
    // loop, which compilers do not turn into the same few instructions, serves elsewhere).
    static int LeadingAbove16(const std::uint16_t* entries, std::uint16_t value)
    {
#if defined(__SSE2__)
        return std::countr_one(AboveMask(entries, value));
#else
        int count = 0;
        for (int k = 0; k < kBlock; ++k)
            count += entries[k] > value ? 1 : 0;
        return count;
#endif
    }

    static int LeadingAbove32(const std::uint16_t* entries, std::uint16_t value)
    {
#if defined(__SSE2__)
        return std::countr_one(AboveMask(entries, value) | (AboveMask(entries + kBlock, value) << 16));
#else
        return LeadingAbove16(entries, value) + LeadingAbove16(entries + kBlock, value);
#endif
    }

#if defined(__SSE2__)
    static std::uint32_t AboveMask(const std::uint16_t* entries, std::uint16_t value)
    {
        const __m128i limit = _mm_set1_epi16(std::int16_t(value));
        const __m128i low = _mm_cmpgt_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(entries)), limit);
        const __m128i high = _mm_cmpgt_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(entries + 8)), limit);
        return std::uint32_t(_mm_movemask_epi8(_mm_packs_epi16(low, high)));
    }
#endif

    static void AddOnes(std::uint16_t* entries, const std::uint16_t* ones)
    {
        for (int k = 0; k < kBlock; ++k)
            entries[k] = std::uint16_t(entries[k] + ones[k]);
    }

    void Rebuild()
    {
        std::uint16_t cumulative[kTableSize] = {};
        std::uint32_t sum = 0;
        for (int i = kTableSize - 1; i >= 0; --i)
        {
            cumulative[i] = std::uint16_t(sum);
            sum += i > 0 ? m_frequency[i] : 0;
        }
        m_total = cumulative[0];
        for (int i = kSymbolCount; i >= 1; --i)
            m_firstOfFrequency[m_frequency[i]] = std::uint16_t(i);
        for (auto& b : m_blockBase)
            b = 0;
        for (int b = 0; b < kBlocks; ++b)
        {
            m_blockBase[b] = cumulative[b * kBlock + kBlock - 1];
            for (int k = 0; k < kBlock; ++k)
                m_relative[b * kBlock + k] = std::uint16_t(cumulative[b * kBlock + k] - m_blockBase[b]);
        }
    }

    alignas(32) std::uint16_t m_relative[kTableSize];
    alignas(32) std::uint16_t m_frequency[kTableSize];
    // Each block's cumulative frequency at its last index, then zeros.
    alignas(32) std::uint16_t m_blockBase[2 * kBlock];
    // The first index of each frequency that some index has (others are stale).
    static constexpr std::uint32_t kSpareEntry = kMaxFrequency + 1;
    std::uint16_t m_firstOfFrequency[kSpareEntry + 1];
    std::uint32_t m_total = 0;
    std::uint8_t m_indexToByte[kTableSize];
};

// The coded bits, read straight from the coded bytes 64 at a time. Within each coded byte the
// least significant bit comes first, so a little-endian word with all its bits reversed holds
// the stream's next bits from the top down; reversing each word as it is taken replaced a
// bit-reversed copy of the whole input (as large again as the coded file). Past the end of the
// coded bytes come filler bytes.
class CBitReader
{
public:
    explicit CBitReader(std::span<const std::uint8_t> coded) : m_bytes(coded.data()), m_codedCount(coded.size())
    {
        Prepare32();
    }

    /// Makes sure that the next 32 bits can be taken.
    void Prepare32()
    {
        if (m_available < 32)
            Refill();
    }

    /// The next `count` bits (0 to 32, no more than prepared), the first taken as the most
    /// significant.
    std::uint32_t Take(unsigned count)
    {
        const std::uint32_t bits = std::uint32_t((m_bits >> 1) >> (63 - count));
        m_bits <<= count;
        m_available -= count;
        return bits;
    }

    /// More bytes' worth of filler taken than a whole stream ever needs.
    bool RanDry() const
    {
        if (m_nextByte <= m_codedCount)
            return false;  // no filler in the buffer yet
        const std::uint64_t bytesTouched = (TakenBits() + 7) / 8;
        return bytesTouched > m_codedCount + kMaxFillerBytes;
    }

    std::uint64_t Consumed() const { return std::min<std::uint64_t>(TakenBits() / 8, m_codedCount); }
    std::uint64_t CodedCount() const { return m_codedCount; }

private:
    std::uint64_t TakenBits() const { return m_nextByte * 8 - m_available; }

    // Tops the buffer up to at least 57 bits. The bits below the count are the stream's next
    // bits too, so taking them again at the next top-up changes nothing.
    void Refill()
    {
        std::uint64_t word;
        if (m_nextByte + 8 <= m_codedCount)
        {
            std::memcpy(&word, m_bytes + m_nextByte, 8);
            if constexpr (std::endian::native == std::endian::big)
                word = SwapBytes(word);
        }
        else
        {
            word = 0;
            for (unsigned k = 0; k < 8; ++k)
            {
                const std::uint64_t at = m_nextByte + k;
                word |= std::uint64_t(at < m_codedCount ? m_bytes[at] : kFillerByte) << (8 * k);
            }
        }
        m_bits |= ReverseBits(word) >> m_available;
        const unsigned bytes = (63 - m_available) / 8;
        m_nextByte += bytes;
        m_available += 8 * bytes;
    }

    static std::uint64_t SwapBytes(std::uint64_t x)
    {
        x = ((x & 0x00FF00FF00FF00FFull) << 8) | ((x >> 8) & 0x00FF00FF00FF00FFull);
        x = ((x & 0x0000FFFF0000FFFFull) << 16) | ((x >> 16) & 0x0000FFFF0000FFFFull);
        return (x << 32) | (x >> 32);
    }

    static std::uint64_t ReverseBits(std::uint64_t x)
    {
        x = ((x & 0x5555555555555555ull) << 1) | ((x >> 1) & 0x5555555555555555ull);
        x = ((x & 0x3333333333333333ull) << 2) | ((x >> 2) & 0x3333333333333333ull);
        x = ((x & 0x0F0F0F0F0F0F0F0Full) << 4) | ((x >> 4) & 0x0F0F0F0F0F0F0F0Full);
        return SwapBytes(x);
    }

    const std::uint8_t* m_bytes;
    std::uint64_t m_codedCount;
    std::uint64_t m_nextByte = 0;
    std::uint64_t m_bits = 0;
    unsigned m_available = 0;
};

CArithmeticDecoder::EResult Report(CArithmeticDecoder::EResult result, CUserPrompt* prompt)
{
    if (prompt == nullptr || result == CArithmeticDecoder::EResult::Ok)
        return result;
    prompt->ShowMessage(result == CArithmeticDecoder::EResult::Failure ? kFailureText : kMemoryFailureText,
                        std::string());
    return result;
}

bool Reserve(CImageBytes& bytes, std::uint64_t capacity)
{
    if (capacity > std::numeric_limits<std::size_t>::max())
        return false;
    return bytes.Empty() ? bytes.Allocate(static_cast<std::size_t>(capacity))
                         : bytes.Reallocate(static_cast<std::size_t>(capacity));
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

CArithmeticDecoder::EResult CArithmeticDecoder::Decode(std::span<const std::uint8_t> coded, CImageBytes& output,
                                                       std::uint64_t initialCapacity, CUserPrompt* prompt) const
{
    output.Reset();
    const std::uint64_t limit = m_maxOutputBytes;
    if (!Reserve(output, std::min(initialCapacity, limit)))
        return Report(EResult::MemoryFailure, prompt);
    auto fail = [&](EResult result) {
        output.Reset();
        return Report(result, prompt);
    };

    CAdaptiveModel model;
    CBitReader bits(coded);
    std::uint32_t value = bits.Take(16);
    std::uint32_t low = 0;
    std::uint32_t high = kTopValue;
    std::uint8_t* out = output.MutableData();
    std::size_t count = 0;
    std::size_t capacity = output.Size();

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

        // The published loop shifts one bit at a time (15% of its time, with the bit reads): out
        // while the top bits of low and high agree (subtracting a half when they are 1), then
        // past the underflow bits while low is 01... and high 10... (subtracting a quarter).
        // Both runs are taken here at once, from the count of equal leading bits.
        // No branch on either count: which way they go is as good as random.
        bits.Prepare32();
        const unsigned agreeing = unsigned(std::countl_zero(std::uint16_t(low ^ high)));
        low = (low << agreeing) & kTopValue;
        high = ((high << agreeing) | ((1u << agreeing) - 1)) & kTopValue;
        value = ((value << agreeing) | bits.Take(agreeing)) & kTopValue;
        const unsigned underflow = unsigned(std::countl_one(std::uint16_t((low << 1) & ~(high << 1))));
        const std::uint32_t rest = kHalf - 1;
        low = (low & kHalf) | ((low << underflow) & rest);
        high = (high & kHalf) | ((high << underflow) & rest) | ((1u << underflow) - 1);
        value = (value & kHalf) | ((value << underflow) & rest) | bits.Take(underflow);

        // A symbol whose decoding needed more filler than a whole stream ever does is not
        // trusted, even the end-of-stream symbol.
        if (bits.RanDry())
            return fail(EResult::Failure);
        if (symbol == kEndOfStream)
            break;

        if (count == capacity)
        {
            if (capacity >= limit)
                return fail(EResult::MemoryFailure);
            const std::uint64_t enlarged = GrownCapacity(capacity, bits.Consumed(), bits.CodedCount(), limit);
            if (!Reserve(output, enlarged))
                return fail(EResult::MemoryFailure);
            out = output.MutableData();
            capacity = output.Size();
        }
        out[count++] = model.ByteOf(symbol);
        model.Update(symbol);
    }
    // Room not used is given back; a large block shrinks where it lies.
    if (!output.Reallocate(count))
        return fail(EResult::MemoryFailure);
    return EResult::Ok;
}

CArithmeticDecoder::EResult CArithmeticDecoder::Decode(std::span<const std::uint8_t> coded,
                                                       std::vector<std::uint8_t>& output, CUserPrompt* prompt)
{
    output.clear();
    CImageBytes decoded;
    const EResult result = Decode(coded, decoded, 2 * std::uint64_t(coded.size()), prompt);
    if (result != EResult::Ok)
    {
        std::vector<std::uint8_t>().swap(output);
        return result;
    }
    try
    {
        output.assign(decoded.Data(), decoded.Data() + decoded.Size());
    }
    catch (const std::exception&)
    {
        std::vector<std::uint8_t>().swap(output);
        return Report(EResult::MemoryFailure, prompt);
    }
    return EResult::Ok;
}

CArithmeticDecoder::EResult CArithmeticDecoder::Decode(CByteStream& input, CByteStream& output, CUserPrompt* prompt)
{
    const std::uint64_t fullLength = input.Length();
    const std::uint64_t position = input.Position();
    const std::uint64_t remaining = fullLength > position ? fullLength - position : 0;
    if (remaining > std::numeric_limits<std::size_t>::max())
        return Report(EResult::MemoryFailure, prompt);

    CImageBytes coded;
    // A stream that holds fewer bytes than it claims gives what it has, as a short read did.
    if (remaining > 0 && input.ReadImage(position, static_cast<std::size_t>(remaining), coded) != EImageRead::Ok)
    {
        if (!coded.Allocate(static_cast<std::size_t>(remaining)) || !input.Seek(position))
            return Report(EResult::MemoryFailure, prompt);
        const std::size_t got = input.Read(coded.MutableData(), coded.Size());
        if (!coded.Reallocate(got))
            return Report(EResult::MemoryFailure, prompt);
    }
    CImageBytes decoded;
    // The output starts with room for twice the whole coded file, header included.
    const std::uint64_t initialCapacity = fullLength > std::numeric_limits<std::uint64_t>::max() / 2
                                              ? std::numeric_limits<std::uint64_t>::max()
                                              : 2 * fullLength;
    const EResult result =
        Decode(std::span<const std::uint8_t>(coded.Data(), coded.Size()), decoded, initialCapacity, prompt);
    coded.Reset();
    if (result != EResult::Ok)
        return result;
    if (!output.Write(decoded.Data(), decoded.Size()))
        return Report(EResult::MemoryFailure, prompt);
    return EResult::Ok;
}
