#include "RecordChangeCommand.h"

#include "TreewrightDoc.h"

CRecordChangeCommand::CRecordChangeCommand(CTreewrightDoc& document, const wxString& label, TChange change,
                                           EOutcome& outcome)
    : wxCommand(true, label), m_document(document), m_change(std::move(change)), m_outcome(&outcome),
      m_nameBefore(document.CommittedSemiGlobalName()), m_nameAfter(document.CommittedSemiGlobalName())
{
}

CRecordChangeCommand::CRecordChangeCommand(CTreewrightDoc& document, const wxString& label, std::string nameBefore,
                                           std::string nameAfter)
    : wxCommand(true, label), m_document(document), m_nameBefore(std::move(nameBefore)),
      m_nameAfter(std::move(nameAfter))
{
}

bool CRecordChangeCommand::Do()
{
    if (m_change)
        return RunChange();
    return Apply(true);
}

bool CRecordChangeCommand::Undo()
{
    return Apply(false);
}

bool CRecordChangeCommand::RunChange()
{
    const TChange change = std::move(m_change);
    m_change = nullptr;
    EOutcome outcome = EOutcome::Failed;
    {
        CIffTransaction transaction(m_document.Container());
        if (change(m_document.Container()))
        {
            if (std::optional<CIffChange> changed = transaction.Commit())
            {
                outcome = changed->Empty() ? EOutcome::Unchanged : EOutcome::Changed;
                m_chunks = std::move(*changed);
            }
        }
    }
    // Settled: the step holds its own bytes, so the image may now give up what no entry uses.
    m_document.Container().CompactIfWasteful();
    if (m_outcome != nullptr)
        *m_outcome = outcome;
    m_outcome = nullptr;
    // A step that changed nothing is not kept: the history drops a command whose Do fails.
    return outcome == EOutcome::Changed;
}

bool CRecordChangeCommand::Apply(bool forward)
{
    if (!m_chunks.Empty() && !ApplyChange(m_document.Container(), m_chunks, forward))
        return false;
    m_document.Container().CompactIfWasteful();
    m_document.TakeHistoryName(forward ? m_nameAfter : m_nameBefore);
    return true;
}
