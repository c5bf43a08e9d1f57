#pragma once

#include "Result.h"

#include <cstdint>
#include <string_view>

/// Why a typed number was not taken.
enum class ENumberText
{
    Ok,
    NotANumber,
    OutOfRange,  // a number, but outside the range asked for; never cut down to fit
};

/// How a number may be written. Blanks (spaces, tabs) around it are always allowed.
enum class ENumberForm
{
    Decimal,       // an optional sign and decimal digits
    Unsigned,      // decimal digits, with at most a plus sign
    DecimalOrHex,  // as Decimal, or "0x" and hexadecimal digits after the sign
    LeadingHex,    // hexadecimal digits after an optional "0x", up to the first other character
};

/// The one reading of a typed number for every front end: the CLI's arguments, the dialogs'
/// fields. A number outside [min, max] is refused with OutOfRange, never masked.
CResult<std::int64_t, ENumberText> ParseInteger(std::string_view text, std::int64_t min, std::int64_t max,
                                                ENumberForm form = ENumberForm::Decimal);
