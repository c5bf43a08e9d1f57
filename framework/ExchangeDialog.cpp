#include "ExchangeDialog.h"

bool CExchangeDialog::UpdateData(bool reading)
{
    CDataExchange dx(this, reading);
    if (!reading)
        ++m_writeDepth;
    DoDataExchange(dx);
    if (!reading)
        --m_writeDepth;
    return !dx.Failed();
}

void CExchangeDialog::DoDataExchange(CDataExchange&)
{
}

void CExchangeDialog::OnInitDialog()
{
    UpdateData(false);
}

void CExchangeDialog::BindInit()
{
    if (m_initBound)
        return;
    m_initBound = true;
    Bind(wxEVT_INIT_DIALOG, &CExchangeDialog::OnInitDialogEvent, this);
}

void CExchangeDialog::OnInitDialogEvent(wxInitDialogEvent&)
{
    OnInitDialog();
    UpdateWindowUI(wxUPDATE_UI_RECURSE);
}
