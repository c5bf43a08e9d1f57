#pragma once

#include "records/RecordEditing.h"
#include "records/RecordFault.h"

#include <wx/string.h>

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

class CExchangeDialog;
class CIffFile;
class CTreewrightDoc;
class wxWindow;

/// The name of a step of the history: "Edit Script #4096".
wxString HistoryStepLabel(const char* verb, ERecordKind kind, std::uint16_t id);

/// One record that an editor works on, as the editing flow sees it: loaded by id and stored back by
/// id, each giving the fault when it fails.
class CEditedRecord
{
public:
    virtual ~CEditedRecord() = default;
    virtual std::uint32_t Type() const = 0;
    virtual CRecordStatus Load(const CIffFile& container, std::uint16_t id) = 0;
    virtual CRecordStatus Store(CIffFile& container, std::uint16_t id) const = 0;
    virtual std::string Name() const = 0;
};

/// A record class in the flow: one whose Load and Store take the chunk type (string tables) or not.
template <class TRecord>
class CRecordOf final : public CEditedRecord
{
public:
    explicit CRecordOf(std::uint32_t type) : m_type(type) {}

    std::uint32_t Type() const override { return m_type; }
    CRecordStatus Load(const CIffFile& container, std::uint16_t id) override
    {
        if constexpr (requires { record.Load(container, m_type, id); })
            return record.Load(container, m_type, id);
        else
            return record.Load(container, id);
    }
    CRecordStatus Store(CIffFile& container, std::uint16_t id) const override
    {
        if constexpr (requires { record.Store(container, m_type, id); })
            return record.Store(container, m_type, id);
        else
            return record.Store(container, id);
    }
    std::string Name() const override
    {
        return record.Name();
    }

    TRecord record;

private:
    std::uint32_t m_type;
};

class CRecordEditController;

/// What an editor is opened with besides its records.
struct CEditContext
{
    CTreewrightDoc& doc;
    CRecordEditController& controller;
    std::uint16_t id = 0;
    int place = -1;              // a script's line, an interaction table's interaction; -1: none
    wxWindow* parent = nullptr;  // none: the main window
    std::string semiGlobalName;  // as typed in the main view (windows-1252 bytes)
};

/// What one kind brings to the editing flow: its records, in the order they load and are stored,
/// and its editor. A kind is one small class of these two and a line in MakeKindEditing.
class CKindEditing
{
public:
    virtual ~CKindEditing() = default;
    virtual std::vector<CEditedRecord*> Records() = 0;
    /// The editor over the records, which Records() has loaded.
    virtual std::unique_ptr<CExchangeDialog> MakeEditor(const CEditContext& context) = 0;
};

/// The kind's part of the flow.
std::unique_ptr<CKindEditing> MakeKindEditing(ERecordKind kind);

/// The one flow of editing a record from the main view, for every kind: load its records by id, run
/// its editor on them, and when the editor's OK commits, store them as one step of the document's
/// history, all or none. A record that does not load opens no editor; one that cannot be stored
/// keeps its editor open with a message.
class CRecordEditController
{
public:
    /// Runs the editor of `kind` on the record `id`; returns why it did not open, or an empty text.
    wxString Edit(CTreewrightDoc& doc, ERecordKind kind, std::uint16_t id, int place = -1, wxWindow* parent = nullptr,
                  const std::string& semiGlobalName = std::string());

private:
    bool Commit(CTreewrightDoc& doc, ERecordKind kind, std::uint16_t id, const std::vector<CEditedRecord*>& records,
                wxWindow& editor);

    // The records of the editors open, outermost first: calls and references lead from one editor
    // to another, and a second editor of one record would store over the first one's changes.
    std::vector<std::pair<ERecordKind, std::uint16_t>> m_open;
};
