#pragma once

#include "framework/ExchangeDialog.h"

/// "About Treewright": the program's icon, name and version, and OK.
class CAboutDlg : public CExchangeDialog
{
public:
    explicit CAboutDlg(wxWindow* parent = nullptr);
};
