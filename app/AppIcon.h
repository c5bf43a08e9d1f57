#pragma once

#include <wx/bmpbndl.h>
#include <wx/iconbndl.h>

/// The program's icon (resource 128), drawn from one picture at every size it is needed in.
wxBitmapBundle AppIconBundle(int size);
/// The icon in the sizes window managers ask for.
wxIconBundle AppIcons();
