#include "TreewrightApp.h"

wxIMPLEMENT_APP(CTreewrightApp);
