// The register window's side of the search: the toolbar button that opens the search dialog
// and the box "Nur Suchergebnisse anzeigen".
#include "window/TFormMain.h"

#include "common/Prompts.h"
#include "search/TFormSuchen.h"
#include "widgets/DialogRunner.h"

#include <QSignalBlocker>

void TFormMain::bindSearch() {
    Results = std::make_unique<ResultsView>(dm(), *this, m_prompts);
    m_forms.Results = Results.get();
    CheckBox_Filter->setAccessibleName(CheckBox_Filter->text());
    // Every change of the box runs the handler, whether the user clicks it or code sets it.
    connect(CheckBox_Filter, &QCheckBox::toggled, this,
            [this] { guarded([this] { CheckBox_FilterClick(); }); });
}

void TFormMain::SpBtn13Click() {
    if (!dm().isConnected()) {
        m_prompts.message(ResultsView::kNotConnected);
        return;
    }
    m_runner.exec(m_forms.FormSuchen);
}

void TFormMain::CheckBox_FilterClick() {
    Results->filterChangedByUser();
}

bool TFormMain::filterChecked() const {
    return CheckBox_Filter->isChecked();
}

void TFormMain::setFilterCheckedQuietly(bool checked) {
    const QSignalBlocker block(CheckBox_Filter);
    CheckBox_Filter->setChecked(checked);
}
