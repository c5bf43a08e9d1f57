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
    /// Takes `container` as the records' file, which has changed: what was known of its records
    /// is forgotten. The lists show the change at their next refresh.
    void Update(const CIffFile& container);
    /// Why the record of `kind` and `id` does not open; empty when it opens. The record is loaded
    /// as its editor would load it the first time it is asked about after a change; a large
    /// object's lists draw only the entries in sight, so opening it loads no record in vain.
    wxString ReasonOf(ERecordKind kind, std::uint16_t id) const;

private:
    const CIffFile* m_container = nullptr;
    mutable std::map<std::pair<ERecordKind, std::uint16_t>, wxString> m_reasons;
    bool m_statusShowsReason = false;  // the status bar holds a reason of a selected entry
};
