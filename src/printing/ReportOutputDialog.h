#pragma once

#include "common/Prompts.h"

#include <QDialog>
#include <memory>
#include <optional>

namespace Ui {
class ReportOutputDialog;
}

// The output dialog of a report run: preview (preselected), printer with printer choice, or a
// PDF file; number of copies.
class ReportOutputDialog : public QDialog {
    Q_OBJECT
public:
    explicit ReportOutputDialog(const QString& reportTitle, QWidget* parent = nullptr);
    ~ReportOutputDialog() override;
    Prompts::OutputChoice choice() const;
    static std::optional<Prompts::OutputChoice> ask(QWidget* parent, const QString& reportTitle);

private:
    void accept() override;
    std::unique_ptr<Ui::ReportOutputDialog> ui;
};
