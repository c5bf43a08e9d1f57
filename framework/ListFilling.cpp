#include "ListFilling.h"

#include <wx/listbox.h>

#include <algorithm>

#if defined(__WXGTK__) && defined(TREEWRIGHT_HAVE_GTK)
#include <gtk/gtk.h>
#endif

namespace
{
void Replace(wxListBox& list, const wxArrayString& texts, const std::vector<void*>& data)
{
    list.Clear();
    if (!texts.empty())
        list.Append(texts, const_cast<void**>(data.data()));
}
}

void ReplaceListItems(wxListBox& list, const wxArrayString& texts, const std::vector<void*>& data)
{
    if (data.size() != texts.size())
        return;
#if defined(__WXGTK__) && defined(TREEWRIGHT_HAVE_GTK)
    // The entries live in the list's store; with the view let go of it meanwhile, the store
    // changes without the view following each step, and the view reads it whole once given back.
    GtkTreeView* view = GTK_TREE_VIEW(list.m_treeview);
    GtkTreeModel* model = view != nullptr ? gtk_tree_view_get_model(view) : nullptr;
    GtkTreeViewColumn* column = view != nullptr ? gtk_tree_view_get_column(view, 0) : nullptr;
    if (model != nullptr && column != nullptr)
    {
        g_object_ref(model);
        gtk_tree_view_set_model(view, nullptr);
        Replace(list, texts, data);
        // Left to size itself, the view measures every entry (shaping its text) before the
        // list settles. One column as wide as the longest entry, of rows as high as the first,
        // lets it measure just what it draws.
        std::size_t longest = 0;
        for (std::size_t i = 1; i < texts.size(); ++i)
            if (texts[i].length() > texts[longest].length())
                longest = i;
        const int width = texts.empty() ? 1 : list.GetTextExtent(texts[longest] + "MM").x;
        gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
        gtk_tree_view_column_set_fixed_width(column, std::max(width, 1));
        gtk_tree_view_set_fixed_height_mode(view, TRUE);
        gtk_tree_view_set_model(view, model);
        g_object_unref(model);
        return;
    }
#endif
    Replace(list, texts, data);
}
