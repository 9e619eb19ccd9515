#include "window/TFormMain.h"

#include "common/DialogRunner.h"
#include "common/HandlerGuard.h"
#include "common/Konst.h"
#include "common/Prompts.h"
#include "settings/TFormOptions.h"
#include "settings/UserSettings.h"
#include "store/RegisterQuery.h"
#include "store/Schema.h"
#include "window/Binding.h"
#include "window/Icons.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString kTitle = QStringLiteral("Tarnova Elektronisches Waffenbuch v1.1");

// Colour integers are blue-green-red (red in the low byte). Values with the high byte set name
// a system colour; those take the desktop's colour of that kind.
QColor colourOf(int value, QPalette::ColorRole fallbackRole) {
    if (quint32(value) & 0xFF000000u) {
        const QPalette pal = QApplication::palette();
        switch (value & 0xFF) {
        case 5:
            return pal.color(QPalette::Base);
        case 8:
            return pal.color(QPalette::Text);
        case 15:
            return pal.color(QPalette::Button);
        case 18:
            return pal.color(QPalette::ButtonText);
        default:
            return pal.color(fallbackRole);
        }
    }
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

void setColour(QWidget* w, QPalette::ColorRole role, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(role, c);
    w->setPalette(p);
}

QFont boldFont(const QFont& base, int pixelSize = 0) {
    QFont f = base;
    f.setBold(true);
    if (pixelSize > 0)
        f.setPixelSize(pixelSize);
    return f;
}

} // namespace

// ------------------------------------------------------------------ SpulSpinBox

QValidator::State SpulSpinBox::validate(QString& input, int&) const {
    if (input.isEmpty())
        return QValidator::Intermediate;
    for (const QChar c : input)
        if (!c.isDigit())
            return QValidator::Invalid;
    if (input.size() > 9)
        return QValidator::Invalid;
    // A number outside the range may stand while typing; fixup brings it into range on leaving.
    const int typed = input.toInt();
    return typed >= minimum() && typed <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

void SpulSpinBox::fixup(QString& input) const {
    if (input.isEmpty()) {
        input = QString::number(minimum());
        return;
    }
    bool ok = false;
    const int typed = input.toInt(&ok);
    if (ok)
        input = QString::number(std::clamp(typed, minimum(), maximum()));
}

// ------------------------------------------------------------------ construction

TFormMain::TFormMain(Forms& forms, QWidget* parent) : QMainWindow(parent), m_forms(forms) {
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(kTitle);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(13);
    setFont(f);
    setMinimumSize(800, 700);
    resize(792, 654);
    startFolder = QCoreApplication::applicationDirPath();

    buildMenus();
    PgCtrl = new QTabWidget(this);
    PgCtrl->setObjectName(QStringLiteral("PgCtrl"));
    TS_Formular = new QWidget;
    TS_Formular->setObjectName(QStringLiteral("TS_Formular"));
    TS_Tabellen = new QWidget;
    TS_Tabellen->setObjectName(QStringLiteral("TS_Tabellen"));
    PgCtrl->addTab(TS_Formular, QStringLiteral("Formular"));
    PgCtrl->addTab(TS_Tabellen, QStringLiteral("Tabellen"));
    setCentralWidget(PgCtrl);

    auto* formLayout = new QHBoxLayout(TS_Formular);
    formLayout->setContentsMargins(0, 0, 0, 0);
    buildRecordForm();
    formLayout->addWidget(Panel_Formular);
    formLayout->addWidget(buildRightSide(), 1);

    auto* tablesLayout = new QVBoxLayout(TS_Tabellen);
    auto* later =
        new QLabel(QStringLiteral("Die Tabellenansicht ist in dieser Version noch nicht enthalten."));
    later->setAlignment(Qt::AlignCenter);
    tablesLayout->addWidget(later);

    buildStatusBar();
    // The design state is browse mode.
    setDataControlsReadOnly(true);
    for (QToolButton* b : {SB_Typ, SB_Kaliber, SB_Hersteller, SB_Verkaufer, SB_Kaufer, SB_Amt, SB_KauferAmt})
        b->hide();
    SpBtn[10]->setEnabled(false);
    SpBtn[11]->setEnabled(false);
}

TFormMain::~TFormMain() = default;

void TFormMain::guarded(const std::function<void()>& handler) {
    runGuarded(*m_forms.prompts, handler);
}

void TFormMain::buildMenus() {
    auto addMenu = [this](const char* name, const QString& caption, int group) {
        QMenu* m = menuBar()->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name));
        m_menuGroups[std::size_t(group)] = new QActionGroup(this);
        m_menuGroups[std::size_t(group)]->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
        return m;
    };
    auto addEntry = [this](QMenu* menu, int group, const char* name, const QString& caption,
                           const QKeySequence& keys, bool enabled, void (TFormMain::*handler)()) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(keys);
        a->setShortcutContext(Qt::WindowShortcut);
        a->setEnabled(enabled);
        m_menuGroups[std::size_t(group)]->addAction(a);
        addAction(a); // shortcuts work while the menu is closed
        if (handler)
            connect(a, &QAction::triggered, this,
                    [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
        return a;
    };
    M_Datenbank = addMenu("M_Datenbank", QStringLiteral("&Datenbank"), 0);
    M_Verbinden = addEntry(M_Datenbank, 0, "M_Verbinden", QStringLiteral("&Verbinden (Anmelden)"),
                           QKeySequence(Qt::CTRL | Qt::Key_F1), false, &TFormMain::M_VerbindenClick);
    M_Trennen = addEntry(M_Datenbank, 0, "M_Trennen", QStringLiteral("&Trennen (Abmelden)"),
                         QKeySequence(Qt::CTRL | Qt::Key_F2), true, &TFormMain::M_TrennenClick);
    M_Datenbank->addSeparator()->setObjectName(QStringLiteral("N1"));
    // Restore points come with their own work; the entries are there with their keys.
    M_Sichern = addEntry(M_Datenbank, 0, "M_Sichern", QStringLiteral("Wiederherstellungspunkt anlegen"),
                         QKeySequence(Qt::CTRL | Qt::Key_W), true, nullptr);
    M_Laden = addEntry(M_Datenbank, 0, "M_Laden", QStringLiteral("Wiederherstellen"),
                       QKeySequence(Qt::CTRL | Qt::Key_L), true, nullptr);
    M_Datenbank->addSeparator()->setObjectName(QStringLiteral("N2"));
    M_NeueDatenbank = addEntry(M_Datenbank, 0, "M_NeueDatenbank", QStringLiteral("Neue Datenbank anlegen"),
                               QKeySequence(), false, nullptr);
    M_AlteDatenbank = addEntry(M_Datenbank, 0, "M_AlteDatenbank", QStringLiteral("Alte Datenbank öffnen"),
                               QKeySequence(), false, nullptr);
    M_Datenbank->addSeparator()->setObjectName(QStringLiteral("N3"));
    M_Ende = addEntry(M_Datenbank, 0, "M_Ende", QStringLiteral("&Beenden"), QKeySequence(Qt::ALT | Qt::Key_X),
                      true, &TFormMain::M_EndeClick);

    M_Optionen = addMenu("M_Optionen", QStringLiteral("&Einstellungen"), 1);
    M_OptionFenster = addEntry(M_Optionen, 1, "M_OptionFenster", QStringLiteral("&Optionen"),
                               QKeySequence(Qt::Key_F5), true, &TFormMain::M_OptionFensterClick);
    M_Firma = addEntry(M_Optionen, 1, "M_Firma", QStringLiteral("Firmendaten ändern"),
                       QKeySequence(Qt::Key_F6), true, nullptr);

    M_Hilfe = addMenu("M_Hilfe", QStringLiteral("&Hilfe"), 2);
    M_HilfeIndex = addEntry(M_Hilfe, 2, "M_HilfeIndex", QStringLiteral("&Hilfe im Browser anzeigen"),
                            QKeySequence(Qt::Key_F1), true, &TFormMain::M_HilfeIndexClick);
}

void TFormMain::buildRecordForm() {
    Panel_Formular = new QFrame;
    Panel_Formular->setObjectName(QStringLiteral("Panel_Formular"));
    Panel_Formular->setFixedWidth(443);
    Panel_Formular->setMinimumHeight(596);
    Panel_Formular->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel_Formular->setLineWidth(3);
    Panel_Formular->setAutoFillBackground(true);
    QWidget* p = Panel_Formular;

    auto caption = [this, p](const char* name, const QString& text, int x, int y, int w) {
        auto* l = new QLabel(text, p);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(x, y - 17, w, 16);
        m_captions << l;
        return l;
    };
    auto lineEdit = [p](const char* name, int x, int y, int w, int maxLength) {
        auto* e = new QLineEdit(p);
        e->setObjectName(QString::fromLatin1(name));
        e->setGeometry(x, y, w, 25);
        e->setMaxLength(maxLength);
        return e;
    };
    auto dateEdit = [p](const char* name, int x, int y, int w) {
        auto* e = new DateEdit(p);
        e->setObjectName(QString::fromLatin1(name));
        e->lineEdit()->setObjectName(QString::fromLatin1(name) + QStringLiteral("_Text"));
        e->setGeometry(x, y, w, 25);
        return e;
    };
    auto lookup = [p](const char* name, int x, int y, int w) {
        auto* c = new LookupComboBox(p);
        c->setObjectName(QString::fromLatin1(name));
        c->setGeometry(x, y, w, 26);
        c->setMaxVisibleItems(20);
        return c;
    };
    auto addButton = [p](const char* name, const QString& hint, const QString& accessible, int x, int y) {
        auto* b = new QToolButton(p);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(x, y, 25, 25);
        b->setIcon(Icons::icon(QStringLiteral("plus"), 25));
        b->setIconSize(QSize(19, 19));
        b->setToolTip(hint);
        b->setAccessibleName(hint.isEmpty() ? accessible : hint);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };

    auto* indexCaption = caption("Label_Index", QStringLiteral("Laufende Nr."), 10, 31, 100);
    indexCaption->setAlignment(Qt::AlignHCenter);
    DBText_Index = new QLabel(p);
    DBText_Index->setObjectName(QStringLiteral("DBText_Index"));
    DBText_Index->setGeometry(10, 32, 100, 25);
    DBText_Index->setAlignment(Qt::AlignCenter);
    DBText_Index->setFont(boldFont(font(), 19));
    DBText_Index->setAccessibleName(QStringLiteral("Laufende Nr."));

    caption("Label_KDatum", QStringLiteral("Kauf-Datum"), 140, 31, 120);
    DBEdit_KDatum = dateEdit("DBEdit_KDatum", 140, 31, 120);
    caption("Label_SerienNr", QStringLiteral("Serien-Nr."), 283, 31, 112);
    DBEdit_SerienNr = lineEdit("DBEdit_SerienNr", 283, 31, 112, 50);
    caption("Label_Typ", QStringLiteral("Waffentyp"), 10, 80, 200);
    DBLU_Typ = lookup("DBLU_Typ", 10, 80, 385);
    SB_Typ = addButton("SB_Typ", QStringLiteral("Einen neuen Waffentyp eingeben."), QString(), 400, 80);
    caption("Label_Kaliber", QStringLiteral("Kaliber"), 10, 132, 200);
    DBLU_Kaliber = lookup("DBLU_Kaliber", 10, 132, 385);
    SB_Kaliber = addButton("SB_Kaliber", QStringLiteral("Ein neues Kaliber eingeben."), QString(), 400, 132);
    caption("Label_Hersteller", QStringLiteral("Fabrik, Hersteller"), 10, 186, 200);
    DBLU_Hersteller = lookup("DBLU_Hersteller", 10, 186, 385);
    SB_Hersteller =
        addButton("SB_Hersteller", QStringLiteral("Einen neuen Hersteller eingeben."), QString(), 400, 186);
    caption("Label_Verkaufer", QStringLiteral("Verkäufer"), 10, 236, 200);
    DBLU_Verkaufer = lookup("DBLU_Verkaufer", 10, 236, 385);
    SB_Verkaufer = addButton("SB_Verkaufer", QStringLiteral("Einen neuen Handelspartner eingeben."),
                             QString(), 400, 236);
    caption("Label_Kaufer", QStringLiteral("Käufer"), 10, 288, 200);
    DBLU_Kaufer = lookup("DBLU_Kaufer", 10, 288, 385);
    SB_Kaufer = addButton("SB_Kaufer", QString(), QStringLiteral("Neuen Käufer eingeben"), 400, 288);
    caption("Label_EWB", QStringLiteral("Erwerbsberechtigung"), 10, 340, 144);
    DBLU_EWB = lookup("DBLU_EWB", 10, 340, 144);
    caption("Label_EWBNR", QStringLiteral("EWB-Nummer"), 159, 340, 120);
    DBEdit_EWBNR = lineEdit("DBEdit_EWBNR", 159, 340, 120, 50);
    caption("Label_EWBDatum", QStringLiteral("EWB-Datum"), 285, 340, 110);
    DBEdit_EWBDatum = dateEdit("DBEdit_EWBDatum", 285, 340, 110);
    caption("Label_VDatum", QStringLiteral("Verkaufs-Datum"), 10, 392, 120);
    DBEdit_VDatum = dateEdit("DBEdit_VDatum", 10, 392, 120);
    caption("Label_VJgdSch", QStringLiteral("Jagdschein gltg. bis"), 146, 392, 120);
    DBEdit_VJgdSch = dateEdit("DBEdit_VJgdSch", 146, 392, 120);
    caption("Label_BDatum", QStringLiteral("Brief-Datum"), 281, 392, 114)->setAlignment(Qt::AlignHCenter);
    DBText_BDatum = new QLabel(p);
    DBText_BDatum->setObjectName(QStringLiteral("DBText_BDatum"));
    DBText_BDatum->setGeometry(281, 393, 114, 25);
    DBText_BDatum->setAlignment(Qt::AlignCenter);
    DBText_BDatum->setFont(boldFont(font()));
    DBText_BDatum->setAccessibleName(QStringLiteral("Brief-Datum"));
    Label_AmtLand = caption("Label_AmtLand", QStringLiteral("ausstell. Amt/Land"), 10, 461, 193);
    DBLU_Amt = lookup("DBLU_Amt", 10, 461, 193);
    SB_Amt = addButton("SB_Amt", QStringLiteral("Ein neues Amt oder Land eingeben."), QString(),
                       10 + 193 - 25, 434);
    Label_KauferAmt = caption("Label_KauferAmt", QStringLiteral("für Käufer zuständiges Amt"), 205, 461, 193);
    DBLU_KauferAmt = lookup("DBLU_KauferAmt", 205, 461, 193);
    SB_KauferAmt =
        addButton("SB_KauferAmt", QString(), QStringLiteral("Neues zuständiges Amt eingeben"), 400, 461);
    caption("Label_Notiz", QStringLiteral("Notiz"), 10, 512, 200);
    DBLU_Notiz = lineEdit("DBLU_Notiz", 10, 512, 385, 100);

    CheckBox_Filter = new QCheckBox(QStringLiteral("Nur Suchergebnisse anzeigen"), p);
    CheckBox_Filter->setObjectName(QStringLiteral("CheckBox_Filter"));
    CheckBox_Filter->setFont(boldFont(font()));
    CheckBox_Filter->setGeometry(10, 556, 250, 25);

    auto* spulLabel = new QLabel(QStringLiteral("Spulspeed"), p);
    spulLabel->setObjectName(QStringLiteral("Label_Spul"));
    spulLabel->setGeometry(270, 560, 70, 18);
    spulLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Spin_Spul = new SpulSpinBox(p);
    Spin_Spul->setObjectName(QStringLiteral("Spin_Spul"));
    Spin_Spul->setRange(2, 500);
    Spin_Spul->setValue(10);
    Spin_Spul->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    Spin_Spul->setGeometry(345, 556, 70, 25);
    spulLabel->setBuddy(Spin_Spul);
    connect(Spin_Spul, &QSpinBox::valueChanged, this, [this] { guarded([this] { Spin_SpulChange(); }); });
    connect(Spin_Spul->editor(), &QLineEdit::textEdited, this,
            [this] { guarded([this] { Spin_SpulChange(); }); });
    connect(Spin_Spul, &QSpinBox::editingFinished, this, [this] { guarded([this] { Spin_SpulChange(); }); });

    // Captions announce their boxes to screen readers.
    const std::pair<const char*, QWidget*> buddies[] = {{"Label_KDatum", DBEdit_KDatum},
                                                        {"Label_SerienNr", DBEdit_SerienNr},
                                                        {"Label_Typ", DBLU_Typ},
                                                        {"Label_Kaliber", DBLU_Kaliber},
                                                        {"Label_Hersteller", DBLU_Hersteller},
                                                        {"Label_Verkaufer", DBLU_Verkaufer},
                                                        {"Label_Kaufer", DBLU_Kaufer},
                                                        {"Label_EWB", DBLU_EWB},
                                                        {"Label_EWBNR", DBEdit_EWBNR},
                                                        {"Label_EWBDatum", DBEdit_EWBDatum},
                                                        {"Label_VDatum", DBEdit_VDatum},
                                                        {"Label_VJgdSch", DBEdit_VJgdSch},
                                                        {"Label_AmtLand", DBLU_Amt},
                                                        {"Label_KauferAmt", DBLU_KauferAmt},
                                                        {"Label_Notiz", DBLU_Notiz}};
    for (const auto& [label, box] : buddies) {
        auto* l = p->findChild<QLabel*>(QString::fromLatin1(label));
        l->setBuddy(box);
        box->setAccessibleName(l->text());
        if (auto* d = qobject_cast<DateEdit*>(box))
            d->lineEdit()->setAccessibleName(l->text());
    }
    Spin_Spul->setAccessibleName(QStringLiteral("Spulspeed"));

    // Tab order of the form.
    QWidget* order[] = {DBEdit_KDatum,   DBEdit_SerienNr, DBLU_Typ, DBLU_Kaliber,   DBLU_Hersteller,
                        DBLU_Verkaufer,  DBLU_Kaufer,     DBLU_EWB, DBEdit_EWBNR,   DBEdit_EWBDatum,
                        DBEdit_VDatum,   DBEdit_VJgdSch,  DBLU_Amt, DBLU_KauferAmt, DBLU_Notiz,
                        CheckBox_Filter, Spin_Spul};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

QWidget* TFormMain::buildRightSide() {
    auto* right = new QWidget;
    right->setObjectName(QStringLiteral("Panel_Adressen"));
    auto* v = new QVBoxLayout(right);
    v->setContentsMargins(12, 10, 8, 6);
    v->setSpacing(4);
    buildAddressPanels(right);
    v->addStretch(1);
    Combo_Sort = new QComboBox(right);
    Combo_Sort->setObjectName(QStringLiteral("Combo_Sort"));
    Combo_Sort->setFixedWidth(324);
    Combo_Sort->setFont(boldFont(font()));
    Combo_Sort->setAccessibleName(QStringLiteral("Sortierung"));
    Combo_Sort->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Combo_Sort->hide();
    connect(Combo_Sort, &QComboBox::activated, this, [this] { guarded([this] { Combo_SortChange(); }); });
    v->addWidget(Combo_Sort, 0, Qt::AlignRight);
    buildToolbar(right);
    v->addWidget(Panel_Navi, 0, Qt::AlignRight);
    return right;
}

void TFormMain::buildAddressPanels(QWidget* page) {
    static const char* const kNames[4][5] = {
        {"Label_AVerkauferName", "Label_VerkauferName", "Label_VerkauferStrasse", "Label_VerkauferPLZ",
         "Label_VerkauferOrt"},
        {"Label_AKauferName", "Label_KauferName", "Label_KauferStrasse", "Label_KauferPLZ",
         "Label_KauferOrt"},
        {"Label_AamtName", "Label_AmtName", "Label_AmtStrasse", "Label_AmtPLZ", "Label_AmtOrt"},
        {"Label_Zamt", "Label_ZamtName", "Label_ZamtStrasse", "Label_ZamtPLZ", "Label_ZamtOrt"}};
    const QString headings[4] = {QStringLiteral("Verkäufer"), QStringLiteral("Käufer"),
                                 QStringLiteral("Ausstellendes Amt"), QStringLiteral("Zuständiges Amt")};
    auto* v = static_cast<QVBoxLayout*>(page->layout());
    QFont lineFont = font();
    lineFont.setPixelSize(16);
    for (int i = 0; i < 4; ++i) {
        auto label = [&](int k, int width) {
            auto* l = new QLabel(page);
            l->setObjectName(QString::fromLatin1(kNames[i][k]));
            l->setFont(lineFont);
            l->setFixedWidth(width);
            l->setFixedHeight(20);
            return l;
        };
        AddressPanel& ap = m_panels[std::size_t(i)];
        ap.heading = new QLabel(headings[i], page);
        ap.heading->setObjectName(QString::fromLatin1(kNames[i][0]));
        QFont hf = boldFont(font(), 15);
        ap.heading->setFont(hf);
        setColour(ap.heading, QPalette::WindowText, QColor(0x80, 0, 0));
        ap.name = label(1, 314);
        ap.name->setFont(boldFont(lineFont));
        ap.street = label(2, 314);
        ap.plz = label(3, 50);
        ap.town = label(4, 249);
        auto* block = new QVBoxLayout;
        block->setSpacing(0);
        block->addWidget(ap.heading);
        block->addWidget(ap.name);
        block->addWidget(ap.street);
        auto* line = new QHBoxLayout;
        line->setSpacing(6);
        line->addWidget(ap.plz);
        line->addWidget(ap.town);
        line->addStretch(1);
        block->addLayout(line);
        v->addLayout(block);
        v->addSpacing(14);
    }
}

void TFormMain::buildToolbar(QWidget* page) {
    Panel_Navi = new QFrame(page);
    Panel_Navi->setObjectName(QStringLiteral("Panel_Navi"));
    Panel_Navi->setFixedSize(324, 84);
    Panel_Navi->setFrameStyle(QFrame::Panel | QFrame::Raised);
    struct Def {
        int number;
        const char16_t* hint;
        void (TFormMain::*handler)();
    };
    // Two rows of eight, 40 pixels apart.
    const Def top[8] = {{9, u"Datensatz bearbeiten", &TFormMain::SpBtn09Click},
                        {10, u"Geänderten Datensatz übernehmen", &TFormMain::SpBtn10Click},
                        {11, u"Geänderten Datensatz nicht übernehmen", &TFormMain::SpBtn11Click},
                        {12, u"Refresh", &TFormMain::SpBtn12Click},
                        {13, u"Suchen", &TFormMain::SpBtn13Click},
                        {14, u"Sortieren", &TFormMain::SpBtn14Click},
                        {15, u"Exit. Ende. Aus. Schluß. Programm beenden.", &TFormMain::M_EndeClick},
                        {16, u"Drucken", &TFormMain::SpBtn16Click}};
    const Def bottom[8] = {{1, u"Zum ersten Datensatz", &TFormMain::SpBtn01Click},
                           {2, u"Schneller Rücklauf", &TFormMain::SpBtn02Click},
                           {3, u"Voriger Datensatz", &TFormMain::SpBtn03Click},
                           {4, u"Nächster Datensatz", &TFormMain::SpBtn04Click},
                           {5, u"Schneller Vorlauf", &TFormMain::SpBtn05Click},
                           {6, u"Zum letzten Datensatz", &TFormMain::SpBtn06Click},
                           {7, u"Datensatz hinzufügen", &TFormMain::SpBtn07Click},
                           {8, u"Hilfe", &TFormMain::M_HilfeIndexClick}};
    auto place = [this](const Def& d, int column, int row) {
        auto* b = new QToolButton(Panel_Navi);
        const QString name = QStringLiteral("SpBtn%1").arg(d.number, 2, 10, QLatin1Char('0'));
        b->setObjectName(name);
        b->setGeometry(4 + 40 * column, 4 + 40 * row, 35, 35);
        b->setIcon(Icons::icon(name.toLower()));
        b->setIconSize(QSize(28, 28));
        b->setAutoRaise(false);
        b->setToolTip(QString::fromUtf16(d.hint));
        b->setAccessibleName(QString::fromUtf16(d.hint));
        b->setFocusPolicy(Qt::NoFocus);
        if (d.handler)
            connect(b, &QToolButton::clicked, this,
                    [this, h = d.handler] { guarded([this, h] { (this->*h)(); }); });
        SpBtn[std::size_t(d.number)] = b;
    };
    for (int i = 0; i < 8; ++i) {
        place(top[i], i, 0);
        place(bottom[i], i, 1);
    }
}

void TFormMain::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setFixedHeight(30);
    bar->setSizeGripEnabled(true);
    const int widths[5] = {120, 120, 200, 150, 500};
    for (int i = 0; i < 5; ++i) {
        auto* l = new QLabel(bar);
        l->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        l->setAlignment(Qt::AlignCenter);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setFixedWidth(widths[i]);
        bar->addWidget(l);
        StatusPanels[std::size_t(i)] = l;
    }
}

void TFormMain::bindDataModule() {
    TDatMod& d = dm();
    d.setPort(this);
    DScr_Vorgang = new DataSource(d.ASet_Vorgang, this);
    DScr_Vorgang->setObjectName(QStringLiteral("DScr_Vorgang"));
    DScr_Vorgang->bindDate(DBEdit_KDatum, QStringLiteral("KDatum"));
    DScr_Vorgang->bindEdit(DBEdit_SerienNr, QStringLiteral("SerienNr"));
    DScr_Vorgang->bindLookup(DBLU_Typ, QStringLiteral("Waffentyp"), d.ATab_Typ, QStringLiteral("WTyp"));
    DScr_Vorgang->bindLookup(DBLU_Kaliber, QStringLiteral("Kaliber"), d.ATab_Kaliber,
                             QStringLiteral("Kaliber"));
    DScr_Vorgang->bindLookup(DBLU_Hersteller, QStringLiteral("Hersteller"), d.ATab_Hersteller,
                             QStringLiteral("Hersteller"));
    DScr_Vorgang->bindLookup(DBLU_Verkaufer, QStringLiteral("Verkaufer"), d.ATab_Kauf,
                             QStringLiteral("Name"));
    DScr_Vorgang->bindLookup(DBLU_Kaufer, QStringLiteral("Kaufer"), d.ATab_Kauf, QStringLiteral("Name"),
                             [this] { guarded([this] { DBLU_KauferChange(); }); });
    DScr_Vorgang->bindLookup(DBLU_EWB, QStringLiteral("EWB"), d.ATab_EWB, QStringLiteral("EWB"));
    DScr_Vorgang->bindEdit(DBEdit_EWBNR, QStringLiteral("EWBNR"));
    DScr_Vorgang->bindDate(DBEdit_EWBDatum, QStringLiteral("AmtDatum"));
    DScr_Vorgang->bindDate(DBEdit_VDatum, QStringLiteral("VDatum"));
    DScr_Vorgang->bindDate(DBEdit_VJgdSch, QStringLiteral("JDatum"));
    DScr_Vorgang->bindLookup(DBLU_Amt, QStringLiteral("Amt"), d.ATab_Amt, QStringLiteral("Name"),
                             [this] { guarded([this] { DBLU_AmtChange(); }); });
    DScr_Vorgang->bindLookup(DBLU_KauferAmt, QStringLiteral("KauferAmt"), d.ATab_Amt, QStringLiteral("Name"));
    DScr_Vorgang->bindEdit(DBLU_Notiz, QStringLiteral("Notiz"));
    DScr_Vorgang->bindLabel(DBText_Index, QStringLiteral("Index"));
    DScr_Vorgang->bindLabel(DBText_BDatum, QStringLiteral("BriefDatum"));
    bindSearch();
}

// ------------------------------------------------------------------ shared procedures

void TFormMain::FillSortChoices() {
    Combo_Sort->clear();
    Combo_Sort->addItems(RegisterQuery::sortNames());
    Combo_Sort->setCurrentIndex(-1);
}

void TFormMain::ApplyRegisterSort() {
    Dataset& reg = *dm().ASet_Vorgang;
    Konst::CurrentIndex = reg.recNo() > 0 ? reg.asInteger(QStringLiteral("Index")) : 0;
    const QString query = schema::registerColumnList() + RegisterQuery::fromPart(Combo_Sort->currentIndex());
    try {
        reg.close();
        reg.setCommandText(query);
        reg.open();
    } catch (const std::exception&) {
        m_forms.prompts->message(QStringLiteral("Fehlerhafte Suchkriterien"));
        reg.close();
        reg.setCommandText(RegisterQuery::kWholeRegister);
        reg.open();
    }
    reg.locate(QStringLiteral("Index"), Konst::CurrentIndex);
    UpdateStatusBar();
    // The register now shows the whole register sorted, which is what unticking the results view
    // would show again: untick it without running it a second time, and count the whole register.
    if (CheckBox_Filter->isChecked()) {
        setFilterCheckedQuietly(false);
        CountUnsold(dm());
        ShowPartyPanels();
        UpdateStatusBar();
    }
}

void TFormMain::UpdateStatusBar() {
    setStatusPanelText(0, QStringLiteral("Anzahl: %1").arg(dm().ASet_Vorgang->recordCount()));
    setStatusPanelText(1, QStringLiteral("nicht verkauft: %1").arg(Konst::UnsoldCount));
    // Without a chosen order panel 2 stays empty.
    setStatusPanelText(2, RegisterQuery::statusText(Combo_Sort->currentIndex()));
}

void TFormMain::setStatusPanelText(int panel, const QString& text) {
    StatusPanels[std::size_t(panel)]->setText(text);
}

QString TFormMain::statusPanelText(int panel) const {
    return StatusPanels[std::size_t(panel)]->text();
}

void TFormMain::fillAddress(const AddressPanel& panel, const QString& keyColumn, bool partner) {
    const Dataset& reg = *dm().ASet_Vorgang;
    Dataset& list = partner ? *dm().ATab_Kauf : *dm().ATab_Amt;
    const int key = reg.asInteger(keyColumn);
    bool found = false;
    if (key > 1 && list.isActive()) {
        // Moving the shared list dataset lets its grid follow, as the lookup box does.
        found = list.isEditing() ? list.positionOfIndex(key) >= 0 : list.locate(QStringLiteral("Index"), key);
    }
    if (!found) {
        // Nothing entered, or a key without a row: the whole panel is empty rather than
        // showing a previous row's address under an empty name.
        for (QLabel* l : {panel.name, panel.street, panel.plz, panel.town})
            l->clear();
        return;
    }
    const int pos = list.positionOfIndex(key);
    auto text = [&](const QString& column) { return list.textAt(pos, list.fieldIndex(column)); };
    panel.name->setText(text(QStringLiteral("Name")));
    panel.street->setText(text(QStringLiteral("Strasse")));
    const int plz = list.valueAt(pos, list.fieldIndex(QStringLiteral("PLZ"))).toInt();
    panel.plz->setText(partner || plz != 0 ? QString::number(plz) : QString());
    panel.town->setText(text(partner ? QStringLiteral("Ort") : QStringLiteral("Stadt")));
}

void TFormMain::ShowPartyPanels() {
    const Dataset& reg = *dm().ASet_Vorgang;
    if (!dm().isConnected() || (reg.recordCount() == 0 && !reg.isEditing())) {
        for (const AddressPanel& p : m_panels)
            for (QLabel* l : {p.name, p.street, p.plz, p.town})
                l->clear();
        return;
    }
    fillAddress(m_panels[0], QStringLiteral("Verkaufer"), true);
    fillAddress(m_panels[1], QStringLiteral("Kaufer"), true);
    fillAddress(m_panels[2], QStringLiteral("Amt"), false);
    fillAddress(m_panels[3], QStringLiteral("KauferAmt"), false);
}

void TFormMain::setDataControlsReadOnly(bool readOnly) {
    for (DateEdit* d : {DBEdit_KDatum, DBEdit_VDatum, DBEdit_EWBDatum, DBEdit_VJgdSch})
        d->setReadOnly(readOnly);
    for (QLineEdit* e : {DBEdit_SerienNr, DBEdit_EWBNR, DBLU_Notiz})
        e->setReadOnly(readOnly);
    for (LookupComboBox* c : {DBLU_Typ, DBLU_Kaliber, DBLU_Hersteller, DBLU_Verkaufer, DBLU_Kaufer, DBLU_EWB,
                              DBLU_Amt, DBLU_KauferAmt})
        c->setReadOnly(readOnly);
}

void TFormMain::setMenusEnabled(bool enabled) {
    // The group keeps entries that are disabled on their own (Verbinden, the two never-enabled
    // ones) disabled when the menu comes back.
    for (QActionGroup* g : m_menuGroups)
        g->setEnabled(enabled);
    for (QMenu* m : {M_Datenbank, M_Optionen, M_Hilfe})
        m->menuAction()->setEnabled(enabled);
}

void TFormMain::setToolbarForEdit(bool edit) {
    for (int i : {1, 2, 3, 4, 5, 6, 7, 9, 12, 13, 14, 15, 16})
        SpBtn[std::size_t(i)]->setEnabled(!edit);
    SpBtn[10]->setEnabled(edit);
    SpBtn[11]->setEnabled(edit);
}

void TFormMain::EnterBrowseMode() {
    setDataControlsReadOnly(true);
    PgCtrl->setTabVisible(PgCtrl->indexOf(TS_Tabellen), true);
    setToolbarForEdit(false);
    for (QToolButton* b : {SB_Typ, SB_Kaliber, SB_Hersteller, SB_Verkaufer, SB_Kaufer, SB_Amt, SB_KauferAmt})
        b->hide();
    setMenusEnabled(true);
    CheckBox_Filter->setEnabled(true);
}

void TFormMain::EnterEditMode() {
    setDataControlsReadOnly(false);
    PgCtrl->setTabVisible(PgCtrl->indexOf(TS_Tabellen), false);
    setToolbarForEdit(true);
    for (QToolButton* b : {SB_Typ, SB_Kaliber, SB_Hersteller, SB_Verkaufer, SB_Kaufer, SB_Amt, SB_KauferAmt})
        b->show();
    setMenusEnabled(false);
    CheckBox_Filter->setEnabled(false);
}

void TFormMain::ApplyColourScheme() {
    const TFormOptions& o = *m_forms.FormOptions;
    auto slot = [&](int s, QPalette::ColorRole fallback) { return colourOf(o.slotColour(s), fallback); };

    setAutoFillBackground(true);
    setColour(this, QPalette::Window, slot(0, QPalette::Window));
    setColour(this, QPalette::WindowText, slot(1, QPalette::WindowText));
    for (const AddressPanel& p : m_panels) {
        for (QLabel* l : {p.name, p.street, p.plz, p.town})
            setColour(l, QPalette::WindowText, slot(1, QPalette::WindowText));
        setColour(p.heading, QPalette::WindowText, slot(2, QPalette::WindowText));
    }
    setColour(Panel_Formular, QPalette::Window, slot(3, QPalette::Window));
    for (QLabel* l : m_captions)
        setColour(l, QPalette::WindowText, slot(4, QPalette::WindowText));
    setColour(CheckBox_Filter, QPalette::WindowText, slot(4, QPalette::WindowText));
    // The captions Label_EWBNR and Label_Spul use the window's font colour.
    setColour(findChild<QLabel*>(QStringLiteral("Label_EWBNR")), QPalette::WindowText,
              slot(1, QPalette::WindowText));
    setColour(findChild<QLabel*>(QStringLiteral("Label_Spul")), QPalette::WindowText,
              slot(1, QPalette::WindowText));
    const QColor back = slot(5, QPalette::Base), fore = slot(6, QPalette::Text);
    QList<QWidget*> entries = {DBEdit_SerienNr, DBEdit_EWBNR,    DBLU_Notiz,     DBLU_Typ,
                               DBLU_Kaliber,    DBLU_Hersteller, DBLU_Verkaufer, DBLU_Kaufer,
                               DBLU_EWB,        DBLU_Amt,        DBLU_KauferAmt};
    for (DateEdit* d : {DBEdit_KDatum, DBEdit_VDatum, DBEdit_EWBDatum, DBEdit_VJgdSch})
        entries << d->lineEdit();
    for (QWidget* w : entries) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, back);
        p.setColor(QPalette::Button, back);
        p.setColor(QPalette::Text, fore);
        p.setColor(QPalette::ButtonText, fore);
        w->setPalette(p);
    }
    // The toolbar, the sort box, the step box, the two displays and the status bar keep their colours.
    for (QWidget* w :
         QList<QWidget*>{Panel_Navi, Combo_Sort, Spin_Spul, DBText_Index, DBText_BDatum, statusBar()})
        w->setPalette(QApplication::palette());
}

void TFormMain::SaveUserSettings() {
    UserSettings::SaveUserSettings(m_forms);
}

// ------------------------------------------------------------------ start and end

void TFormMain::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!m_activated) {
        // Once per run, right after the window first shows; later activations do nothing.
        m_activated = true;
        QTimer::singleShot(0, this, [this] { guarded([this] { FormActivate(); }); });
    }
}

void TFormMain::FormActivate() {
    Konst::AppDir = QDir::toNativeSeparators(QDir(startFolder).absolutePath() + QLatin1Char('/'));
    Konst::SpulStep = 10;
    Konst::RecordEditing = false;
    Konst::FirmDataMode = true;
    Konst::PasswordText = Konst::scrambledDatabasePassword();
    Konst::DescramblePassword(Konst::PasswordText, Konst::PasswordText);
    Konst::ConnectionString = Konst::buildConnectionString(Konst::AppDir, Konst::PasswordText);
    Konst::PasswordText.clear();
    dm().Connect();
    dm().ATab_User->first();

    const auto typed = m_forms.prompts->input(QStringLiteral("Eingabe erforderlich"),
                                              QStringLiteral("Geben Sie Ihr Passwort ein:"), QString());
    Konst::PasswordText = typed.value_or(QString());
    if (Konst::PasswordText != dm().ATab_User->asString(QStringLiteral("Passwort"))) {
        m_forms.prompts->message(QStringLiteral("Falsches Passwort - Programm wird beendet"));
        close();
        return;
    }

    FillSortChoices();
    Combo_Sort->setMaxVisibleItems(16);
    UserSettings::LoadUserSettings(m_forms);
    Spin_Spul->setValue(Konst::SpulStep);
    Spin_SpulChange();
    CountUnsold(dm());
    UpdateStatusBar();
    Konst::FirmDataMode = false;
}

void TFormMain::closeEvent(QCloseEvent* e) {
    // FormCloseQuery
    if (!Konst::FirmDataMode && m_forms.FormOptions->Check_ProgEnde->isChecked() &&
        m_forms.prompts->yesNo(QStringLiteral("Programm wirklich beenden?")) != Prompts::Answer::Yes) {
        e->ignore();
        return;
    }
    if (dm().isConnected() && !runGuarded(*m_forms.prompts, [this] { dm().Disconnect(); })) {
        e->ignore();
        return;
    }
    e->accept();
}

void TFormMain::M_EndeClick() {
    close();
}

void TFormMain::M_VerbindenClick() {
    M_Trennen->setEnabled(true);
    M_Verbinden->setEnabled(false);
    dm().Connect();
}

void TFormMain::M_TrennenClick() {
    M_Trennen->setEnabled(false);
    M_Verbinden->setEnabled(true);
    dm().Disconnect();
    for (int i = 0; i < 4; ++i)
        setStatusPanelText(i, QString());
}

void TFormMain::M_OptionFensterClick() {
    m_forms.runner->exec(m_forms.FormOptions);
}

void TFormMain::M_HilfeIndexClick() {
    if (!m_forms.prompts->openFile(Konst::appPath(QStringLiteral("Help\\Help.html"))))
        m_forms.prompts->message(QStringLiteral("Fehler beim Aufrufen der Hilfe"));
}

// ------------------------------------------------------------------ record commands

bool TFormMain::registerNavigable() const {
    // An empty or disconnected register has nowhere to go.
    const Dataset& reg = *dm().ASet_Vorgang;
    return reg.isActive() && !reg.isEditing() && reg.recordCount() > 0;
}

void TFormMain::moveRegisterTo(int position) {
    dm().ASet_Vorgang->setRecNo(position);
}

void TFormMain::SpBtn01Click() {
    if (registerNavigable() && dm().ASet_Vorgang->recNo() != 1)
        moveRegisterTo(1);
}

void TFormMain::SpBtn02Click() {
    if (!registerNavigable())
        return;
    const int p = dm().ASet_Vorgang->recNo();
    if (p != 1)
        moveRegisterTo(std::max(1, p - Konst::SpulStep));
}

void TFormMain::SpBtn03Click() {
    if (registerNavigable() && dm().ASet_Vorgang->recNo() != 1)
        dm().ASet_Vorgang->prior();
}

void TFormMain::SpBtn04Click() {
    if (registerNavigable() && dm().ASet_Vorgang->recNo() != dm().ASet_Vorgang->recordCount())
        dm().ASet_Vorgang->next();
}

void TFormMain::SpBtn05Click() {
    if (!registerNavigable())
        return;
    const int p = dm().ASet_Vorgang->recNo(), n = dm().ASet_Vorgang->recordCount();
    if (p != n)
        moveRegisterTo(int(std::min<qint64>(n, qint64(p) + Konst::SpulStep)));
}

void TFormMain::SpBtn06Click() {
    if (registerNavigable() && dm().ASet_Vorgang->recNo() != dm().ASet_Vorgang->recordCount())
        moveRegisterTo(dm().ASet_Vorgang->recordCount());
}

void TFormMain::SpBtn07Click() {
    // A closed register takes no new row; the form stays in browse mode.
    if (!dm().ASet_Vorgang->isActive())
        return;
    EnterEditMode();
    Konst::RecordEditing = true;
    Dataset& reg = *dm().ASet_Vorgang;
    reg.append();
    for (const char* column : {"Verkaufer", "Kaufer", "EWB", "Amt", "KauferAmt"})
        reg.setValue(QString::fromLatin1(column), 1);
}

void TFormMain::SpBtn09Click() {
    // Nothing to edit on an empty or closed register.
    if (!registerNavigable())
        return;
    EnterEditMode();
    Konst::RecordEditing = true;
    dm().ASet_Vorgang->edit();
}

void TFormMain::SpBtn10Click() {
    Dataset& reg = *dm().ASet_Vorgang;
    DScr_Vorgang->commit();
    reg.post();
    EnterBrowseMode();
    Konst::RecordEditing = false;
    const int k = reg.asInteger(QStringLiteral("Kaufer"));
    Dataset& kauf = *dm().ATab_Kauf;
    if (k >= 2 && kauf.locate(QStringLiteral("Index"), k)) {
        kauf.edit();
        try {
            if (reg.asInteger(QStringLiteral("EWB")) > 0)
                kauf.setValue(QStringLiteral("EWB"), reg.asInteger(QStringLiteral("EWB")));
            kauf.setValue(QStringLiteral("EWBNR"), reg.value(QStringLiteral("EWBNR")));
            if (reg.asDate(QStringLiteral("AmtDatum")).isValid())
                kauf.setValue(QStringLiteral("EWBDatum"), reg.asDate(QStringLiteral("AmtDatum")));
            if (reg.asDate(QStringLiteral("JDatum")).isValid())
                kauf.setValue(QStringLiteral("JDatum"), reg.asDate(QStringLiteral("JDatum")));
            if (reg.asInteger(QStringLiteral("Amt")) > 0)
                kauf.setValue(QStringLiteral("EWBAmt"), reg.asInteger(QStringLiteral("Amt")));
            if (reg.asInteger(QStringLiteral("KauferAmt")) > 0)
                kauf.setValue(QStringLiteral("KAmt"), reg.asInteger(QStringLiteral("KauferAmt")));
            kauf.post();
        } catch (...) {
            // The register row is stored; the partner keeps what it had.
            kauf.cancel();
            throw;
        }
    }
    CountUnsold(dm());
    UpdateStatusBar();
}

void TFormMain::SpBtn11Click() {
    dm().ASet_Vorgang->cancel();
    Konst::RecordEditing = false;
    EnterBrowseMode();
}

void TFormMain::SpBtn12Click() {
    dm().ASet_Vorgang->refresh();
    ShowPartyPanels();
}

void TFormMain::SpBtn14Click() {
    EnterEditMode();
    SpBtn[10]->setEnabled(false);
    SpBtn[11]->setEnabled(false);
    Panel_Formular->setEnabled(false);
    Combo_Sort->show();
    Combo_Sort->setFocus();
}

void TFormMain::Combo_SortChange() {
    EnterBrowseMode();
    Panel_Formular->setEnabled(false);
    Combo_Sort->hide();
    // The panel comes back even when the sort fails.
    struct Enable {
        QWidget* w;
        ~Enable() { w->setEnabled(true); }
    } enable{Panel_Formular};
    ApplyRegisterSort();
}

void TFormMain::DBLU_KauferChange() {
    if (!Konst::RecordEditing)
        return;
    Dataset& reg = *dm().ASet_Vorgang;
    const int k = reg.asInteger(QStringLiteral("Kaufer"));
    if (k < 2)
        return;
    Dataset& kauf = *dm().ATab_Kauf;
    if (!kauf.locate(QStringLiteral("Index"), k))
        return;
    // An empty partner value stays empty in the row (not 0, not a made-up date).
    const std::pair<const char*, const char*> copies[] = {{"EWB", "EWB"},           {"EWBNR", "EWBNR"},
                                                          {"EWBDatum", "AmtDatum"}, {"JDatum", "JDatum"},
                                                          {"EWBAmt", "Amt"},        {"KAmt", "KauferAmt"}};
    DScr_Vorgang->commit();
    for (const auto& [from, to] : copies)
        reg.setValue(QString::fromLatin1(to), kauf.value(QString::fromLatin1(from)));
    reg.post();
    reg.edit();
}

void TFormMain::DBLU_AmtChange() {
    Dataset& reg = *dm().ASet_Vorgang;
    reg.setValue(QStringLiteral("KauferAmt"), reg.value(QStringLiteral("Amt")));
}

void TFormMain::Spin_SpulChange() {
    bool ok = false;
    const int typed = Spin_Spul->editor()->text().toInt(&ok);
    Konst::SpulStep = ok ? typed : Spin_Spul->minimum();
}

void TFormMain::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    FormResize();
}

void TFormMain::FormResize() {
    const int w = DBLU_Notiz->width();
    const int half = w / 2 - 5;
    for (QWidget* c : {static_cast<QWidget*>(DBLU_Amt), static_cast<QWidget*>(Label_AmtLand),
                       static_cast<QWidget*>(DBLU_KauferAmt), static_cast<QWidget*>(Label_KauferAmt)})
        c->resize(half, c->height());
    const int left = DBLU_Notiz->x() + w - half;
    DBLU_KauferAmt->move(left, DBLU_KauferAmt->y());
    Label_KauferAmt->move(left, Label_KauferAmt->y());
    SB_Amt->move(DBLU_Amt->x() + DBLU_Amt->width() - 25, SB_Amt->y());
}
