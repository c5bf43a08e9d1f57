#pragma once

// Input sent the way a person's reaches the program: through the display server (XTest events for
// the pointer and the keys, and the window manager's request to close a window), never by calling
// handlers. The program then gets the events from the toolkit as it would from a person.

#include <wx/toplevel.h>
#include <wx/window.h>

#include <functional>

class wxMenuBar;

/// Moves the pointer over the middle of `window`, raising its top-level window first, so that the
/// keys typed next go to it.
void PointAt(wxWindow& window);
/// Clicks the left button over the middle of `window` (twice for a double-click).
void ClickOn(wxWindow& window, bool twice = false);
/// Presses and releases `key` with `modifiers`, then lets the program handle what it caused.
void PressKeys(int key, int modifiers = wxMOD_NONE);
/// Opens menu `index` of `menus` with a click on its title, then clicks its item `id`.
void ChooseMenuItem(wxMenuBar& menus, int index, int id);
/// What the title bar's close button does: the window manager's request to close `window`.
void PressCloseButton(wxTopLevelWindow& window);

class wxListBox;
/// Where entry `item` of `list` is shown, in the list's own coordinates; empty when it is not.
wxRect EntryRect(wxListBox& list, unsigned int item);
/// The darkest a pixel of `rect` (the window's own coordinates) is on the screen, 0 (black) to 255.
int DarkestOnScreen(wxWindow& window, const wxRect& rect);
/// Moves the pointer over `point` of `window` (its own coordinates), raising it first.
void PointAt(wxWindow& window, const wxPoint& point);
/// Clicks the left button at `point` of `window` (its own coordinates).
void ClickAt(wxWindow& window, const wxPoint& point, bool twice = false);
