#include "RecordEditController.h"

#include "ReferencesDlg.h"
#include "TreewrightDoc.h"

#include "containers/TypeCodes.h"
#include "editors/ConstantsDlg.h"
#include "editors/InteractionsDlg.h"
#include "editors/ObjectEditorDlg.h"
#include "editors/ScriptEditorDlg.h"
#include "editors/StringsEditorDlg.h"
#include "framework/UserInterface.h"
#include "records/BhavScript.h"
#include "records/ConstantTable.h"
#include "records/InteractionTable.h"
#include "records/ObjectDefinition.h"
#include "records/ObjectFunctions.h"
#include "records/StringTable.h"
#include "resources/Strings.h"

#include <algorithm>

namespace
{
class CScriptEditing final : public CKindEditing
{
public:
    std::vector<CEditedRecord*> Records() override { return {&m_script}; }
    std::unique_ptr<CExchangeDialog> MakeEditor(const CEditContext& context) override
    {
        auto dialog = std::make_unique<CScriptEditorDlg>(context.parent);
        CTreewrightDoc& doc = context.doc;
        dialog->SetScript(m_script.record, doc.NeededFiles(), doc.FileName(), context.semiGlobalName);
        dialog->SetInitialLine(context.place);
        // A call followed from the editor opens the called script in an editor of its own, stored
        // on its OK as this one is.
        dialog->SetScriptOpener([&doc, &controller = context.controller,
                                 name = context.semiGlobalName](std::uint16_t called, wxWindow& over) {
            return controller.Edit(doc, ERecordKind::Script, called, -1, &over, name);
        });
        dialog->SetReferenceFinder([&doc](std::uint16_t called, const std::string& file, wxWindow& over) {
            ShowScriptReferences(&over, doc, called, file);
        });
        return dialog;
    }

private:
    CRecordOf<CBhavScript> m_script{kTypeBhav};
};

class CStringsEditing final : public CKindEditing
{
public:
    std::vector<CEditedRecord*> Records() override { return {&m_table}; }
    std::unique_ptr<CExchangeDialog> MakeEditor(const CEditContext& context) override
    {
        return std::make_unique<CStringsEditorDlg>(m_table.record, context.parent);
    }

private:
    CRecordOf<CStringTable> m_table{kTypeStr};
};

// The names live in the `TTAs` table of the same id: the two open, and are kept, together.
class CInteractionsEditing final : public CKindEditing
{
public:
    std::vector<CEditedRecord*> Records() override { return {&m_table, &m_names}; }
    std::unique_ptr<CExchangeDialog> MakeEditor(const CEditContext& context) override
    {
        auto dialog = std::make_unique<CInteractionsDlg>(context.parent);
        dialog->SetTables(m_table.record, m_names.record);
        dialog->SetInitialInteraction(context.place);
        return dialog;
    }

private:
    CRecordOf<CInteractionTable> m_table{kTypeTtab};
    CRecordOf<CStringTable> m_names{kTypeTtas};
};

class CConstantsEditing final : public CKindEditing
{
public:
    std::vector<CEditedRecord*> Records() override { return {&m_table}; }
    std::unique_ptr<CExchangeDialog> MakeEditor(const CEditContext& context) override
    {
        auto dialog = std::make_unique<CConstantsDlg>(context.parent);
        dialog->SetTable(m_table.record);
        return dialog;
    }

private:
    CRecordOf<CConstantTable> m_table{kTypeBcon};
};

// An object's function table, when it has one: an object without one opens all the same, and gets
// none on OK.
class COptionalFunctions final : public CEditedRecord
{
public:
    std::uint32_t Type() const override { return kTypeObjf; }
    CRecordStatus Load(const CIffFile& container, std::uint16_t id) override
    {
        CRecordStatus loaded = m_functions.Load(container, id);
        m_present = bool(loaded);
        if (m_present || loaded.Failure().what == ERecordFault::Missing)
            return {};
        return loaded;
    }
    CRecordStatus Store(CIffFile& container, std::uint16_t id) const override
    {
        if (!m_present)
            return {};
        return m_functions.Store(container, id);
    }
    std::string Name() const override { return m_functions.Name(); }
    CObjectFunctions* Functions() { return m_present ? &m_functions : nullptr; }

private:
    CObjectFunctions m_functions;
    bool m_present = false;
};

class CObjectEditing final : public CKindEditing
{
public:
    std::vector<CEditedRecord*> Records() override { return {&m_object, &m_functions}; }
    std::unique_ptr<CExchangeDialog> MakeEditor(const CEditContext& context) override
    {
        auto dialog = std::make_unique<CObjectEditorDlg>(context.parent);
        CTreewrightDoc& doc = context.doc;
        dialog->SetObject(m_object.record, m_functions.Functions(), doc.Container(), doc.NeededFiles(),
                          context.semiGlobalName);
        dialog->SetScriptOpener([&doc, &controller = context.controller,
                                 name = context.semiGlobalName](std::uint16_t script, wxWindow& over) {
            return controller.Edit(doc, ERecordKind::Script, script, -1, &over, name);
        });
        return dialog;
    }

private:
    CRecordOf<CObjectDefinition> m_object{kTypeObjd};
    COptionalFunctions m_functions;
};

wxString RefusalText(const CEditedRecord& record, std::uint16_t id, const CRecordStatus& status)
{
    return GameText(RecordRefusalText(record.Type(), id, record.Name(), status.Failure()));
}
}  // namespace

wxString HistoryStepLabel(const char* verb, ERecordKind kind, std::uint16_t id)
{
    return wxString::Format("%s %s #%u", verb, RecordKindName(kind), unsigned(id));
}

std::unique_ptr<CKindEditing> MakeKindEditing(ERecordKind kind)
{
    switch (kind)
    {
    case ERecordKind::Script:
        return std::make_unique<CScriptEditing>();
    case ERecordKind::Strings:
        return std::make_unique<CStringsEditing>();
    case ERecordKind::Interactions:
        return std::make_unique<CInteractionsEditing>();
    case ERecordKind::Constants:
        return std::make_unique<CConstantsEditing>();
    case ERecordKind::Objects:
        return std::make_unique<CObjectEditing>();
    }
    return nullptr;
}

wxString CRecordEditController::Edit(CTreewrightDoc& doc, ERecordKind kind, std::uint16_t id, int place,
                                     wxWindow* parent, const std::string& semiGlobalName)
{
    const std::pair<ERecordKind, std::uint16_t> record(kind, id);
    if (std::find(m_open.begin(), m_open.end(), record) != m_open.end())
        return wxString::Format("%s #%u is open in an editor already.", RecordKindName(kind), unsigned(id));
    const std::unique_ptr<CKindEditing> editing = MakeKindEditing(kind);
    if (editing == nullptr)
        return wxString();
    const std::vector<CEditedRecord*> records = editing->Records();
    for (CEditedRecord* loaded : records)
        if (const CRecordStatus status = loaded->Load(doc.Container(), id); !status)
            return RefusalText(*loaded, id, status);
    const std::unique_ptr<CExchangeDialog> editor =
        editing->MakeEditor(CEditContext{doc, *this, id, place, parent, semiGlobalName});
    editor->SetCommit([&] { return Commit(doc, kind, id, records, *editor); });
    m_open.push_back(record);
    Ui().RunModal(*editor);
    m_open.pop_back();
    return wxString();
}

bool CRecordEditController::Commit(CTreewrightDoc& doc, ERecordKind kind, std::uint16_t id,
                                   const std::vector<CEditedRecord*>& records, wxWindow& editor)
{
    // Every record is stored or none: a table whose names were not stored would show other names,
    // or none, the next time. A change that fails leaves the document as it was.
    const CEditedRecord* failed = records.front();
    CRecordStatus status = Fail(ERecordFault::NotStored);
    const bool kept = doc.ChangeRecords(HistoryStepLabel("Edit", kind, id), [&](CIffFile& container) {
        for (const CEditedRecord* stored : records)
        {
            status = stored->Store(container, id);
            if (!status)
            {
                failed = stored;
                return false;
            }
        }
        return true;
    });
    if (kept)
        return true;
    if (status)  // stored, but the history could not take the step
        status = Fail(ERecordFault::NotStored);
    // OK of an editor whose records cannot be stored keeps it open with the user's changes.
    Ui().MessageBox(&editor,
                    RefusalText(*failed, id, status) + "\n\nThe changes cannot be stored. The editor stays open with them; "
                                               "Cancel leaves the record as it was.",
                    kProgramName, wxOK | wxICON_ERROR);
    return false;
}
