#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

/// The name of the code page that the program's texts are in unless a language says otherwise.
inline constexpr const char* kWindows1252 = "windows-1252";
/// The name of UTF-8 among the code pages: texts that are kept as UTF-8 already.
inline constexpr const char* kUtf8 = "utf-8";

/// True when `text` is well-formed UTF-8: shortest forms only, no surrogates, nothing past U+10FFFF.
bool IsValidUtf8(std::string_view text);

/// Converts a whole text between one code page's bytes and UTF-8. Each front end supplies the
/// platform's converter; the core only decides what to do when a text does not convert.
class CCodePageConverter
{
public:
    virtual ~CCodePageConverter() = default;
    /// False when any part of `bytes` is not a sequence of the code page (also a cut-off one).
    virtual bool ToUtf8(std::string_view bytes, std::string& text) const = 0;
    /// False when `text` holds a character the code page has no bytes for, or is not UTF-8.
    virtual bool FromUtf8(std::string_view text, std::string& bytes) const = 0;
};

/// windows-1252 as every other text of the program reads it (the WHATWG table), so that a
/// windows-1252 language shows exactly what the rest of the program shows: every byte decodes.
class CWindows1252Converter : public CCodePageConverter
{
public:
    bool ToUtf8(std::string_view bytes, std::string& text) const override;
    bool FromUtf8(std::string_view text, std::string& bytes) const override;
};

/// UTF-8 itself: bytes convert when they are well-formed UTF-8, and any well-formed text converts.
class CUtf8Converter : public CCodePageConverter
{
public:
    bool ToUtf8(std::string_view bytes, std::string& text) const override;
    bool FromUtf8(std::string_view text, std::string& bytes) const override;
};

/// One converter of type `TConverter` (built from the code page's name) per code page, made on
/// first use and kept for the program's life; windows-1252 always takes the program's own table,
/// and UTF-8 the core's own check.
/// Safe to call from several threads.
template <class TConverter>
const CCodePageConverter& CachedConverter(const std::string& codePage)
{
    static const CWindows1252Converter windows1252;
    static const CUtf8Converter utf8;
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<TConverter>> converters;
    if (codePage == kWindows1252)
        return windows1252;
    if (codePage == kUtf8)
        return utf8;
    std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<TConverter>& converter = converters[codePage];
    if (!converter)
        converter = std::make_unique<TConverter>(codePage);
    return *converter;
}

/// The text of `bytes`. Where a byte starts no sequence the converter decodes, U+FFFD stands for
/// that one byte and decoding goes on after it, so the rest of a damaged text stays readable.
std::string DecodeLeniently(const CCodePageConverter& converter, std::string_view bytes);

/// What typed text becomes: its bytes, or the first character the code page cannot hold.
struct CEncodedText
{
    bool ok = false;
    std::string bytes;
    std::string refused;  // the refused character, UTF-8
};

/// The bytes of `text`; never replaces a character the code page lacks.
CEncodedText EncodeStrictly(const CCodePageConverter& converter, std::string_view text);

/// The message for a refused character in a language's text, e.g. ‹The character "中" (U+4E2D)
/// cannot be written in Polish: its code page, windows-1250, has no such character.› The
/// replacement mark gets its own words: it stands for bytes that did not decode.
std::string RefusedCharacterMessage(const std::string& character, const std::string& language,
                                    const std::string& codePage);
