#include "RealInput.h"

#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <wx/dcscreen.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/dcmemory.h>
#include <wx/uiaction.h>
#include <wx/image.h>
#include <wx/utils.h>

#ifdef TREEWRIGHT_TEST_X11
#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#endif

namespace
{
// The display server delivers in its own time; a few rounds of the toolkit's loop take it in.
void Settle()
{
    for (int i = 0; i < 6; ++i)
    {
        wxMilliSleep(15);
        Flush();
    }
}

void MoveTo(const wxPoint& screenPoint)
{
    wxUIActionSimulator input;
    input.MouseMove(screenPoint);
    Settle();
}
}

void PointAt(wxWindow& window, const wxPoint& point)
{
    wxTopLevelWindow* top = wxDynamicCast(wxGetTopLevelParent(&window), wxTopLevelWindow);
    if (top != nullptr)
        top->Raise();
    Settle();
    MoveTo(window.ClientToScreen(point));
}

void PointAt(wxWindow& window)
{
    const wxSize size = window.GetClientSize();
    PointAt(window, wxPoint(size.x / 2, size.y / 2));
}

void ClickAt(wxWindow& window, const wxPoint& point, bool twice)
{
    PointAt(window, point);
    wxUIActionSimulator input;
    if (twice)
        input.MouseDblClick();
    else
        input.MouseClick();
    Settle();
}

void ClickOn(wxWindow& window, bool twice)
{
    const wxSize size = window.GetClientSize();
    ClickAt(window, wxPoint(size.x / 2, size.y / 2), twice);
}

wxRect EntryRect(wxListBox& list, unsigned int item)
{
    wxRect rect;
    const wxSize size = list.GetClientSize();
    for (int y = 0; y < size.y; ++y)
    {
        if (list.HitTest(wxPoint(size.x / 4, y)) != int(item))
            continue;
        if (rect.IsEmpty())
            rect = wxRect(0, y, size.x, 1);
        else
            rect.height = y - rect.y + 1;
    }
    return rect;
}

int DarkestOnScreen(wxWindow& window, const wxRect& rect)
{
    Settle();
    const wxRect onScreen(window.ClientToScreen(rect.GetTopLeft()), rect.GetSize());
    wxBitmap bitmap(onScreen.GetSize());
    {
        wxMemoryDC memory(bitmap);
        wxScreenDC screen;
        memory.Blit(0, 0, onScreen.width, onScreen.height, &screen, onScreen.x, onScreen.y);
    }
    const wxImage image = bitmap.ConvertToImage();
    int darkest = 255;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            darkest = std::min(darkest, (image.GetRed(x, y) + image.GetGreen(x, y) + image.GetBlue(x, y)) / 3);
    return darkest;
}

void PressKeys(int key, int modifiers)
{
    wxUIActionSimulator input;
    input.Char(key, modifiers);
    Settle();
}

void ChooseMenuItem(wxMenuBar& menus, int index, int id)
{
    // The titles sit side by side from the bar's left; each is a little wider than its text.
    const wxRect bar = menus.GetScreenRect();
    int x = bar.x;
    for (int i = 0; i < index; ++i)
        x += menus.GetTextExtent(menus.GetMenuLabelText(size_t(i))).x + menus.FromDIP(16);
    const int width = menus.GetTextExtent(menus.GetMenuLabelText(size_t(index))).x;
    MoveTo(wxPoint(x + menus.FromDIP(8) + width / 2, bar.y + bar.height / 2));
    wxUIActionSimulator input;
    input.MouseClick();
    Settle();
    wxMenuItem* item = menus.GetMenu(size_t(index))->FindItem(id);
    ASSERT_NE(item, nullptr) << "no menu item " << id;
#ifdef TREEWRIGHT_TEST_X11
    // The item is clicked where the open menu shows it.
    GtkWidget* widget = item->GetMenuItem();
    GdkWindow* window = widget != nullptr ? gtk_widget_get_window(widget) : nullptr;
    ASSERT_TRUE(window != nullptr && gtk_widget_get_mapped(widget)) << "the menu did not open";
    int originX = 0;
    int originY = 0;
    gdk_window_get_origin(window, &originX, &originY);
    GtkAllocation place;
    gtk_widget_get_allocation(widget, &place);
    MoveTo(wxPoint(originX + place.x + place.width / 2, originY + place.y + place.height / 2));
    input.MouseClick();
    Settle();
#else
    GTEST_SKIP() << "menu items are found on the screen through GTK only";
#endif
}

void PressCloseButton(wxTopLevelWindow& window)
{
#ifdef TREEWRIGHT_TEST_X11
    GtkWidget* widget = window.GetHandle();
    GdkWindow* gdkWindow = widget != nullptr ? gtk_widget_get_window(widget) : nullptr;
    ASSERT_TRUE(gdkWindow != nullptr && GDK_IS_X11_WINDOW(gdkWindow)) << "not an X11 window";
    Display* display = GDK_WINDOW_XDISPLAY(gdkWindow);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = GDK_WINDOW_XID(gdkWindow);
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XFlush(display);
    Settle();
#else
    (void)window;
    GTEST_SKIP() << "the close button is pressed through X11 only";
#endif
}
