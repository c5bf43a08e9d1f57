#pragma once

#include <wx/font.h>
#include <wx/string.h>

#include <string>

class CCodePageConverter;
class CStringTable;

/// The converter of a code page by its name ("windows-1252", "cp932", ...): windows-1252 through
/// the core's table (as every other text of the program), every other through the toolkit's
/// wxCSConv. Lives as long as the program.
const CCodePageConverter& ToolkitConverter(const std::string& codePage);

/// A text of a table's language slot (bytes in the code page the table keeps that slot in) as the
/// user sees it; U+FFFD marks each byte that the code page does not decode.
wxString SlotText(const CStringTable& table, const std::string& bytes, int slot);

/// Takes typed text into a language slot's bytes. Text that still reads as `stored` leaves those
/// bytes alone, so a text the user did not change keeps its bytes even when they do not decode.
/// False, with `stored` unchanged and `refusal` saying which character, when the code page the
/// table keeps the slot in cannot hold the text.
bool TakeSlotText(const wxString& text, const CStringTable& table, int slot, std::string& stored, wxString& refusal);

/// A font of `base`'s size that shows the slot's script: for the languages whose script the
/// usual interface fonts lack or draw in another country's forms (Japanese, the two Chinese,
/// Korean, Thai), the first installed face made for that language; otherwise, or when none is
/// installed, `base` itself.
wxFont SlotFont(const wxFont& base, int slot);
