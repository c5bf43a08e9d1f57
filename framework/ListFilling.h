#pragma once

#include <wx/arrstr.h>

#include <vector>

class wxListBox;

/// Replaces every entry of `list` by `texts`, entry i with client data `data[i]` (`data` as long as
/// `texts`). The toolkit's list view is told of the change once, not per entry: under GTK, an
/// entry added to or removed from a shown list costs the view a pass of its own, and the lists of
/// a large object hold thousands of entries.
void ReplaceListItems(wxListBox& list, const wxArrayString& texts, const std::vector<void*>& data);
