#include "printing/ReportOutputDialog.h"

#include "ui_ReportOutputDialog.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QPushButton>

ReportOutputDialog::ReportOutputDialog(const QString& reportTitle, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ReportOutputDialog>()) {
    ui->setupUi(this);
    ui->Label_Report->setText(reportTitle);
    // The stock button text would be English.
    ui->buttonBox->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Abbrechen"));
    ui->Combo_Drucker->addItems(QPrinterInfo::availablePrinterNames());
    const QString def = QPrinterInfo::defaultPrinterName();
    if (!def.isEmpty())
        ui->Combo_Drucker->setCurrentText(def);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &ReportOutputDialog::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ui->Btn_Datei, &QPushButton::clicked, this, [this] {
        const QString f = QFileDialog::getSaveFileName(this, QStringLiteral("PDF-Datei"),
                                                       ui->Edit_Datei->text(), QStringLiteral("PDF (*.pdf)"));
        if (!f.isEmpty()) {
            ui->Edit_Datei->setText(f);
            ui->Radio_Datei->setChecked(true);
        }
    });
}

ReportOutputDialog::~ReportOutputDialog() = default;

Prompts::OutputChoice ReportOutputDialog::choice() const {
    Prompts::OutputChoice c;
    using D = Prompts::OutputChoice::Destination;
    c.destination = ui->Radio_Drucker->isChecked() ? D::Printer
                    : ui->Radio_Datei->isChecked() ? D::File
                                                   : D::Preview;
    c.copies = ui->Spin_Kopien->value();
    c.printer = ui->Combo_Drucker->currentText();
    c.file = ui->Edit_Datei->text();
    return c;
}

void ReportOutputDialog::accept() {
    if (ui->Radio_Datei->isChecked() && ui->Edit_Datei->text().trimmed().isEmpty()) {
        QMessageBox::warning(this, windowTitle(), QStringLiteral("Bitte einen Dateinamen angeben."));
        return;
    }
    QDialog::accept();
}

std::optional<Prompts::OutputChoice> ReportOutputDialog::ask(QWidget* parent, const QString& title) {
    ReportOutputDialog d(title, parent);
    if (d.exec() != QDialog::Accepted)
        return std::nullopt;
    return d.choice();
}
