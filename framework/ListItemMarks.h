#pragma once

#include <functional>

class wxListBox;
class wxString;

/// Draws the entries of `list` for which `marked` (given an entry's text) holds in grey, as
/// entries that cannot be used. `marked` is asked whenever an entry is drawn, so a change shows at
/// the list's next refresh; it is asked while the toolkit draws, so it must not change the list. Where the toolkit's list draws its entries itself (GTK), this reaches
/// into it; elsewhere the entries keep their colour.
void GreyListItems(wxListBox& list, std::function<bool(const wxString& text)> marked);
