#include "RecordChangeCommand.h"

#include "TreewrightDoc.h"

CRecordChangeCommand::CRecordChangeCommand(CTreewrightDoc& document, const wxString& label,
                                           std::vector<CChunkSnapshot> before, std::vector<CChunkSnapshot> after,
                                           std::string nameBefore, std::string nameAfter)
    : wxCommand(true, label), m_document(document), m_before(std::move(before)), m_after(std::move(after)),
      m_nameBefore(std::move(nameBefore)), m_nameAfter(std::move(nameAfter))
{
}

bool CRecordChangeCommand::Do()
{
    if (m_done)
    {
        // Submitting runs Do once; the change it stands for is already in the container.
        m_done = false;
        return true;
    }
    return Apply(m_after, m_nameAfter);
}

bool CRecordChangeCommand::Undo()
{
    return Apply(m_before, m_nameBefore);
}

bool CRecordChangeCommand::Apply(const std::vector<CChunkSnapshot>& chunks, const std::string& name)
{
    const bool restored = RestoreChunkSnapshots(m_document.Container(), chunks);
    m_document.TakeHistoryName(name);
    return restored;
}
