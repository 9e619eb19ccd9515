// The register window's side of printing: the toolbar button that opens the print dialog.
#include "window/TFormMain.h"

#include "printing/TFormDruck.h"
#include "widgets/DialogRunner.h"

void TFormMain::SpBtn16Click() {
    m_runner.exec(m_forms.FormDruck);
}
