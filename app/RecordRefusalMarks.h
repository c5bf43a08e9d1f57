#pragma once

#include "records/RecordEditing.h"

#include <wx/string.h>

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

class CIffFile;
class wxListBox;

/// The records of the main view's lists that do not open, marked in their lists: drawn grey, with
/// why as the entry's tooltip and in the status bar when the entry is selected; the same text a
/// double-click on it gives.
class CRecordRefusalMarks
{
public:
    /// Marks the entries of `list`, the list of `kind`; `showStatus` puts a text into the status bar.
    void Attach(wxListBox& list, ERecordKind kind, std::function<void(const wxString&)> showStatus);
    /// Loads every listed record of `container` as its editor would and keeps why those that do
    /// not load are refused. The lists show it at their next refresh.
    void Update(const CIffFile& container);
    /// Why the record of `kind` and `id` does not open; empty when it opens.
    wxString ReasonOf(ERecordKind kind, std::uint16_t id) const;

private:
    std::map<std::pair<ERecordKind, std::uint16_t>, wxString> m_reasons;
    bool m_statusShowsReason = false;  // the status bar holds a reason of a selected entry
};
