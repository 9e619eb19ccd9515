#include "settings/TFormOptions.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TFormOptions::TFormOptions(Forms& forms, QWidget* parent)
    : MasterDialog(forms, QStringLiteral("FormOptions"), QStringLiteral("Einstellungen"), parent),
      // Design colours until the settings row is loaded: light window, black text, dark red headings.
      m_slots{0xF0F0F0, 0x000000, 0x000080, 0xE8E8E8, 0x000000, 0xFFFFFF, 0x000000,
              0xF0F0F0, 0x000000, 0xFFFFFF, 0x000000, 0xD8D8D8, 0x000000} {
    resize(617, 523);
    auto make = [this](const char* name, const QString& caption, bool ticked) {
        auto* box = new QCheckBox(caption, this);
        box->setObjectName(QString::fromLatin1(name));
        box->setChecked(ticked);
        body()->addWidget(box);
        return box;
    };
    Check_Verbinden =
        make("Check_Verbinden", QStringLiteral("Beim Programmstart automatisch mit der Datenbank verbinden"),
             true);
    Check_TabEdit = make("Check_TabEdit", QStringLiteral("Ändern der Haupttabelle erlauben"), false);
    Check_Sicherung =
        make("Check_Sicherung", QStringLiteral("Bei Programm-Start automatische Datenbanksicherung anlegen"),
             true);
    Check_SubTabs =
        make("Check_SubTabs",
             QStringLiteral("Beim Anlegen einer neuen Datenbank alle Untertabellen übernehmen"), true);
    Check_DruckIndex = make("Check_DruckIndex",
                            QStringLiteral("Beim Druck des Waffenbuchs automatisch nach Index sortieren und "
                                           "Suchergebnisse ausschalten"),
                            true);
    Check_ProgEnde = make("Check_ProgEnde", QStringLiteral("Sicherheitsabfrage beim Programm-Ende"), true);
    body()->addStretch(1);
    auto* buttons = new QHBoxLayout;
    BitBtn_OptOK = new QPushButton(QStringLiteral("Übernehmen"), this);
    BitBtn_OptOK->setObjectName(QStringLiteral("BitBtn_OptOK"));
    BitBtn_OptESC = new QPushButton(QStringLiteral("Verwerfen"), this);
    BitBtn_OptESC->setObjectName(QStringLiteral("BitBtn_OptESC"));
    for (QPushButton* b : {BitBtn_OptOK, BitBtn_OptESC}) {
        b->setFixedSize(200, 35);
        buttons->addWidget(b);
    }
    body()->addLayout(buttons);
    connect(BitBtn_OptOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn_OptESC, &QPushButton::clicked, this, &QDialog::reject);
}
