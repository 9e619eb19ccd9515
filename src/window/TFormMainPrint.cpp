// The register window's side of printing: the toolbar button that opens the print dialog.
#include "window/TFormMain.h"

#include "common/DialogRunner.h"
#include "printing/TFormDruck.h"

void TFormMain::SpBtn16Click() { m_forms.runner->exec(m_forms.FormDruck); }
