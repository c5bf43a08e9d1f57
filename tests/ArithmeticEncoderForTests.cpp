#include "ArithmeticEncoderForTests.h"


namespace
{
constexpr long kTopValue = 0xFFFF;
constexpr long kFirstQuarter = kTopValue / 4 + 1;
constexpr long kHalf = 2 * kFirstQuarter;
constexpr long kThirdQuarter = 3 * kFirstQuarter;

constexpr int kCharCount = 256;
constexpr int kEofSymbol = kCharCount + 1;
constexpr int kSymbolCount = kCharCount + 1;
constexpr int kMaxFrequency = 16383;

// Kept apart from the decoder's model on purpose: the tests compare two independent
// transcriptions of the published program.
struct CEncoderModel
{
    int charToIndex[kCharCount];
    unsigned char indexToChar[kSymbolCount + 1];
    int cumFreq[kSymbolCount + 1];
    int freq[kSymbolCount + 1];

    CEncoderModel()
    {
        for (int i = 0; i < kCharCount; i++)
        {
            charToIndex[i] = i + 1;
            indexToChar[i + 1] = static_cast<unsigned char>(i);
        }
        indexToChar[0] = 0;
        for (int i = 0; i <= kSymbolCount; i++)
        {
            freq[i] = 1;
            cumFreq[i] = kSymbolCount - i;
        }
        freq[0] = 0;
    }

    void Update(int symbol)
    {
        int i;
        if (cumFreq[0] == kMaxFrequency)
        {
            int cum = 0;
            for (i = kSymbolCount; i >= 0; i--)
            {
                freq[i] = (freq[i] + 1) / 2;
                cumFreq[i] = cum;
                cum += freq[i];
            }
        }
        for (i = symbol; freq[i] == freq[i - 1]; i--)
        {
        }
        if (i < symbol)
        {
            const int chI = indexToChar[i];
            const int chSymbol = indexToChar[symbol];
            indexToChar[i] = static_cast<unsigned char>(chSymbol);
            indexToChar[symbol] = static_cast<unsigned char>(chI);
            charToIndex[chI] = symbol;
            charToIndex[chSymbol] = i;
        }
        freq[i] += 1;
        while (i > 0)
        {
            i -= 1;
            cumFreq[i] += 1;
        }
    }
};

class CEncoder
{
public:
    explicit CEncoder(std::vector<std::uint8_t>& out) : m_out(out) {}

    void EncodeSymbol(int symbol, const int* cumFreq)
    {
        const long range = (high - low) + 1;
        high = low + (range * cumFreq[symbol - 1]) / cumFreq[0] - 1;
        low = low + (range * cumFreq[symbol]) / cumFreq[0];
        for (;;)
        {
            if (high < kHalf)
            {
                BitPlusFollow(0);
            }
            else if (low >= kHalf)
            {
                BitPlusFollow(1);
                low -= kHalf;
                high -= kHalf;
            }
            else if (low >= kFirstQuarter && high < kThirdQuarter)
            {
                bitsToFollow += 1;
                low -= kFirstQuarter;
                high -= kFirstQuarter;
            }
            else
            {
                break;
            }
            low = 2 * low;
            high = 2 * high + 1;
        }
    }

    void DoneEncoding()
    {
        bitsToFollow += 1;
        if (low < kFirstQuarter)
            BitPlusFollow(0);
        else
            BitPlusFollow(1);
    }

    void DoneOutputtingBits() { m_out.push_back(static_cast<std::uint8_t>(buffer >> bitsToGo)); }

private:
    void BitPlusFollow(int bit)
    {
        OutputBit(bit);
        while (bitsToFollow > 0)
        {
            OutputBit(!bit);
            bitsToFollow -= 1;
        }
    }

    void OutputBit(int bit)
    {
        buffer >>= 1;
        if (bit)
            buffer |= 0x80;
        bitsToGo -= 1;
        if (bitsToGo == 0)
        {
            m_out.push_back(static_cast<std::uint8_t>(buffer));
            bitsToGo = 8;
        }
    }

    std::vector<std::uint8_t>& m_out;
    long low = 0;
    long high = kTopValue;
    long bitsToFollow = 0;
    int buffer = 0;
    int bitsToGo = 8;
};
}

std::vector<std::uint8_t> EncodeArithmetic(std::span<const std::uint8_t> plain)
{
    std::vector<std::uint8_t> coded;
    coded.reserve(plain.size() / 2 + 16);
    CEncoderModel model;
    CEncoder encoder(coded);
    for (const std::uint8_t ch : plain)
    {
        const int symbol = model.charToIndex[ch];
        encoder.EncodeSymbol(symbol, model.cumFreq);
        model.Update(symbol);
    }
    encoder.EncodeSymbol(kEofSymbol, model.cumFreq);
    encoder.DoneEncoding();
    encoder.DoneOutputtingBits();
    return coded;
}

std::vector<std::uint8_t> MakeCodedIffFile(const std::vector<std::uint8_t>& plainImage)
{
    // The program's own header template with the version of a coded file.
    static const char kHeaderText[] = "IFF FILE 3.0:TYPE FOLLOWED BY SIZE\0 QUORBLENTHAXIS & MAXIS 1996";
    static_assert(sizeof kHeaderText == 64);
    std::vector<std::uint8_t> file(kHeaderText, kHeaderText + 64);
    const std::vector<std::uint8_t> coded = EncodeArithmetic(plainImage);
    file.insert(file.end(), coded.begin(), coded.end());
    return file;
}
