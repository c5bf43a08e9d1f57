#pragma once

#include "containers/ChunkSnapshot.h"

#include <wx/cmdproc.h>

#include <string>
#include <vector>

class CTreewrightDoc;

/// One step of the document's history: the chunks a change touched as they were before and after
/// it, and the semi-global name before and after. The change itself has been made when the step is
/// submitted; undoing puts the "before" states back byte for byte, redoing the "after" states.
class CRecordChangeCommand : public wxCommand
{
public:
    CRecordChangeCommand(CTreewrightDoc& document, const wxString& label, std::vector<CChunkSnapshot> before,
                         std::vector<CChunkSnapshot> after, std::string nameBefore, std::string nameAfter);

    bool Do() override;
    bool Undo() override;

private:
    bool Apply(const std::vector<CChunkSnapshot>& chunks, const std::string& name);

    CTreewrightDoc& m_document;
    std::vector<CChunkSnapshot> m_before;
    std::vector<CChunkSnapshot> m_after;
    std::string m_nameBefore;
    std::string m_nameAfter;
    bool m_done = true;  // the change was made before the step was submitted
};
