#pragma once

#include "containers/IffTransaction.h"

#include <wx/cmdproc.h>

#include <functional>
#include <optional>
#include <string>

class CTreewrightDoc;

/// One step of the document's history. Its first Do runs the change on the document's container in
/// a transaction and keeps only the chunks that changed, as they were and as they became; Undo and
/// every later Do put one side of them back in place, all or nothing. A step carries the
/// semi-global name before and after it too.
class CRecordChangeCommand : public wxCommand
{
public:
    using TChange = std::function<bool(CIffFile&)>;
    /// How the first Do ended.
    enum class EOutcome
    {
        Changed,
        Unchanged,  // every chunk's name and data as they were: no step
        Failed,     // taken back whole
    };

    /// A change of the container's chunks; the first Do reports how it ended into `outcome`, which
    /// must outlive the submitting of the step.
    CRecordChangeCommand(CTreewrightDoc& document, const wxString& label, TChange change, EOutcome& outcome);
    /// A change of the semi-global name alone.
    CRecordChangeCommand(CTreewrightDoc& document, const wxString& label, std::string nameBefore,
                         std::string nameAfter);

    bool Do() override;
    bool Undo() override;

    /// The data bytes the step holds.
    std::size_t HeldBytes() const { return m_chunks.DataBytes(); }

private:
    bool RunChange();
    bool Apply(bool forward);

    CTreewrightDoc& m_document;
    TChange m_change;  // run by the first Do, then let go: it may refer to a dialog long gone
    EOutcome* m_outcome = nullptr;
    CIffChange m_chunks;
    std::string m_nameBefore;
    std::string m_nameAfter;
};
