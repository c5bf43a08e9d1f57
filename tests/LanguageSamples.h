#pragma once

// Texts in each language whose code page is not the program's usual windows-1252, as typed
// (UTF-8) and as that language's game release stores them, for the editor's and the CLI's tests.

#include <string>
#include <vector>

struct CLanguageSample
{
    int slot;
    const char* typed;  // UTF-8
    std::string stored;
};

inline const std::vector<CLanguageSample>& LanguageSamples()
{
    static const std::vector<CLanguageSample> samples = {
        {2, "Chaise d'\u00E9t\u00E9", "Chaise d'\xE9t\xE9"},
        {11, "\u05DB\u05D9\u05E1\u05D0 \u05DC\u05D3\u05D5\u05D2\u05DE\u05D4",  // Hebrew
         "\xEB\xE9\xF1\xE0 \xEC\xE3\xE5\xE2\xEE\xE4"},
        {12, "\u041E\u0431\u0440\u0430\u0437\u0435\u0446 \u0441\u0442\u0443\u043B\u0430",  // Russian
         "\xCE\xE1\xF0\xE0\xE7\xE5\xF6 \xF1\xF2\xF3\xEB\xE0"},
        {14, "\u30B5\u30F3\u30D7\u30EB\u306E\u6905\u5B50",  // Japanese
         "\x83T\x83\x93\x83v\x83\x8B\x82\xCC\x88\xD6\x8Eq"},
        {15, "Przyk\u0142adowe krzes\u0142o", "Przyk\xB3" "adowe krzes\xB3o"},  // Polish
        {16, "\u793A\u4F8B\u6905\u5B50", "\xCA\xBE\xC0\xFD\xD2\xCE\xD7\xD3"},  // Simplified Chinese
        {17, "\u7BC4\u4F8B\u6905\u5B50", "\xBD" "d\xA8\xD2\xB4\xC8\xA4l"},      // Traditional Chinese
        {18, "\u0E40\u0E01\u0E49\u0E32\u0E2D\u0E35\u0E49\u0E15\u0E31\u0E27\u0E2D\u0E22\u0E48\u0E32\u0E07",  // Thai
         "\xE0\xA1\xE9\xD2\xCD\xD5\xE9\xB5\xD1\xC7\xCD\xC2\xE8\xD2\xA7"},
        {19, "\uC0D8\uD50C \uC758\uC790", "\xBB\xF9\xC7\xC3 \xC0\xC7\xC0\xDA"},  // Korean
    };
    return samples;
}

/// A Japanese text whose second character is cut off: a lead byte with no trail byte that cp932
/// has, then readable text again. Shown with one replacement mark, kept byte for byte.
inline const std::string kBrokenJapanese = "\x83T\x83" "!OK";
inline const char* const kBrokenJapaneseShown = "\u30B5\uFFFD!OK";
