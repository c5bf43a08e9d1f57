#include "ListItemMarks.h"

#include <wx/listbox.h>
#include <wx/string.h>

#if defined(__WXGTK__) && defined(TREEWRIGHT_HAVE_GTK)
#include <gtk/gtk.h>

namespace
{
using CMarked = std::function<bool(const wxString&)>;

// wxGTK shows a list box's entries in a tree view inside the scrolled window it hands out.
GtkTreeView* TreeViewOf(wxListBox& list)
{
    GtkWidget* widget = list.GetHandle();
    if (widget != nullptr && GTK_IS_BIN(widget))
        widget = gtk_bin_get_child(GTK_BIN(widget));
    return widget != nullptr && GTK_IS_TREE_VIEW(widget) ? GTK_TREE_VIEW(widget) : nullptr;
}

// Runs after the column's attributes have put the entry's text into the renderer; the text is
// asked of the renderer rather than the list, which may be half way through a change meanwhile.
void ColourEntry(GtkTreeViewColumn*, GtkCellRenderer* renderer, GtkTreeModel*, GtkTreeIter*, gpointer data)
{
    gchar* text = nullptr;
    g_object_get(renderer, "text", &text, nullptr);
    const bool grey = text != nullptr && (*static_cast<CMarked*>(data))(wxString::FromUTF8(text));
    g_free(text);
    if (grey)
        g_object_set(renderer, "foreground", "#8a8a8a", "foreground-set", TRUE, nullptr);
    else
        g_object_set(renderer, "foreground-set", FALSE, nullptr);
}

void DeleteMarked(gpointer data)
{
    delete static_cast<CMarked*>(data);
}
}

void GreyListItems(wxListBox& list, std::function<bool(const wxString& text)> marked)
{
    GtkTreeView* view = TreeViewOf(list);
    GtkTreeViewColumn* column = view != nullptr ? gtk_tree_view_get_column(view, 0) : nullptr;
    if (column == nullptr)
        return;
    GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(column));
    if (cells != nullptr)
        gtk_tree_view_column_set_cell_data_func(column, GTK_CELL_RENDERER(cells->data), ColourEntry,
                                                new CMarked(std::move(marked)), DeleteMarked);
    g_list_free(cells);
}
#else
void GreyListItems(wxListBox&, std::function<bool(const wxString& text)>)
{
}
#endif
