#include "PublishedDecoder.h"

// Transcribed from the paper's arithmetic_coding.h, model.h, adaptive_model.c, decode.c,
// arithmetic_decode.c and bit_input.c, names and all; kept in its 1987 style on purpose.

namespace
{
#define Code_value_bits 16
typedef long code_value;
#define Top_value (((long)1 << Code_value_bits) - 1)
#define First_qtr (Top_value / 4 + 1)
#define Half (2 * First_qtr)
#define Third_qtr (3 * First_qtr)

#define No_of_chars 256
#define EOF_symbol (No_of_chars + 1)
#define No_of_symbols (No_of_chars + 1)
#define Max_frequency 16383

struct CPublishedDecoder
{
    int char_to_index[No_of_chars];
    unsigned char index_to_char[No_of_symbols + 1];
    int cum_freq[No_of_symbols + 1];
    int freq[No_of_symbols + 1];

    code_value value, low, high;

    int buffer;
    int bits_to_go;
    int garbage_bits;
    bool bad_input;

    const std::uint8_t* in;
    std::size_t in_left;

    int getc_in()
    {
        if (in_left == 0)
            return -1;  // EOF
        --in_left;
        return *in++;
    }

    void start_model()
    {
        int i;
        for (i = 0; i < No_of_chars; i++)
        {
            char_to_index[i] = i + 1;
            index_to_char[i + 1] = (unsigned char)i;
        }
        for (i = 0; i <= No_of_symbols; i++)
        {
            freq[i] = 1;
            cum_freq[i] = No_of_symbols - i;
        }
        freq[0] = 0;
    }

    void update_model(int symbol)
    {
        int i;
        if (cum_freq[0] == Max_frequency)
        {
            int cum;
            cum = 0;
            for (i = No_of_symbols; i >= 0; i--)
            {
                freq[i] = (freq[i] + 1) / 2;
                cum_freq[i] = cum;
                cum += freq[i];
            }
        }
        for (i = symbol; freq[i] == freq[i - 1]; i--)
            ;
        if (i < symbol)
        {
            int ch_i, ch_symbol;
            ch_i = index_to_char[i];
            ch_symbol = index_to_char[symbol];
            index_to_char[i] = (unsigned char)ch_symbol;
            index_to_char[symbol] = (unsigned char)ch_i;
            char_to_index[ch_i] = symbol;
            char_to_index[ch_symbol] = i;
        }
        freq[i] += 1;
        while (i > 0)
        {
            i -= 1;
            cum_freq[i] += 1;
        }
    }

    void start_inputing_bits()
    {
        bits_to_go = 0;
        garbage_bits = 0;
        bad_input = false;
    }

    int input_bit()
    {
        int t;
        if (bits_to_go == 0)
        {
            buffer = getc_in();
            if (buffer == -1)
            {
                garbage_bits += 1;
                if (garbage_bits > Code_value_bits - 2)
                    bad_input = true;  // fprintf(stderr, "Bad input file\n"); exit(-1);
            }
            bits_to_go = 8;
        }
        t = buffer & 1;
        buffer >>= 1;
        bits_to_go -= 1;
        return t;
    }

    void start_decoding()
    {
        int i;
        value = 0;
        for (i = 1; i <= Code_value_bits; i++)
            value = 2 * value + input_bit();
        low = 0;
        high = Top_value;
    }

    int decode_symbol(int cum_freq[])
    {
        long range;
        int cum;
        int symbol;
        range = (long)(high - low) + 1;
        cum = (int)((((long)(value - low) + 1) * cum_freq[0] - 1) / range);
        for (symbol = 1; cum_freq[symbol] > cum; symbol++)
            ;
        high = low + (range * cum_freq[symbol - 1]) / cum_freq[0] - 1;
        low = low + (range * cum_freq[symbol]) / cum_freq[0];
        for (;;)
        {
            if (high < Half)
            {
            }
            else if (low >= Half)
            {
                value -= Half;
                low -= Half;
                high -= Half;
            }
            else if (low >= First_qtr && high < Third_qtr)
            {
                value -= First_qtr;
                low -= First_qtr;
                high -= First_qtr;
            }
            else
                break;
            low = 2 * low;
            high = 2 * high + 1;
            value = 2 * value + input_bit();
        }
        return symbol;
    }
};
}

bool PublishedDecode(std::span<const std::uint8_t> coded, std::vector<std::uint8_t>& output)
{
    static thread_local CPublishedDecoder d;
    d.in = coded.data();
    d.in_left = coded.size();
    output.clear();
    d.start_model();
    d.start_inputing_bits();
    d.start_decoding();
    for (;;)
    {
        int ch;
        int symbol;
        symbol = d.decode_symbol(d.cum_freq);
        if (d.bad_input)
        {
            output.clear();
            return false;  // the program has exited before writing this symbol
        }
        if (symbol == EOF_symbol)
            break;
        ch = d.index_to_char[symbol];
        output.push_back((std::uint8_t)ch);  // putc(ch, stdout);
        d.update_model(symbol);
    }
    return true;
}
