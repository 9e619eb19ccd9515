#include "window/AddressPanel.h"

#include "ui_AddressPanel.h"
#include "widgets/ValueLabel.h"

AddressPanel::AddressPanel(const QString& heading, const QString& headingName, const QString& lineName,
                           QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::AddressPanel>()) {
    ui->setupUi(this);
    setObjectName(QStringLiteral("Panel_") + lineName);
    ui->heading->setText(heading);
    ui->heading->setObjectName(headingName);
    const QString names[4] = {QStringLiteral("Name"), QStringLiteral("Strasse"), QStringLiteral("PLZ"),
                              QStringLiteral("Ort")};
    const auto all = lines();
    const QString captions[4] = {QStringLiteral("Name"), QStringLiteral("Straße"), QStringLiteral("PLZ"),
                                 QStringLiteral("Ort")};
    for (std::size_t i = 0; i < all.size(); ++i) {
        all[i]->setObjectName(QStringLiteral("Label_") + lineName + names[i]);
        valuelabel::mark(all[i], heading + QLatin1Char(' ') + captions[i]);
    }
    // Fonts in pixels, as the rest of the window: a .ui file only holds points.
    QFont headingFont = font();
    headingFont.setBold(true);
    headingFont.setPixelSize(15);
    ui->heading->setFont(headingFont);
    QPalette p = ui->heading->palette();
    p.setColor(QPalette::WindowText, QColor(0x80, 0, 0));
    ui->heading->setPalette(p);
    QFont lineFont = font();
    lineFont.setPixelSize(16);
    for (QLabel* l : all)
        l->setFont(lineFont);
    lineFont.setBold(true);
    ui->name->setFont(lineFont);
}

AddressPanel::~AddressPanel() = default;

void AddressPanel::setAddress(const RegisterRules::PartyAddress& address) {
    ui->name->setText(address.name);
    ui->street->setText(address.street);
    ui->postcode->setText(address.postcode);
    ui->town->setText(address.town);
}

QLabel* AddressPanel::heading() const {
    return ui->heading;
}

std::array<QLabel*, 4> AddressPanel::lines() const {
    return {ui->name, ui->street, ui->postcode, ui->town};
}
