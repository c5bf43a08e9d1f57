#include "AppIcon.h"

#include "AppIconSvg.h"

wxBitmapBundle AppIconBundle(int size)
{
    return wxBitmapBundle::FromSVG(kAppIconSvg, wxSize(size, size));
}

wxIconBundle AppIcons()
{
    wxIconBundle icons;
    for (const int size : {16, 24, 32, 48, 64, 128})
    {
        wxIcon icon;
        icon.CopyFromBitmap(AppIconBundle(size).GetBitmap(wxSize(size, size)));
        icons.AddIcon(icon);
    }
    return icons;
}
