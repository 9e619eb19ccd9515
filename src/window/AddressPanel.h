#pragma once

#include "store/RegisterRules.h"

#include <QLabel>
#include <QWidget>
#include <array>
#include <memory>

namespace Ui {
class AddressPanel;
}

// One party's address on the record form: a heading and the lines name, street, and postcode
// with town. The register window shows four of them (seller, buyer, two authorities).
class AddressPanel : public QWidget {
    Q_OBJECT
public:
    // `headingName` and `lineName` give the controls their names in the window:
    // Label_<lineName>Name, ...Strasse, ...PLZ, ...Ort.
    AddressPanel(const QString& heading, const QString& headingName, const QString& lineName,
                 QWidget* parent = nullptr);
    ~AddressPanel() override;

    void setAddress(const RegisterRules::PartyAddress& address);
    QLabel* heading() const;
    // Name, street, postcode, town.
    std::array<QLabel*, 4> lines() const;

private:
    std::unique_ptr<Ui::AddressPanel> ui;
};
