#pragma once

#include "WindowsMacros.h"

#include <wx/string.h>

#include <cstdint>
#include <optional>

class wxWindow;

// Number parsing of the dialog fields: blanks around the number are allowed, anything else
// around it is not, and a number that does not fit the field's type is refused.

/// A signed decimal integer within [min, max].
std::optional<long long> ParseSignedField(const wxString& text, long long min, long long max);
/// An unsigned decimal integer up to `max`; a minus sign is refused.
std::optional<unsigned long long> ParseUnsignedField(const wxString& text, unsigned long long max);
/// A hexadecimal integer of up to 32 bits, "0x" before it allowed.
std::optional<std::uint32_t> ParseHex32Field(const wxString& text);
/// A decimal number in the C locale that fits a float.
std::optional<double> ParseNumberField(const wxString& text);
/// The text a float field shows: six significant digits, as few as the value needs.
wxString FormatFloatField(float value);
/// A program message with its %1 and %2 filled in.
wxString FormatMessage(const char* message, const wxString& first, const wxString& second = wxString());

/// One exchange between a dialog's controls and its members, in the fixed order in which the
/// dialog's DoDataExchange calls these operations. Reading (`Reading()` true) takes each control's
/// value into its member after checking it; the first failed check shows its message (owned by
/// the dialog), puts the focus into the field with its text selected and stops the exchange:
/// every later call does nothing. Writing puts the members into the controls without raising
/// their change events.
class CDataExchange
{
public:
    /// A `quiet` reading checks as usual but shows no message and leaves the focus where it is:
    /// while the user types, a field passes through texts that are no number yet ("", "-").
    CDataExchange(wxWindow* dialog, bool reading, bool quiet = false)
        : m_dialog(dialog), m_reading(reading), m_quiet(quiet)
    {
    }

    bool Reading() const { return m_reading; }
    bool Failed() const { return m_failed; }
    /// The id of the field whose check failed, or 0.
    int FailedField() const { return m_failedField; }

    /// Text of an edit field or the label of any other control.
    void Text(int id, wxString& value);
    /// After Text: the text may hold at most `maxChars` characters. Writing limits the field.
    void MaxChars(int id, const wxString& value, int maxChars);
    void Int(int id, int& value);
    void Int(int id, std::int16_t& value);
    void UInt(int id, std::uint32_t& value);
    void Byte(int id, std::uint8_t& value);
    void Float(int id, float& value);
    /// A 32-bit value shown and typed in hexadecimal ("0x1E").
    void Hex32(int id, std::uint32_t& value);
    /// After a number field: its value must lie within [min, max].
    void MinMax(int id, long long value, long long min, long long max);
    /// The selected index of a choice, combo box or list box; -1 for none.
    void Selection(int id, int& index);
    /// A check box: 0 clear, 1 ticked, 2 undetermined.
    void Check(int id, int& state);

    /// Shows `message` for the field, moves the focus there and stops the exchange.
    void Fail(int id, const wxString& message);

private:
    wxWindow* Field(int id) const;
    bool ReadNumberText(int id, wxString& text);
    void WriteNumberText(int id, const wxString& text);

    wxWindow* m_dialog;
    bool m_reading;
    bool m_quiet;
    bool m_failed = false;
    int m_failedField = 0;
};
