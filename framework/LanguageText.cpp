#include "LanguageText.h"

#include "records/CodePage.h"
#include "records/StringTable.h"

#include <wx/fontenum.h>
#include <wx/strconv.h>

#include <map>
#include <memory>
#include <mutex>

namespace
{
// Converts through wxCSConv, handing it each text with its terminating NUL: glibc's iconv holds
// back the last character of some code pages (windows-1255 waits for a following vowel point) until
// more input comes, and the toolkit never asks it for what it holds. The NUL brings it out, and
// is taken off again.
class CToolkitConverter : public CCodePageConverter
{
public:
    explicit CToolkitConverter(const std::string& codePage) : m_conversion(wxString::FromUTF8(codePage)) {}

    bool ToUtf8(std::string_view bytes, std::string& text) const override
    {
        text.clear();
        if (bytes.empty())
            return true;
        if (!m_conversion.IsOk())
            return false;
        const std::string terminated(bytes);
        std::size_t length = 0;
        const wxWCharBuffer wide = m_conversion.cMB2WC(terminated.c_str(), terminated.size() + 1, &length);
        if (!wide.data())
            return false;
        if (length > 0 && wide.data()[length - 1] == L'\0')
            --length;
        text = wxString(wide.data(), length).utf8_string();
        return true;
    }

    bool FromUtf8(std::string_view text, std::string& bytes) const override
    {
        bytes.clear();
        if (text.empty())
            return true;
        const wxString wide = wxString::FromUTF8(text.data(), text.size());
        if (!m_conversion.IsOk() || wide.empty())
            return false;
        std::size_t length = 0;
        const wxCharBuffer narrow = m_conversion.cWC2MB(wide.wc_str(), wide.length() + 1, &length);
        if (!narrow.data())
            return false;
        if (length > 0 && narrow.data()[length - 1] == '\0')
            --length;
        bytes.assign(narrow.data(), length);
        return true;
    }

private:
    wxCSConv m_conversion;
};

// Faces made for each script, the most common first: Noto's and TLWG's on Linux, the system's own
// on Windows and macOS.
const std::vector<const char*>* FacesForSlot(int slot)
{
    static const std::map<std::string, std::vector<const char*>> faces = {
        {"cp932", {"Noto Sans CJK JP", "Noto Sans JP", "Meiryo UI", "MS UI Gothic", "Hiragino Sans"}},
        {"cp936", {"Noto Sans CJK SC", "Noto Sans SC", "Microsoft YaHei UI", "SimSun", "PingFang SC"}},
        {"cp950", {"Noto Sans CJK TC", "Noto Sans TC", "Microsoft JhengHei UI", "PMingLiU", "PingFang TC"}},
        {"cp949", {"Noto Sans CJK KR", "Noto Sans KR", "Malgun Gothic", "Gulim", "Apple SD Gothic Neo"}},
        {"windows-874", {"Loma", "Tlwg Typo", "Garuda", "Noto Sans Thai", "Tahoma", "Thonburi"}},
    };
    const auto found = faces.find(CStringTable::SlotCodePage(slot));
    return found == faces.end() ? nullptr : &found->second;
}
}

const CCodePageConverter& ToolkitConverter(const std::string& codePage)
{
    return CachedConverter<CToolkitConverter>(codePage);
}

wxString SlotText(const CStringTable& table, const std::string& bytes, int slot)
{
    return wxString::FromUTF8(DecodeLeniently(ToolkitConverter(table.CodePage(slot)), bytes));
}

bool TakeSlotText(const wxString& text, const CStringTable& table, int slot, std::string& stored, wxString& refusal)
{
    refusal.clear();
    if (text == SlotText(table, stored, slot))
        return true;
    const char* codePage = table.CodePage(slot);
    const CEncodedText encoded = EncodeStrictly(ToolkitConverter(codePage), text.utf8_string());
    if (!encoded.ok)
    {
        refusal = wxString::FromUTF8(RefusedCharacterMessage(encoded.refused, CStringTable::SlotName(slot), codePage));
        return false;
    }
    stored = encoded.bytes;
    return true;
}

wxFont SlotFont(const wxFont& base, int slot)
{
    // Asking for the installed faces walks every font of the system: done once per code page.
    static std::map<std::string, wxString> chosenFaces;
    const std::vector<const char*>* faces = FacesForSlot(slot);
    if (faces == nullptr)
        return base;
    const std::string codePage = CStringTable::SlotCodePage(slot);
    auto chosen = chosenFaces.find(codePage);
    if (chosen == chosenFaces.end())
    {
        wxString face;
        for (const char* candidate : *faces)
        {
            if (wxFontEnumerator::IsValidFacename(candidate))
            {
                face = candidate;
                break;
            }
        }
        chosen = chosenFaces.emplace(codePage, face).first;
    }
    wxFont font(base);
    if (chosen->second.empty() || !font.SetFaceName(chosen->second))
        return base;
    return font;
}
