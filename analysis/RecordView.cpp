#include "RecordView.h"
#include "Sha256.h"

#include "containers/IffFile.h"
#include "containers/TypeCodes.h"
#include "containers/Windows1252.h"
#include "records/BhavScript.h"
#include "records/ConstantTable.h"
#include "records/InteractionTable.h"
#include "records/ObjectDefinition.h"
#include "records/ObjectFunctions.h"
#include "records/RecordFault.h"
#include "records/SemiGlobalReference.h"
#include "records/StringTable.h"
#include "rendering/CodeTextRenderer.h"
#include "rendering/PlainTextRenderer.h"
#include "rendering/ScriptListing.h"

#include <charconv>
#include <cstdio>
#include <sstream>

namespace
{
std::string Hex(unsigned value, int digits)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%0*X", digits, value);
    return buffer;
}

std::string FloatText(float value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string Shown(const std::string& bytes)
{
    return OneLine(Windows1252ToUtf8(bytes));
}

CRecordEntry Entry(std::string place, std::vector<CEntryPart> parts)
{
    CRecordEntry entry{std::move(place), std::move(parts), {}};
    for (const CEntryPart& part : entry.parts)
        entry.identity += part.key + '=' + part.value + '\n';
    return entry;
}

CRecordEntry Value(std::string place, std::string value)
{
    return Entry(std::move(place), {{"value", std::move(value), false}});
}

void ViewScript(const CBhavScript& script, const CPlainTextRenderer& renderer, CRecordView& view)
{
    // The header without its line count, which every added or removed line changes.
    const std::size_t countAt = script.Format() == 0x8003 ? 9 : 2;
    const std::size_t countSize = script.Format() == 0x8003 ? 4 : 2;
    std::vector<std::uint8_t> header = script.Header();
    if (header.size() >= countAt + countSize)
        header.erase(header.begin() + std::ptrdiff_t(countAt), header.begin() + std::ptrdiff_t(countAt + countSize));
    view.entries.push_back(Value("header without the line count", ScriptHeaderHex(header)));
    for (std::size_t i = 0; i < script.Lines().size(); ++i)
    {
        const CBhavInstruction& line = script.Lines()[i];
        const auto& p = line.params;
        const std::string code = FormatCodeInstruction(line.opcode, p[0], p[1], p[2], p[3]);
        CRecordEntry entry{"line " + std::to_string(i + 1),
                           {{"description", Shown(DescribeLine(renderer, line)), true},
                            {"success", FormatTargetText(line.trueTarget), false},
                            {"failure", FormatTargetText(line.falseTarget), false},
                            {"code", code, false}},
                           {},
                           int(i + 1)};
        // The description names called scripts; the instruction's numbers alone say what changed.
        entry.identity = std::to_string(line.opcode) + ' ' + std::to_string(line.trueTarget) + ' ' +
                         std::to_string(line.falseTarget) + ' ' + std::to_string(p[0]) + ' ' + std::to_string(p[1]) +
                         ' ' + std::to_string(p[2]) + ' ' + std::to_string(p[3]);
        view.entries.push_back(std::move(entry));
    }
}

void ViewStrings(const CStringTable& table, const CTextShower& shower, CRecordView& view)
{
    view.entries.push_back(Value("format", Hex(table.Format(), 4)));
    if (table.IsPlain())
    {
        for (std::size_t i = 0; i < table.Strings().size(); ++i)
            view.entries.push_back(
                Entry("string " + std::to_string(i), {{"text", OneLine(shower(table.Strings()[i], "windows-1252")), true}}));
        return;
    }
    for (std::size_t r = 0; r < table.Rows().size(); ++r)
    {
        const CStringTable::CRow& row = table.Rows()[r];
        bool any = false;
        for (int slot = 0; slot < CStringTable::kSlotCount; ++slot)
        {
            const CStringPair& pair = row[std::size_t(slot)];
            if (pair.text.empty() && pair.description.empty())
                continue;
            any = true;
            const std::string language = *CStringTable::SlotName(slot)
                                             ? CStringTable::SlotName(slot)
                                             : "code " + std::to_string(CStringTable::CodeForSlot(slot));
            std::vector<CEntryPart> parts{{"text", OneLine(shower(pair.text, table.CodePage(slot))), true}};
            if (!pair.description.empty())
                parts.push_back({"description", OneLine(shower(pair.description, table.CodePage(slot))), true});
            view.entries.push_back(Entry("row " + std::to_string(r) + ' ' + language, std::move(parts)));
        }
        // A row of empty texts still counts: the rows after it keep their numbers.
        if (!any)
            view.entries.push_back(Entry("row " + std::to_string(r), {{"text", "", true}}));
    }
}

// The USEnglish name of each interaction, from the names of the same id.
std::string InteractionName(const CIffFile& container, std::uint16_t id, std::uint32_t index,
                            const CTextShower& shower)
{
    CStringTable names;
    if (!names.Load(container, kTypeTtas, id) || index >= names.LineCount())
        return {};
    const std::string& bytes = names.IsPlain() ? names.Strings()[index] : names.Rows()[index][0].text;
    return OneLine(shower(bytes, names.CodePage(0)));
}

std::string MotivesText(const CInteraction& interaction)
{
    std::string text;
    for (std::size_t m = 0; m < interaction.motives.size(); ++m)
    {
        const CMotiveEntry& motive = interaction.motives[m];
        if (motive == CMotiveEntry{})
            continue;
        if (!text.empty())
            text += "; ";
        text += "[" + std::to_string(m) + "] " + std::to_string(motive.minimum) + " to " + std::to_string(motive.maximum);
        if (motive.varyBy != 0)
            text += " by " + std::to_string(motive.varyBy);
    }
    return text.empty() ? "none" : text;
}

void ViewInteractions(const CIffFile& container, std::uint16_t id, const CInteractionTable& table,
                      const CTextShower& shower, CRecordView& view)
{
    view.entries.push_back(Value("version", std::to_string(table.Version())));
    for (std::size_t i = 0; i < table.Interactions().size(); ++i)
    {
        const CInteraction& interaction = table.Interactions()[i];
        std::vector<CEntryPart> parts{
            {"action tree", std::to_string(interaction.actionTree), false},
            {"check tree", std::to_string(interaction.checkTree), false},
            {"name index", std::to_string(interaction.nameIndex), false},
            {"flags", Hex(interaction.flags, 8), false},
            {"attenuation code", std::to_string(interaction.attenuationCode), false},
            {"attenuation value", FloatText(interaction.attenuationValue), false},
            {"autonomy threshold", std::to_string(interaction.autonomyThreshold), false},
            {"extra index", std::to_string(interaction.extraIndex), false},
            {"motive count", std::to_string(interaction.motiveCount), false},
            {"motives", MotivesText(interaction), false}};
        if (table.HasSecondFlags())
            parts.push_back({"flags 2", Hex(interaction.flags2, 8), false});
        CRecordEntry entry = Entry("interaction " + std::to_string(i), std::move(parts));
        // The name is the names table's; a change there shows there.
        entry.parts.insert(entry.parts.begin(), {"name", InteractionName(container, id, interaction.nameIndex, shower), true});
        view.entries.push_back(std::move(entry));
    }
}

void ViewObject(const CObjectDefinition& object, CRecordView& view)
{
    view.entries.push_back(Value("version", std::to_string(object.Version())));
    for (const CObjectField& field : object.Fields())
    {
        const std::uint32_t value = object.Value(field.offset);
        view.entries.push_back(Value(field.name, field.kind == EObjectFieldKind::Guid ? GuidText(value)
                                                                                    : std::to_string(value)));
    }
}

void ViewFunctions(const CObjectFunctions& functions, CRecordView& view)
{
    for (std::size_t i = 0; i < functions.Functions().size(); ++i)
        view.entries.push_back(Entry(ObjectFunctionName(i),
                                     {{"check", std::to_string(functions.Functions()[i].check), false},
                                      {"action", std::to_string(functions.Functions()[i].action), false}}));
}

bool IsEditedType(std::uint32_t type)
{
    switch (type)
    {
    case kTypeBhav:
    case kTypeStr:
    case kTypeTtas:
    case kTypeTtab:
    case kTypeBcon:
    case kTypeObjd:
    case kTypeObjf:
    case kTypeGlob:
        return true;
    default:
        return false;
    }
}

// Loads the record from the chunk's own bytes; the fault when it does not load.
CRecordFault Fill(const CIffFile& container, const CIffChunk& chunk, const CPlainTextRenderer& renderer,
                  const CTextShower& shower, CRecordView& view)
{
    const std::span<const std::uint8_t> data = container.ChunkData(chunk);
    switch (chunk.type)
    {
    case kTypeBhav:
    {
        CBhavScript script;
        if (const CRecordStatus loaded = script.Decode(data); !loaded)
            return loaded.Failure();
        script.SetId(chunk.id);
        script.SetName(chunk.name);
        ViewScript(script, renderer, view);
        return {};
    }
    case kTypeStr:
    case kTypeTtas:
    {
        CStringTable table;
        if (const CRecordStatus loaded = table.Decode(data, chunk.type); !loaded)
            return loaded.Failure();
        ViewStrings(table, shower, view);
        return {};
    }
    case kTypeTtab:
    {
        CInteractionTable table;
        if (const CRecordStatus loaded = table.Decode(data); !loaded)
            return loaded.Failure();
        ViewInteractions(container, chunk.id, table, shower, view);
        return {};
    }
    case kTypeBcon:
    {
        CConstantTable table;
        if (const CRecordStatus loaded = table.Decode(data); !loaded)
            return loaded.Failure();
        view.entries.push_back(Value("flags", Hex(table.Flags(), 2)));
        for (std::size_t i = 0; i < table.Values().size(); ++i)
            view.entries.push_back(Value("constant " + std::to_string(i), std::to_string(table.Values()[i])));
        return {};
    }
    case kTypeObjd:
    {
        CObjectDefinition object;
        if (const CRecordStatus loaded = object.Decode(data); !loaded)
            return loaded.Failure();
        ViewObject(object, view);
        return {};
    }
    case kTypeObjf:
    {
        CObjectFunctions functions;
        if (const CRecordStatus loaded = functions.Decode(data); !loaded)
            return loaded.Failure();
        ViewFunctions(functions, view);
        return {};
    }
    case kTypeGlob:
        view.entries.push_back(Entry("semi-global file", {{"name", Shown(DecodeSemiGlobalName(data)), true}}));
        return {};
    default:
        return {};
    }
}

void AppendEntry(std::string& out, const CRecordEntry& entry)
{
    out += "  ";
    out += entry.place;
    out += ':';
    bool first = true;
    for (const CEntryPart& part : entry.parts)
    {
        out += first ? " " : ", ";
        first = false;
        if (part.key != "value")
        {
            out += part.key;
            out += ' ';
        }
        if (part.text)
            out += '"' + part.value + '"';
        else
            out += part.value;
    }
    out += '\n';
}
}

std::string ShowAsWindows1252(const std::string& bytes, const std::string& codePage)
{
    return codePage == "utf-8" ? bytes : Windows1252ToUtf8(bytes);
}

bool IsFirstOfTypeAndId(const CIffFile& container, std::size_t position)
{
    const std::vector<CIffChunk>& chunks = container.Chunks();
    CIffChunk first;
    first.type = chunks[position].type;
    first.id = chunks[position].id;
    return container.FindChunk(first) && first.offset == chunks[position].offset;
}

CRecordView ViewRecord(const CIffFile& container, const CIffChunk& chunk, const CPlainTextRenderer& renderer,
                       const CTextShower& shower)
{
    CRecordView view;
    view.type = chunk.type;
    view.id = chunk.id;
    view.flags = chunk.flags;
    view.name = Shown(chunk.name);
    view.edited = IsEditedType(chunk.type);
    if (!view.edited)
        return view;
    if (const CRecordFault fault = Fill(container, chunk, renderer, shower, view))
    {
        view.refusal = RecordFaultText(chunk.type, fault);
        view.entries.clear();
    }
    return view;
}

std::string RecordHeading(std::uint32_t type, std::uint16_t id, const std::string& name, std::uint16_t flags)
{
    return TypeCodeText(type) + " #" + std::to_string(id) + " \"" + name + "\" flags " + Hex(flags, 4);
}

std::string FormatRecordText(const CIffFile& container, std::size_t position, const CPlainTextRenderer& renderer,
                             const CTextShower& shower)
{
    const CIffChunk& chunk = container.Chunks()[position];
    std::string out = RecordHeading(chunk.type, chunk.id, Shown(chunk.name), chunk.flags) + '\n';
    const std::span<const std::uint8_t> data = container.ChunkData(chunk);
    const auto bytesLine = [&] { out += "  size " + std::to_string(data.size()) + ", sha256 " + Sha256Hex(data) + '\n'; };
    if (chunk.type == kTypeRsmp)
    {
        // Rebuilt from the directory on every save: its bytes say nothing a diff should show.
        out += "  resource map, rebuilt on saving\n";
        return out;
    }
    if (!IsFirstOfTypeAndId(container, position))
    {
        out += "  not reached: an earlier chunk has this type and id\n";
        bytesLine();
        return out;
    }
    if (chunk.type == kTypeBhav)
    {
        CBhavScript script;
        if (const CRecordStatus loaded = script.Decode(data); loaded)
        {
            script.SetId(chunk.id);
            script.SetName(chunk.name);
            out += FormatScriptListing(script, renderer);
        }
        else
        {
            out += "  refused: " + RecordFaultText(chunk.type, loaded.Failure()) + '\n';
            bytesLine();
        }
        return out;
    }
    const CRecordView view = ViewRecord(container, chunk, renderer, shower);
    if (!view.edited || !view.refusal.empty())
    {
        if (!view.refusal.empty())
            out += "  refused: " + view.refusal + '\n';
        bytesLine();
        return out;
    }
    for (const CRecordEntry& entry : view.entries)
        AppendEntry(out, entry);
    return out;
}

std::string FormatFileText(const CIffFile& container, const CPlainTextRenderer& renderer, const CTextShower& shower)
{
    std::string out;
    for (std::size_t position = 0; position < container.Chunks().size(); ++position)
    {
        if (position > 0)
            out += '\n';
        out += FormatRecordText(container, position, renderer, shower);
    }
    return out;
}
