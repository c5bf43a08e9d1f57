#include "DataExchange.h"

#include "UserInterface.h"
#include "containers/NumberText.h"
#include "resources/Strings.h"

#include <wx/checkbox.h>
#include <wx/ctrlsub.h>
#include <wx/textctrl.h>
#include <wx/window.h>

#include <algorithm>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>

std::optional<long long> ParseSignedField(const wxString& text, long long min, long long max)
{
    const CResult<std::int64_t, ENumberText> number = ParseInteger(text.utf8_string(), min, max);
    return number ? std::optional<long long>(*number) : std::nullopt;
}

std::optional<unsigned long long> ParseUnsignedField(const wxString& text, unsigned long long max)
{
    const auto limit = static_cast<std::int64_t>(std::min<unsigned long long>(max, std::numeric_limits<std::int64_t>::max()));
    const CResult<std::int64_t, ENumberText> number = ParseInteger(text.utf8_string(), 0, limit, ENumberForm::Unsigned);
    return number ? std::optional<unsigned long long>(static_cast<unsigned long long>(*number)) : std::nullopt;
}

std::optional<std::uint32_t> ParseHex32Field(const wxString& text)
{
    wxString digits = text;
    digits.Trim(true).Trim(false);
    if (digits.StartsWith("0x") || digits.StartsWith("0X"))
        digits = digits.Mid(2);
    if (digits.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const wxUniChar c : digits)
    {
        const int digit = c >= '0' && c <= '9' ? int(c - '0')
                          : c >= 'a' && c <= 'f' ? int(c - 'a' + 10)
                          : c >= 'A' && c <= 'F' ? int(c - 'A' + 10)
                                                 : -1;
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + std::uint64_t(digit);
        if (value > 0xFFFFFFFFULL)
            return std::nullopt;
    }
    return std::uint32_t(value);
}

std::optional<double> ParseNumberField(const wxString& text)
{
    wxString trimmed = text;
    trimmed.Trim(true).Trim(false);
    if (trimmed.empty())
        return std::nullopt;
    // Only the plain decimal forms: strtod would also take "inf", "nan" and hexadecimal numbers.
    for (const wxUniChar c : trimmed)
    {
        if (!((c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E'))
            return std::nullopt;
    }
    double value = 0;
    if (!trimmed.ToCDouble(&value) || !std::isfinite(value) || std::fabs(value) > FLT_MAX)
        return std::nullopt;
    return value;
}

wxString FormatFloatField(float value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*g", FLT_DIG, static_cast<double>(value));
    std::string text = buffer;
    // The field is read in the C locale, so it must show a full stop whatever the user's locale.
    const char point = *std::localeconv()->decimal_point;
    if (point != '.')
        std::replace(text.begin(), text.end(), point, '.');
    return wxString::FromUTF8(text);
}

wxString FormatMessage(const char* message, const wxString& first, const wxString& second)
{
    wxString text = wxString::FromUTF8(message);
    text.Replace("%1", first);
    text.Replace("%2", second);
    return text;
}

wxWindow* CDataExchange::Field(int id) const
{
    return m_dialog != nullptr ? m_dialog->FindWindow(id) : nullptr;
}

void CDataExchange::Fail(int id, const wxString& message)
{
    if (m_failed)
        return;
    m_failed = true;
    m_failedField = id;
    if (m_quiet)
        return;
    Ui().MessageBox(m_dialog, message, kProgramName, wxOK | wxICON_EXCLAMATION);
    if (wxWindow* field = Field(id))
    {
        field->SetFocus();
        if (auto* edit = wxDynamicCast(field, wxTextCtrl))
            edit->SelectAll();
    }
}

void CDataExchange::Text(int id, wxString& value)
{
    if (m_failed)
        return;
    wxWindow* field = Field(id);
    if (field == nullptr)
        return;
    auto* edit = wxDynamicCast(field, wxTextCtrl);
    if (m_reading)
        value = edit != nullptr ? edit->GetValue() : field->GetLabel();
    else if (edit != nullptr)
        edit->ChangeValue(value);
    else
        field->SetLabel(value);
}

void CDataExchange::MaxChars(int id, const wxString& value, int maxChars)
{
    if (m_failed)
        return;
    if (m_reading)
    {
        if (static_cast<int>(value.length()) > maxChars)
            Fail(id, FormatMessage(kParseStringSizeMessage, wxString::Format("%d", maxChars)));
    }
    else if (auto* edit = wxDynamicCast(Field(id), wxTextCtrl))
    {
        // GTK cannot limit a multi-line field; there the check on reading stands alone.
        if (!edit->IsMultiLine())
            edit->SetMaxLength(static_cast<unsigned long>(maxChars));
    }
}

bool CDataExchange::ReadNumberText(int id, wxString& text)
{
    if (m_failed || Field(id) == nullptr)
        return false;
    Text(id, text);
    return true;
}

void CDataExchange::WriteNumberText(int id, const wxString& text)
{
    wxString copy = text;
    Text(id, copy);
}

void CDataExchange::Int(int id, int& value)
{
    if (m_reading)
    {
        wxString text;
        if (!ReadNumberText(id, text))
            return;
        const auto number = ParseSignedField(text, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
        if (!number)
            return Fail(id, kParseIntMessage);
        value = static_cast<int>(*number);
    }
    else if (!m_failed)
    {
        WriteNumberText(id, wxString::Format("%d", value));
    }
}

void CDataExchange::Int(int id, std::int16_t& value)
{
    if (m_reading)
    {
        wxString text;
        if (!ReadNumberText(id, text))
            return;
        const auto number = ParseSignedField(text, -32768, 32767);
        if (!number)
            return Fail(id, kParseIntMessage);
        value = static_cast<std::int16_t>(*number);
    }
    else if (!m_failed)
    {
        WriteNumberText(id, wxString::Format("%d", static_cast<int>(value)));
    }
}

void CDataExchange::UInt(int id, std::uint32_t& value)
{
    if (m_reading)
    {
        wxString text;
        if (!ReadNumberText(id, text))
            return;
        const auto number = ParseUnsignedField(text, 0xFFFFFFFFULL);
        if (!number)
            return Fail(id, kParseUIntMessage);
        value = static_cast<std::uint32_t>(*number);
    }
    else if (!m_failed)
    {
        WriteNumberText(id, wxString::Format("%u", static_cast<unsigned>(value)));
    }
}

void CDataExchange::Byte(int id, std::uint8_t& value)
{
    if (m_reading)
    {
        wxString text;
        if (!ReadNumberText(id, text))
            return;
        const auto number = ParseUnsignedField(text, 255);
        if (!number)
            return Fail(id, kParseByteMessage);
        value = static_cast<std::uint8_t>(*number);
    }
    else if (!m_failed)
    {
        WriteNumberText(id, wxString::Format("%u", static_cast<unsigned>(value)));
    }
}

void CDataExchange::Float(int id, float& value)
{
    if (m_reading)
    {
        wxString text;
        if (!ReadNumberText(id, text))
            return;
        const auto number = ParseNumberField(text);
        if (!number)
            return Fail(id, kParseRealMessage);
        value = static_cast<float>(*number);
    }
    else if (!m_failed)
    {
        WriteNumberText(id, FormatFloatField(value));
    }
}

void CDataExchange::Hex32(int id, std::uint32_t& value)
{
    if (m_reading)
    {
        wxString text;
        if (!ReadNumberText(id, text))
            return;
        const auto number = ParseHex32Field(text);
        if (!number)
            return Fail(id, kParseHexMessage);
        value = *number;
    }
    else if (!m_failed)
    {
        WriteNumberText(id, wxString::Format("0x%X", static_cast<unsigned>(value)));
    }
}

void CDataExchange::MinMax(int id, long long value, long long min, long long max)
{
    if (m_failed || !m_reading)
        return;
    if (value < min || value > max)
        Fail(id, FormatMessage(kParseIntRangeMessage, wxString::Format("%lld", min), wxString::Format("%lld", max)));
}

void CDataExchange::Selection(int id, int& index)
{
    if (m_failed)
        return;
    auto* items = dynamic_cast<wxItemContainerImmutable*>(Field(id));
    if (items == nullptr)
        return;
    if (m_reading)
        index = items->GetSelection();
    else if (index >= 0 && static_cast<unsigned>(index) < items->GetCount())
        items->SetSelection(index);
    else
        items->SetSelection(wxNOT_FOUND);
}

void CDataExchange::Check(int id, int& state)
{
    if (m_failed)
        return;
    auto* box = wxDynamicCast(Field(id), wxCheckBox);
    if (box == nullptr)
        return;
    if (m_reading)
    {
        state = static_cast<int>(box->Get3StateValue());
    }
    else if (box->Is3State())
    {
        box->Set3StateValue(state == 2 ? wxCHK_UNDETERMINED : state != 0 ? wxCHK_CHECKED : wxCHK_UNCHECKED);
    }
    else
    {
        box->SetValue(state != 0);
    }
}
