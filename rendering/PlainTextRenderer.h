#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

class CNeededFiles;
struct CScriptNameEntry;

/// The plain-language description of one instruction, as the script editor shows it on every
/// line. Calls to other scripts are named from the needed-files index; the renderer only refers to
/// that index, whose owner must outlive it, and keeps nothing between calls.
class CPlainTextRenderer
{
public:
    CPlainTextRenderer() = default;
    CPlainTextRenderer(const CNeededFiles& files, std::string fileName, std::string semiGlobalName);

    /// Sets the index to look call names up in, the open file's name (under which its own scripts
    /// stand in the index) and the name of the semi-global file it refers to.
    void SetSources(const CNeededFiles& files, std::string fileName, std::string semiGlobalName);

    const std::string& FileName() const { return m_fileName; }
    const std::string& SemiGlobalName() const { return m_semiGlobalName; }

    /// The description of one instruction ("Temporary Storage 3 Assign To: 1").
    std::string Describe(std::uint16_t opcode, std::uint16_t p0, std::uint16_t p1, std::uint16_t p2,
                         std::uint16_t p3) const;
    /// Appends the description of one instruction; for callers that render many lines.
    void AppendDescription(std::string& out, std::uint16_t opcode, std::uint16_t p0, std::uint16_t p1,
                           std::uint16_t p2, std::uint16_t p3) const;
    /// The primitive's name for opcodes 0 to 56, the call-target name above; may be empty.
    std::string PrimitiveName(std::uint16_t opcode) const;
    /// "Global: ", "Private: " or "Semiglobal: " and the called script's name from the index;
    /// empty below opcode 256 and when the index does not hold the script.
    std::string CallTargetName(std::uint16_t opcode) const;
    /// Where a called script is loaded: the index of its file among the needed files (its
    /// container, name and index entry) and its entry in that file's index.
    struct CScriptPlace
    {
        std::size_t file = 0;
        const CScriptNameEntry* script = nullptr;
    };
    /// The loaded script that `opcode` calls: the first loaded file of the call's kind (the global
    /// file, the open file, the semi-global file) that holds it. None below opcode 256 and when no
    /// such file holds the script.
    std::optional<CScriptPlace> FindCalledScript(std::uint16_t opcode) const;
    /// The plain-language text of an operand reference ("Temporary Storage 3", "40->-1").
    static std::string DescribeOperand(std::uint8_t scope, std::uint16_t data);

private:
    bool AppendCallTargetName(std::string& out, std::uint16_t opcode) const;

    const CNeededFiles* m_files = nullptr;
    std::string m_fileName;
    std::string m_semiGlobalName;
    std::string m_semiGlobalFileName;  // the name looked up: ".IFF" added when it has no dot
};
