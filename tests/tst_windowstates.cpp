// What the register window shows in each of its states: the sort list with the status text of
// every order, the menus with their captions, keys and enabled entries, and the hints of the
// toolbar and the add buttons.
#include "support/AppRun.h"
#include "support/SampleData.h"
#include "widgets/ElidedLabel.h"
#include "widgets/LookupComboBox.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolButton>

namespace {

// An entry of the sort list and what the status bar says once it is chosen.
struct SortCase {
    const char* name;
    const char* status;
};
const SortCase kSorts[17] = {
    {"Index", "Sortiert nach: Index"},
    {"Kaufdatum", "Sortiert nach: Kaufdatum"},
    {"Waffentyp", "Sortiert nach: Waffentyp"},
    {"Kaliber", "Sortiert nach: Kaliber"},
    {"Fabrik", "Sortiert nach: Hersteller"},
    {"Serien-Nummer", "Sortiert nach: Serien-Nr."},
    {"Verkäufer", "Sortiert nach: Verkäufer"},
    {"Käufer", "Sortiert nach: Käufer"},
    {"Verkaufsdatum", "Sortiert nach: Verkaufsdatum"},
    {"EWB", "Sortiert nach: EWB"},
    {"EWB-Nummer", "EWB-Nummer"},
    {"EWB-Datum", "Sortiert nach: EWB-Ausstellungsdatum"},
    {"Amt bzw. Land", "Sortiert nach: Amt bzw. Land"},
    {"Käufer-Amt", "Sortiert nach: Käufer-Amt"},
    {"Jagdsch.-Datum", "Sortiert nach: Jagdschein-Ausstellungsdatum"},
    {"Brief-Datum", "Sortiert nach: Briefdatum"},
    {"Notiz", "Sortiert nach: Notiz"},
};

// "caption|keys|enabled" of every entry of a menu, separators left out.
QStringList entries(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions())
        if (!a->isSeparator())
            out << QStringLiteral("%1|%2|%3")
                       .arg(a->text(), a->shortcut().toString(), a->isEnabled() ? "an" : "aus");
    return out;
}

} // namespace

class TestWindowStates : public QObject {
    Q_OBJECT

private slots:
    void init() {
        run = std::make_unique<AppRun>();
        addSampleData(run->folder);
    }
    void cleanup() { finishRun(run); }

    void statusTextOfEverySortOrder();
    void menusInEachState();
    void hints();
    void screenReadersHearCaptionAndValue();

private:
    TFormMain& w() const { return run->main(); }
    std::unique_ptr<AppRun> run;
};

void TestWindowStates::statusTextOfEverySortOrder() {
    QVERIFY(run->login() && run->activate());
    run->reg().setRecNo(3);
    QCOMPARE(w().Combo_Sort->count(), 17);
    for (int i = 0; i < 17; ++i) {
        QTest::mouseClick(w().findChild<QToolButton*>("SpBtn14"), Qt::LeftButton);
        QCOMPARE(w().windowState(), WindowState::SortChoice);
        QComboBox* box = w().Combo_Sort;
        QCOMPARE(box->itemText(i), QString::fromUtf8(kSorts[i].name));
        // Chosen with the keyboard, as a user without a mouse does.
        box->setFocus();
        box->setCurrentIndex(i);
        emit box->activated(i);
        QVERIFY2(run->prompts.messages().isEmpty(), kSorts[i].name);
        QCOMPARE(w().statusPanelText(2), QString::fromUtf8(kSorts[i].status));
        QCOMPARE(w().windowState(), WindowState::Browse);
        // Every order keeps the entry that was shown, and all rows.
        QCOMPARE(w().DBText_Index->text(), QStringLiteral("3"));
        QCOMPARE(w().statusPanelText(0), QStringLiteral("Anzahl: 4"));
        QCOMPARE(w().statusPanelText(1), QStringLiteral("nicht verkauft: 3"));
    }
}

void TestWindowStates::menusInEachState() {
    QVERIFY(run->login() && run->activate());
    QStringList captions;
    for (QAction* a : w().menuBar()->actions())
        captions << a->text();
    QCOMPARE(captions, (QStringList{"&Datenbank", "&Einstellungen", "&Hilfe"}));
    const QStringList datenbank{"&Verbinden (Anmelden)|Ctrl+F1|aus",
                                "&Trennen (Abmelden)|Ctrl+F2|an",
                                "Wiederherstellungspunkt anlegen|Ctrl+W|an",
                                "Wiederherstellen|Ctrl+L|an",
                                "Neue Datenbank anlegen||aus",
                                "Alte Datenbank öffnen||aus",
                                "&Beenden|Alt+X|an"};
    const QStringList optionen{"&Optionen|F5|an", "Firmendaten ändern|F6|an"};
    const QStringList hilfe{"&Hilfe im Browser anzeigen|F1|an"};
    auto browsing = [&] {
        QCOMPARE(entries(w().M_Datenbank), datenbank);
        QCOMPARE(entries(w().M_Optionen), optionen);
        QCOMPARE(entries(w().M_Hilfe), hilfe);
        for (QMenu* m : {w().M_Datenbank, w().M_Optionen, w().M_Hilfe})
            QVERIFY(m->menuAction()->isEnabled());
    };
    auto locked = [&] {
        for (QMenu* m : {w().M_Datenbank, w().M_Optionen, w().M_Hilfe}) {
            QVERIFY(!m->menuAction()->isEnabled());
            for (QAction* a : m->actions())
                QVERIFY2(a->isSeparator() || !a->isEnabled(), qPrintable(a->text()));
        }
        // Their keys do nothing either.
        QTest::keyClick(&w(), Qt::Key_F5);
        QTest::keyClick(&w(), Qt::Key_F2, Qt::ControlModifier);
        QVERIFY(run->dialogsRun.isEmpty());
        QVERIFY(run->dm().isConnected());
    };
    browsing();
    QCOMPARE(w().windowState(), WindowState::Browse);

    w().SpBtn09Click();
    QCOMPARE(w().windowState(), WindowState::Edit);
    locked();
    w().SpBtn11Click();
    browsing();

    w().SpBtn14Click();
    QCOMPARE(w().windowState(), WindowState::SortChoice);
    locked();
    emit w().Combo_Sort->activated(0);
    browsing();

    // After Trennen the connect entry is the one offered, in every later browse state.
    w().M_Trennen->trigger();
    w().SpBtn14Click();
    w().Combo_Sort->setCurrentIndex(0);
    w().EnterBrowseMode();
    QCOMPARE(entries(w().M_Datenbank).mid(0, 2),
             (QStringList{"&Verbinden (Anmelden)|Ctrl+F1|an", "&Trennen (Abmelden)|Ctrl+F2|aus"}));
}

void TestWindowStates::hints() {
    run->create();
    const QStringList hints{"Zum ersten Datensatz",
                            "Schneller Rücklauf",
                            "Voriger Datensatz",
                            "Nächster Datensatz",
                            "Schneller Vorlauf",
                            "Zum letzten Datensatz",
                            "Datensatz hinzufügen",
                            "Hilfe",
                            "Datensatz bearbeiten",
                            "Geänderten Datensatz übernehmen",
                            "Geänderten Datensatz nicht übernehmen",
                            "Refresh",
                            "Suchen",
                            "Sortieren",
                            "Exit. Ende. Aus. Schluß. Programm beenden.",
                            "Drucken"};
    const QStringList keys{"Strg+Pos1",
                           "Umschalt+Strg+Bild↑",
                           "Strg+Bild↑",
                           "Strg+Bild↓",
                           "Umschalt+Strg+Bild↓",
                           "Strg+Ende",
                           "Strg+N",
                           "F1",
                           "F2",
                           "Strg+S",
                           "Esc",
                           "F9",
                           "Strg+F",
                           "Strg+R",
                           "Alt+X",
                           "Strg+P"};
    for (int n = 1; n <= 16; ++n) {
        auto* b = w().findChild<QToolButton*>(QStringLiteral("SpBtn%1").arg(n, 2, 10, QLatin1Char('0')));
        QVERIFY(b);
        // The hint names the key.
        QCOMPARE(b->toolTip(), QStringLiteral("%1 (%2)").arg(hints[n - 1], keys[n - 1]));
        // A picture button is announced by its hint.
        QCOMPARE(b->accessibleName(), hints[n - 1]);
        QVERIFY(b->text().isEmpty());
    }
    const std::pair<const char*, const char*> adds[] = {
        {"SB_Typ", "Einen neuen Waffentyp eingeben."},
        {"SB_Kaliber", "Ein neues Kaliber eingeben."},
        {"SB_Hersteller", "Einen neuen Hersteller eingeben."},
        {"SB_Verkaufer", "Einen neuen Handelspartner eingeben."},
        {"SB_Amt", "Ein neues Amt oder Land eingeben."},
        {"SB_Kaufer", ""},
        {"SB_KauferAmt", ""}};
    for (const auto& [name, hint] : adds) {
        auto* b = w().findChild<QToolButton*>(name);
        QVERIFY(b);
        QCOMPARE(b->toolTip(), QString::fromUtf8(hint));
        QVERIFY2(!b->accessibleName().isEmpty(), name);
    }
    // Every box of the record form is announced by its caption.
    const std::pair<const char*, const char*> boxes[] = {{"DBEdit_KDatum_Text", "Kauf-Datum"},
                                                         {"DBEdit_SerienNr", "Serien-Nr."},
                                                         {"DBLU_Typ", "Waffentyp"},
                                                         {"DBLU_Kaliber", "Kaliber"},
                                                         {"DBLU_Hersteller", "Fabrik, Hersteller"},
                                                         {"DBLU_Verkaufer", "Verkäufer"},
                                                         {"DBLU_Kaufer", "Käufer"},
                                                         {"DBLU_EWB", "Erwerbsberechtigung"},
                                                         {"DBEdit_EWBNR", "EWB-Nummer"},
                                                         {"DBEdit_EWBDatum_Text", "EWB-Datum"},
                                                         {"DBEdit_VDatum_Text", "Verkaufs-Datum"},
                                                         {"DBEdit_VJgdSch_Text", "Jagdschein gltg. bis"},
                                                         {"DBLU_Amt", "ausstell. Amt/Land"},
                                                         {"DBLU_KauferAmt", "für Käufer zuständiges Amt"},
                                                         {"DBLU_Notiz", "Notiz"},
                                                         {"Spin_Spul", "Spulspeed"}};
    for (const auto& [name, caption] : boxes) {
        auto* box = w().findChild<QWidget*>(name);
        QVERIFY2(box, name);
        QCOMPARE(box->accessibleName(), QString::fromUtf8(caption));
    }
}

void TestWindowStates::screenReadersHearCaptionAndValue() {
    QVERIFY(run->login());
    run->reg().setRecNo(3);
    auto heard = [](QWidget* w, QAccessible::Text t) {
        return QAccessible::queryAccessibleInterface(w)->text(t);
    };
    QCOMPARE(heard(w().DBText_Index, QAccessible::Name), QStringLiteral("Laufende Nr."));
    QCOMPARE(heard(w().DBText_Index, QAccessible::Value), QStringLiteral("3"));
    QCOMPARE(heard(w().DBText_BDatum, QAccessible::Name), QStringLiteral("Brief-Datum"));
    QCOMPARE(heard(w().DBText_BDatum, QAccessible::Value), QStringLiteral("04.06.2024"));
    auto* buyer = w().findChild<QLabel*>(QStringLiteral("Label_KauferName"));
    QCOMPARE(heard(buyer, QAccessible::Name), QStringLiteral("Käufer Name"));
    QCOMPARE(heard(buyer, QAccessible::Value), QStringLiteral("Hans Jäger"));
    // A lookup box carries its caption as its name and is labelled by it (on this desktop a
    // screen reader reads a combo box's caption from that relation).
    QCOMPARE(w().DBLU_Kaufer->accessibleName(), QStringLiteral("Käufer"));
    bool labelled = false;
    for (const auto& [other, relation] :
         QAccessible::queryAccessibleInterface(w().DBLU_Kaufer)->relations(QAccessible::Label))
        labelled = labelled || other->text(QAccessible::Name) == QStringLiteral("Käufer");
    QVERIFY(labelled);

    // The longest permit kind does not fit the box: its list is wider, its hint shows it whole.
    w().SpBtn09Click();
    const QString longest = QStringLiteral("Ausländische Erwerbsberechtigung");
    const int i = w().DBLU_EWB->findText(longest);
    QVERIFY(i >= 0);
    w().DBLU_EWB->setCurrentIndex(i);
    QCOMPARE(w().DBLU_EWB->toolTip(), longest);
    QVERIFY(w().DBLU_EWB->width() < w().DBLU_EWB->fontMetrics().horizontalAdvance(longest));
    w().DBLU_EWB->showPopup();
    QVERIFY(w().DBLU_EWB->view()->width() > w().DBLU_EWB->fontMetrics().horizontalAdvance(longest));
    w().DBLU_EWB->hidePopup();
    w().SpBtn11Click();

    // An address line too long for its place ends in "…" and is still heard whole.
    const QString longName =
        QStringLiteral("Jagd- und Sportwaffen Großhandelsgesellschaft Müller-Lüdenscheidt mbH");
    buyer->setText(longName);
    auto* shown = qobject_cast<ElidedLabel*>(buyer);
    QVERIFY(shown);
    QCOMPARE(shown->text(), longName);
    QVERIFY(shown->shownText().endsWith(QChar(0x2026)));
    QVERIFY(shown->fontMetrics().horizontalAdvance(shown->shownText()) <= shown->contentsRect().width());
    QCOMPARE(heard(buyer, QAccessible::Value), longName);
    QCOMPARE(qobject_cast<ElidedLabel*>(w().findChild<QLabel*>(QStringLiteral("Label_VerkauferName")))
                 ->shownText(),
             w().findChild<QLabel*>(QStringLiteral("Label_VerkauferName"))->text());
}

QTEST_MAIN(TestWindowStates)
#include "tst_windowstates.moc"
