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
    // Chunks that come back are restored after those that go, so a record moved to another id
    // never stands under both ids at once.
    bool restored = true;
    for (const bool present : {false, true})
        for (const CChunkSnapshot& chunk : chunks)
            if (chunk.present == present)
                restored = RestoreChunkSnapshot(m_document.Container(), chunk) && restored;
    m_document.TakeHistoryName(name);
    return restored;
}
