#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

class CBhavScript;
class CPlainTextRenderer;
struct CBhavInstruction;

// The script as text for people: one listing that the command-line tool prints and the script
// editor copies, so that both always say the same. Texts from the game's files come out as UTF-8.

/// What a script editor's line says of an instruction: its plain-language description, or its
/// code-style text where the renderer has no description.
std::string DescribeLine(const CPlainTextRenderer& renderer, const CBhavInstruction& instruction);
/// The text with tabs and line breaks turned into blanks, so that it stays on one line.
std::string OneLine(std::string text);
/// The script's header bytes as lower-case hexadecimal digits.
std::string ScriptHeaderHex(std::span<const std::uint8_t> header);

/// The whole listing: the script's id and name, its header, the semi-global file the renderer
/// names calls from, the number of lines and the table of lines.
std::string FormatScriptListing(const CBhavScript& script, const CPlainTextRenderer& renderer);
/// The table of lines `first` to `last` (counted from 0, clipped to the script) with its heading
/// row; empty when no line lies in that range.
std::string FormatScriptLines(const CBhavScript& script, const CPlainTextRenderer& renderer, std::size_t first,
                              std::size_t last);
