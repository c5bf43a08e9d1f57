#include "ArithmeticEncoderForTests.h"

#include "containers/ArithmeticDecoder.h"
#include "containers/ByteOrder.h"
#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "containers/UserPrompt.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<std::uint8_t>;
using EResult = CArithmeticDecoder::EResult;

class CRecordingPrompt : public CUserPrompt
{
public:
    void ShowMessage(const std::string& text, const std::string& caption) override
    {
        messages.push_back(text);
        captions.push_back(caption);
    }
    bool AskYesNo(const std::string&, const std::string&) override { return false; }

    std::vector<std::string> messages;
    std::vector<std::string> captions;
};

// Decodes through the stream interface, the way a container read does.
EResult DecodeStream(const Bytes& coded, Bytes& decoded, CUserPrompt* prompt, std::uint64_t limit = 0)
{
    CMemoryStream input(coded);
    CMemoryStream output;
    CArithmeticDecoder decoder;
    if (limit != 0)
        decoder.SetMaxOutputBytes(limit);
    const EResult result = decoder.Decode(input, output, prompt);
    decoded = output.Bytes();
    return result;
}

Bytes RandomBytes(std::size_t count, std::uint32_t seed, int alphabet)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> value(0, alphabet - 1);
    Bytes bytes(count);
    for (auto& byte : bytes)
        byte = static_cast<std::uint8_t>(value(random));
    return bytes;
}

// A byte distribution like a container image's: mostly zeros and small numbers, some text.
Bytes ImageLikeBytes(std::size_t count, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::discrete_distribution<int> kind({50, 25, 15, 10});
    std::uniform_int_distribution<int> small(1, 15);
    std::uniform_int_distribution<int> letter('A', 'z');
    std::uniform_int_distribution<int> any(0, 255);
    Bytes bytes(count);
    for (auto& byte : bytes)
    {
        switch (kind(random))
        {
        case 0: byte = 0; break;
        case 1: byte = static_cast<std::uint8_t>(small(random)); break;
        case 2: byte = static_cast<std::uint8_t>(letter(random)); break;
        default: byte = static_cast<std::uint8_t>(any(random)); break;
        }
    }
    return bytes;
}

// The decoder as published, one bit and one index at a time, with this program's end-of-input
// rule (filler bits of 1, at most 14 bytes of them). The decoder under test takes several bits
// at once and keeps its sums in a tree; on any input, damaged or not, it must agree with this.
struct SReference
{
    bool ok = false;
    Bytes output;
};

SReference ReferenceDecode(const Bytes& coded)
{
    int cum[258];
    int freq[258];
    std::uint8_t indexToChar[258] = {};
    for (int i = 0; i < 256; i++)
        indexToChar[i + 1] = static_cast<std::uint8_t>(i);
    for (int i = 0; i <= 257; i++)
    {
        freq[i] = 1;
        cum[i] = 257 - i;
    }
    freq[0] = 0;

    std::size_t next = 0;
    int buffer = 0;
    int bitsToGo = 0;
    int garbage = 0;
    bool dry = false;
    auto inputBit = [&]() -> long {
        if (bitsToGo == 0)
        {
            if (next < coded.size())
            {
                buffer = coded[next++];
            }
            else
            {
                buffer = 0xFF;
                if (++garbage > 14)
                    dry = true;
            }
            bitsToGo = 8;
        }
        const int t = buffer & 1;
        buffer >>= 1;
        bitsToGo -= 1;
        return t;
    };

    SReference result;
    long value = 0;
    for (int i = 0; i < 16; i++)
        value = 2 * value + inputBit();
    long low = 0;
    long high = 0xFFFF;
    for (;;)
    {
        const long range = high - low + 1;
        const long target = ((value - low + 1) * cum[0] - 1) / range;
        int symbol = 1;
        while (cum[symbol] > target)
            symbol++;
        high = low + (range * cum[symbol - 1]) / cum[0] - 1;
        low = low + (range * cum[symbol]) / cum[0];
        for (;;)
        {
            if (high < 0x8000)
            {
            }
            else if (low >= 0x8000)
            {
                value -= 0x8000;
                low -= 0x8000;
                high -= 0x8000;
            }
            else if (low >= 0x4000 && high < 0xC000)
            {
                value -= 0x4000;
                low -= 0x4000;
                high -= 0x4000;
            }
            else
            {
                break;
            }
            low = 2 * low;
            high = 2 * high + 1;
            value = 2 * value + inputBit();
        }
        if (dry)
            return result;
        if (symbol == 257)
            break;
        result.output.push_back(indexToChar[symbol]);
        if (cum[0] == 16383)
        {
            int c = 0;
            for (int i = 257; i >= 0; i--)
            {
                freq[i] = (freq[i] + 1) / 2;
                cum[i] = c;
                c += freq[i];
            }
        }
        int i = symbol;
        while (freq[i] == freq[i - 1])
            i--;
        if (i < symbol)
            std::swap(indexToChar[i], indexToChar[symbol]);
        freq[i] += 1;
        while (i > 0)
            cum[--i] += 1;
    }
    result.ok = true;
    return result;
}

Bytes PlainHeader(const char* version)
{
    Bytes header(64, 0);
    const std::string text = std::string("IFF FILE ") + version + ":TYPE FOLLOWED BY SIZE";
    std::memcpy(header.data(), text.data(), text.size());
    return header;
}

void AppendChunk(Bytes& file, const char* type, std::uint16_t id, const std::string& name, const Bytes& data)
{
    const std::size_t at = file.size();
    file.resize(at + 76, 0);
    std::memcpy(&file[at], type, 4);
    WriteBE32(&file[at + 4], static_cast<std::uint32_t>(76 + data.size()));
    WriteBE16(&file[at + 8], id);
    WriteBE16(&file[at + 10], 0x0010);
    std::memcpy(&file[at + 12], name.data(), name.size());
    file.insert(file.end(), data.begin(), data.end());
}

Bytes WriteToBytes(CIffFile& container)
{
    CMemoryStream out;
    EXPECT_TRUE(container.Write(&out));
    return out.Bytes();
}
}

TEST(ArithmeticEncoder, EndOfStreamAloneIsTwoBytes)
{
    // Worked by hand: the end-of-stream symbol takes [0, 255) of the first range, which shifts
    // out eight 0 bits; the closing bits are 0 and its follow bit 1, packed from the low end.
    EXPECT_EQ(EncodeArithmetic({}), (Bytes{0x00, 0x02}));
}

TEST(ArithmeticDecoder, EndOfStreamAloneDecodesToNothing)
{
    CRecordingPrompt prompt;
    Bytes decoded{1, 2, 3};
    EXPECT_EQ(DecodeStream(EncodeArithmetic({}), decoded, &prompt), EResult::Ok);
    EXPECT_TRUE(decoded.empty());
    EXPECT_TRUE(prompt.messages.empty());
}

TEST(ArithmeticDecoder, EveryByteValueOnceRoundTrips)
{
    Bytes plain(256);
    for (int i = 0; i < 256; ++i)
        plain[i] = static_cast<std::uint8_t>(i);
    Bytes decoded;
    EXPECT_EQ(DecodeStream(EncodeArithmetic(plain), decoded, nullptr), EResult::Ok);
    EXPECT_EQ(decoded, plain);

    Bytes backwards(plain.rbegin(), plain.rend());
    EXPECT_EQ(DecodeStream(EncodeArithmetic(backwards), decoded, nullptr), EResult::Ok);
    EXPECT_EQ(decoded, backwards);
}

TEST(ArithmeticDecoder, RandomBuffersRoundTrip)
{
    // Long skewed inputs reach the frequency limit many times, so the halving of the model and
    // the reordering of indices are exercised as well as the plain path.
    struct SCase
    {
        std::size_t count;
        int alphabet;
    };
    const SCase cases[] = {{1, 256}, {2, 2}, {17, 256}, {1000, 256}, {5000, 3}, {70000, 256}, {200000, 16}, {300000, 1}};
    std::uint32_t seed = 1;
    for (const SCase& c : cases)
    {
        SCOPED_TRACE("count " + std::to_string(c.count) + ", alphabet " + std::to_string(c.alphabet));
        const Bytes plain = RandomBytes(c.count, seed++, c.alphabet);
        Bytes decoded;
        CRecordingPrompt prompt;
        EXPECT_EQ(DecodeStream(EncodeArithmetic(plain), decoded, &prompt), EResult::Ok);
        EXPECT_EQ(decoded, plain);
        EXPECT_TRUE(prompt.messages.empty());
    }
    const Bytes image = ImageLikeBytes(250000, 99);
    Bytes decoded;
    EXPECT_EQ(DecodeStream(EncodeArithmetic(image), decoded, nullptr), EResult::Ok);
    EXPECT_EQ(decoded, image);
}

TEST(ArithmeticDecoder, MemoryOverloadMatchesStream)
{
    const Bytes plain = ImageLikeBytes(40000, 5);
    const Bytes coded = EncodeArithmetic(plain);
    CArithmeticDecoder decoder;
    Bytes decoded{9, 9};
    EXPECT_EQ(decoder.Decode(std::span<const std::uint8_t>(coded), decoded), EResult::Ok);
    EXPECT_EQ(decoded, plain);
}

TEST(ArithmeticDecoder, DecodesFromTheStreamPosition)
{
    const Bytes plain = RandomBytes(3000, 7, 40);
    Bytes file(64, 0xEE);
    const Bytes coded = EncodeArithmetic(plain);
    file.insert(file.end(), coded.begin(), coded.end());
    CMemoryStream input(file);
    ASSERT_TRUE(input.Seek(64));
    CMemoryStream output;
    CArithmeticDecoder decoder;
    EXPECT_EQ(decoder.Decode(input, output), EResult::Ok);
    EXPECT_EQ(output.Bytes(), plain);
}

TEST(ArithmeticDecoder, CutOffStreamFailsOnceAndLeavesNoOutput)
{
    for (const std::size_t count : {2000u, 30000u})
    {
        const Bytes plain = ImageLikeBytes(count, static_cast<std::uint32_t>(count));
        Bytes coded = EncodeArithmetic(plain);
        coded.resize(coded.size() / 2);
        CRecordingPrompt prompt;
        Bytes decoded;
        EXPECT_EQ(DecodeStream(coded, decoded, &prompt), EResult::Failure);
        EXPECT_TRUE(decoded.empty());
        EXPECT_EQ(prompt.messages, std::vector<std::string>{"FAILURE"});
        EXPECT_EQ(prompt.captions, std::vector<std::string>{""});
    }
}

TEST(ArithmeticDecoder, StreamWithoutEndSymbolFails)
{
    // No coded bytes at all: only filler, which never yields the end-of-stream symbol.
    CRecordingPrompt prompt;
    Bytes decoded;
    EXPECT_EQ(DecodeStream({}, decoded, &prompt), EResult::Failure);
    EXPECT_EQ(prompt.messages, std::vector<std::string>{"FAILURE"});

    // The last bytes of a whole stream dropped: the closing bits are gone.
    const Bytes plain = RandomBytes(500, 3, 256);
    Bytes coded = EncodeArithmetic(plain);
    coded.resize(coded.size() - 3);
    EXPECT_EQ(DecodeStream(coded, decoded, nullptr), EResult::Failure);
}

TEST(ArithmeticDecoder, ExpandingStreamStopsAtOutputLimit)
{
    // One repeated byte codes at a few hundred bytes per coded byte; the limit, not the
    // memory, must end it.
    const Bytes plain(3'000'000, 0x41);
    const Bytes coded = EncodeArithmetic(plain);
    ASSERT_LT(coded.size(), plain.size() / 100);

    CRecordingPrompt prompt;
    Bytes decoded;
    EXPECT_EQ(DecodeStream(coded, decoded, &prompt, 1'000'000), EResult::MemoryFailure);
    EXPECT_TRUE(decoded.empty());
    EXPECT_EQ(prompt.messages, std::vector<std::string>{"MEMORY FAILURE"});
    EXPECT_EQ(prompt.captions, std::vector<std::string>{""});

    // The limit itself is allowed; one byte more is not.
    EXPECT_EQ(DecodeStream(coded, decoded, nullptr, plain.size()), EResult::Ok);
    EXPECT_EQ(decoded, plain);
    EXPECT_EQ(DecodeStream(coded, decoded, nullptr, plain.size() - 1), EResult::MemoryFailure);
}

TEST(ArithmeticDecoder, OutputRoomFollowsWhatTheCodedBytesCanHold)
{
    constexpr std::uint64_t kLimit = CArithmeticDecoder::kMaxOutputBytes;
    // An empty body (a coded header cut inside its 64 bytes) decodes from filler alone: it once
    // reserved the whole output limit, a gibibyte, for a 29-byte file.
    EXPECT_EQ(CArithmeticDecoder::GrownCapacity(0, 0, 0, kLimit), 4096u);
    EXPECT_EQ(CArithmeticDecoder::GrownCapacity(8192, 0, 0, kLimit), 8192u + 4096u);
    // Otherwise the output expected at the ratio so far, at least a quarter more, at most the limit.
    EXPECT_EQ(CArithmeticDecoder::GrownCapacity(1 << 20, 1000, 4000, kLimit), 4u << 20);
    EXPECT_EQ(CArithmeticDecoder::GrownCapacity(1 << 20, 3990, 4000, kLimit), (1u << 20) + (1u << 18));
    EXPECT_EQ(CArithmeticDecoder::GrownCapacity(1 << 20, 1, kLimit, kLimit), kLimit);
    EXPECT_EQ(CArithmeticDecoder::GrownCapacity(kLimit - 10, 5, 10, kLimit), kLimit);

    // A stream that expands a few hundredfold ends with room near its size, not the limit's.
    const Bytes plain(300'000, 0x41);
    const Bytes coded = EncodeArithmetic(plain);
    CArithmeticDecoder decoder;
    Bytes decoded;
    ASSERT_EQ(decoder.Decode(std::span<const std::uint8_t>(coded), decoded), EResult::Ok);
    EXPECT_EQ(decoded, plain);
    EXPECT_LE(decoded.capacity(), 4 * plain.size());
}

TEST(ArithmeticDecoder, MemoryOverloadEmptiesOutputOnFailure)
{
    Bytes coded = EncodeArithmetic(RandomBytes(4000, 11, 256));
    coded.resize(100);
    CArithmeticDecoder decoder;
    Bytes decoded{1, 2, 3};
    EXPECT_EQ(decoder.Decode(std::span<const std::uint8_t>(coded), decoded), EResult::Failure);
    EXPECT_TRUE(decoded.empty());
}

TEST(ArithmeticDecoder, AgreesWithPublishedDecoderOnAnyBytes)
{
    // Damaged and random inputs, whole and cut streams: same bytes, same verdict. Run under the
    // sanitizers this also shows that the decoder stays inside its exact-size input.
    std::mt19937 random(12345);
    std::vector<Bytes> inputs;
    for (int round = 0; round < 300; ++round)
        inputs.push_back(RandomBytes(random() % 400, static_cast<std::uint32_t>(random()), 1 + int(random() % 256)));
    for (int round = 0; round < 100; ++round)
    {
        Bytes coded = EncodeArithmetic(ImageLikeBytes(random() % 5000, static_cast<std::uint32_t>(random())));
        const int damage = int(random() % 3);
        if (damage == 1)
            coded.resize(random() % (coded.size() + 1));
        else if (damage == 2)
            coded[random() % coded.size()] ^= static_cast<std::uint8_t>(1 + random() % 255);
        inputs.push_back(coded);
    }
    // Long runs of ones and zeros drive the value to the ends of the range.
    inputs.push_back(Bytes(50, 0xFF));
    inputs.push_back(Bytes(50, 0x00));
    int failures = 0;
    for (const Bytes& coded : inputs)
    {
        const SReference expected = ReferenceDecode(coded);
        CArithmeticDecoder decoder;
        Bytes decoded;
        CRecordingPrompt prompt;
        const EResult result = decoder.Decode(std::span<const std::uint8_t>(coded), decoded, &prompt);
        ASSERT_EQ(result == EResult::Ok, expected.ok) << "input of " << coded.size() << " bytes";
        if (expected.ok)
        {
            ASSERT_EQ(decoded, expected.output);
            EXPECT_TRUE(prompt.messages.empty());
        }
        else
        {
            ++failures;
            EXPECT_TRUE(decoded.empty());
            EXPECT_EQ(prompt.messages, std::vector<std::string>{"FAILURE"});
        }
    }
    // Both verdicts must have been seen for the comparison to mean anything.
    EXPECT_GT(failures, 0);
    EXPECT_LT(failures, int(inputs.size()));
}

TEST(CodedIffRead, ReadsDecodedImageAndSavesPlain25WithMap)
{
    Bytes image = PlainHeader("2.5");
    AppendChunk(image, "BHAV", 0x1000, "init", RandomBytes(60, 1, 256));
    AppendChunk(image, "STR#", 0x0080, "names", ImageLikeBytes(300, 2));
    AppendChunk(image, "BHAV", 0x1001, "main", RandomBytes(36, 3, 256));
    const Bytes codedFile = MakeCodedIffFile(image);

    CIffFile coded;
    EIffRead code = EIffRead::Ok;
    CMemoryStream codedStream(codedFile);
    ASSERT_TRUE(coded.Read(&codedStream, code));
    EXPECT_EQ(code, EIffRead::Ok);
    EXPECT_EQ(coded.FileVersion(), 30);
    EXPECT_EQ(coded.Version(), 25);
    ASSERT_EQ(coded.ImageLength(), image.size());
    EXPECT_EQ(0, std::memcmp(coded.Image(), image.data(), image.size()));
    ASSERT_EQ(coded.Chunks().size(), 3u);
    EXPECT_EQ(coded.Chunks()[1].type, kTypeStr);
    EXPECT_EQ(coded.Chunks()[1].name, "names");

    // Saved, the coded file is exactly what its plain image saves as: version 2.5 with a map.
    CIffFile plain;
    CMemoryStream plainStream(image);
    ASSERT_TRUE(plain.Read(&plainStream, code));
    const Bytes saved = WriteToBytes(coded);
    EXPECT_EQ(saved, WriteToBytes(plain));
    ASSERT_GE(saved.size(), 64u + 76u);
    EXPECT_EQ(0, std::memcmp(saved.data(), "IFF FILE 2.5", 12));
    const std::uint32_t mapAt = ReadBE32(&saved[60]);
    ASSERT_LT(mapAt + 4, saved.size());
    EXPECT_EQ(0, std::memcmp(&saved[mapAt], "rsmp", 4));
}

TEST(CodedIffRead, DamagedBodyFailsWithEmptyContainer)
{
    Bytes image = PlainHeader("2.5");
    AppendChunk(image, "BHAV", 0x1000, "init", ImageLikeBytes(5000, 4));
    Bytes codedFile = MakeCodedIffFile(image);
    codedFile.resize(64 + (codedFile.size() - 64) / 2);

    CIffFile container;
    EIffRead code = EIffRead::Ok;
    CRecordingPrompt prompt;
    CMemoryStream stream(codedFile);
    EXPECT_FALSE(container.Read(&stream, code, &prompt));
    EXPECT_NE(code, EIffRead::Ok);
    EXPECT_TRUE(container.Chunks().empty());
    EXPECT_TRUE(container.Types().empty());
    EXPECT_FALSE(container.ReadSucceeded());
    EXPECT_EQ(prompt.messages, std::vector<std::string>{"FAILURE"});
}

TEST(CodedIffRead, DecodedImageThatIsNoContainerFailsAsNotAnIffFile)
{
    // Saving writes the image back as a 2.x container, so an image of anything else is refused
    // rather than opened and written over the file.
    Bytes version30 = PlainHeader("2.5");
    std::memcpy(version30.data() + 9, "3.0", 3);
    const Bytes images[] = {ImageLikeBytes(400, 5), PlainHeader("2.7"), version30, Bytes{'I', 'F', 'F'}};
    for (const Bytes& image : images)
    {
        CIffFile container;
        EIffRead code = EIffRead::Ok;
        CMemoryStream stream(MakeCodedIffFile(image));
        EXPECT_FALSE(container.Read(&stream, code));
        EXPECT_EQ(code, EIffRead::NotIff);
        EXPECT_TRUE(container.Chunks().empty());
    }
}
