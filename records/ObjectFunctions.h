#pragma once

#include "RecordFault.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class CIffFile;

/// One function of an object's function table: the scripts the game runs to check whether it may
/// run it and to run it; 0 names no script.
struct CObjectFunction
{
    std::uint16_t check = 0;
    std::uint16_t action = 0;

    bool operator==(const CObjectFunction&) const = default;
};

/// The name of the function at `index` ("user placement"), or "function N" past the named ones.
std::string ObjectFunctionName(std::size_t index);

/// An object's function table (`OBJf` chunk, with the id of its `OBJD`): eight zero bytes, "fJBO",
/// a 32-bit count, then that many (check, action) pairs of 16-bit script ids.
class CObjectFunctions
{
public:
    static constexpr std::size_t kHeaderSize = 16;
    /// The functions that have names; a new table holds these.
    static constexpr std::size_t kNamedFunctions = 30;

    explicit CObjectFunctions(std::vector<CObjectFunction> functions = {}, std::string name = {})
        : m_functions(std::move(functions)), m_name(std::move(name))
    {
    }

    /// Decodes the `OBJf` chunk `id`. Fails when it is missing, does not open with eight zero
    /// bytes and "fJBO", or its count does not fill its length exactly; the failure says which, and
    /// the list is left as it was.
    [[nodiscard]] CRecordStatus Load(const CIffFile& container, std::uint16_t id);
    /// Decodes chunk data; same failures as Load.
    [[nodiscard]] CRecordStatus Decode(std::span<const std::uint8_t> data);
    /// The chunk data.
    std::vector<std::uint8_t> Encode() const;
    /// Puts the table as `OBJf` `id`, flags 0x0010, under the kept name.
    [[nodiscard]] CRecordStatus Store(CIffFile& container, std::uint16_t id) const;

    const std::vector<CObjectFunction>& Functions() const { return m_functions; }
    /// Sets function `index`; false when there is no such function.
    bool SetFunction(std::size_t index, const CObjectFunction& function);
    const std::string& Name() const { return m_name; }
    void SetName(std::string name) { m_name = std::move(name); }
    /// The id of the chunk last loaded.
    std::uint16_t Id() const { return m_id; }

private:
    std::vector<CObjectFunction> m_functions;
    std::string m_name;
    std::uint16_t m_id = 0;
};
