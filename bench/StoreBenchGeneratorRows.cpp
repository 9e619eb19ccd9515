// The partners and register rows of the generated register: permits, serial numbers, sales, notes,
// and keys that point at no row.
#include "StoreBenchGenerator.h"

namespace storebench {

QByteArray Generator::permitNumber(int kind, const QDate& issued) {
    const int year = issued.isValid() ? issued.year() : 2000;
    switch (kind) {
    case 1:
        return u8(QStringLiteral("A-%1").arg(m_rng.range(100000, 999999)));
    case 3:
        return u8(QStringLiteral("JS-%1/%2").arg(m_rng.range(1, 9999)).arg(year));
    case 4:
        return u8(QStringLiteral("EFP %1").arg(m_rng.range(1000000, 9999999)));
    case 5:
        return u8(QStringLiteral("WHE-%1").arg(m_rng.range(10, 999)));
    case 6:
        return u8(QStringLiteral("AG %1-%2").arg(m_rng.range(1, 99)).arg(year));
    default:
        return u8(QStringLiteral("WBK %1/%2").arg(m_rng.range(1, 24999)).arg(year));
    }
}

int Generator::permitKind() {
    const double u = m_rng.unit();
    return u < 0.68 ? 2 : u < 0.90 ? 3 : u < 0.95 ? 4 : u < 0.97 ? 5 : u < 0.98 ? 6 : 1;
}

void Generator::partners() {
    static const std::vector<QString> men = {
        QStringLiteral("Jürgen"),     QStringLiteral("Günter"),     QStringLiteral("Klaus"),
        QStringLiteral("Hans-Peter"), QStringLiteral("Jörg"),       QStringLiteral("Björn"),
        QStringLiteral("Uwe"),        QStringLiteral("Matthias"),   QStringLiteral("Stefan"),
        QStringLiteral("Andreas"),    QStringLiteral("Michael"),    QStringLiteral("Wolfgang"),
        QStringLiteral("Dieter"),     QStringLiteral("Horst"),      QStringLiteral("Rüdiger"),
        QStringLiteral("Sören"),      QStringLiteral("Karl-Heinz"), QStringLiteral("Friedrich"),
        QStringLiteral("Maximilian"), QStringLiteral("Tobias"),     QStringLiteral("Florian"),
        QStringLiteral("Götz"),       QStringLiteral("Lukas"),      QStringLiteral("Bernd")};
    static const std::vector<QString> women = {
        QStringLiteral("Sabine"),  QStringLiteral("Ursula"),    QStringLiteral("Gisela"),
        QStringLiteral("Bärbel"),  QStringLiteral("Jutta"),     QStringLiteral("Käthe"),
        QStringLiteral("Renate"),  QStringLiteral("Monika"),    QStringLiteral("Brigitte"),
        QStringLiteral("Anja"),    QStringLiteral("Claudia"),   QStringLiteral("Susanne"),
        QStringLiteral("Marlene"), QStringLiteral("Hannelore"), QStringLiteral("Dörte"),
        QStringLiteral("Heike"),   QStringLiteral("Annegret"),  QStringLiteral("Katharina")};
    static const std::vector<QString> surnames = {
        QStringLiteral("Müller"),       QStringLiteral("Schmidt"),     QStringLiteral("Schneider"),
        QStringLiteral("Fischer"),      QStringLiteral("Weber"),       QStringLiteral("Meyer"),
        QStringLiteral("Wagner"),       QStringLiteral("Becker"),      QStringLiteral("Schulz"),
        QStringLiteral("Hoffmann"),     QStringLiteral("Schäfer"),     QStringLiteral("Koch"),
        QStringLiteral("Bauer"),        QStringLiteral("Richter"),     QStringLiteral("Klein"),
        QStringLiteral("Wolf"),         QStringLiteral("Schröder"),    QStringLiteral("Neumann"),
        QStringLiteral("Schwarz"),      QStringLiteral("Zimmermann"),  QStringLiteral("Braun"),
        QStringLiteral("Krüger"),       QStringLiteral("Hartmann"),    QStringLiteral("Lange"),
        QStringLiteral("Werner"),       QStringLiteral("Krause"),      QStringLiteral("Lehmann"),
        QStringLiteral("Köhler"),       QStringLiteral("Herrmann"),    QStringLiteral("König"),
        QStringLiteral("Walter"),       QStringLiteral("Huber"),       QStringLiteral("Kaiser"),
        QStringLiteral("Fuchs"),        QStringLiteral("Möller"),      QStringLiteral("Weiß"),
        QStringLiteral("Jung"),         QStringLiteral("Hahn"),        QStringLiteral("Vogel"),
        QStringLiteral("Günther"),      QStringLiteral("Böhm"),        QStringLiteral("Krämer"),
        QStringLiteral("Jäger"),        QStringLiteral("Groß"),        QStringLiteral("Kühn"),
        QStringLiteral("Brandt"),       QStringLiteral("Haas"),        QStringLiteral("Ziegler"),
        QStringLiteral("Engel"),        QStringLiteral("Bergmann"),    QStringLiteral("Pfeiffer"),
        QStringLiteral("Öztürk"),       QStringLiteral("Ebert"),       QStringLiteral("Förster"),
        QStringLiteral("von Dörnberg"), QStringLiteral("Straßburger"), QStringLiteral("Ähnlich"),
        QStringLiteral("Übel"),         QStringLiteral("Ulrich"),      QStringLiteral("Abt"),
        QStringLiteral("Zöller"),       QStringLiteral("Mäder"),       QStringLiteral("Oehler"),
        QStringLiteral("Lüdecke"),      QStringLiteral("Nüßlein"),     QStringLiteral("Seidel")};
    static const std::vector<QString> firms = {
        QStringLiteral("Waffen %1 GmbH"), QStringLiteral("Jagdhaus %1"),
        QStringLiteral("Schützenverein %1 e.V."), QStringLiteral("Büchsenmacher %1")};
    Insert ins(m_db,
               R"(INSERT INTO "Kaufer" ("Name", "Strasse", "PLZ", "Ort", "Geschlecht", "EWB", "EWBNR",
                          "EWBDatum", "JDatum", "EWBAmt", "KAmt") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?))");
    m_counts.kaufer = 1;
    for (int i = 2; i <= kPartners; ++i) {
        const bool woman = m_rng.chance(0.12);
        QString name;
        if (m_rng.chance(0.03))
            name = QString(m_rng.pick(firms)).arg(m_rng.pick(surnames));
        else
            name = m_rng.pick(woman ? women : men) + QLatin1Char(' ') + m_rng.pick(surnames);
        const Town& t = towns()[std::size_t(m_rng.below(int(towns().size())))];
        const int kind = permitKind();
        const QDate issued = QDate(1975, 1, 1).addDays(m_rng.below(18000));
        ins.text(1, u8(name)).text(2, street()).integer(3, t.plz + m_rng.below(90)).text(4, t.name);
        ins.integer(5, woman ? 1 : 2).integer(6, kind).text(7, permitNumber(kind, issued)).date(8, issued);
        ins.date(9, kind == 3 ? issued.addYears(m_rng.range(1, 3)) : QDate());
        ins.integer(10, kind == 1 ? country() : authority()).integer(11, authority());
        ins.run();
        ++m_counts.kaufer;
    }
}

QByteArray Generator::serialNumber() {
    switch (m_rng.below(5)) {
    case 0:
        return u8(QStringLiteral("%1%2").arg(QChar(u'A' + m_rng.below(26))).arg(m_rng.range(100000, 999999)));
    case 1:
        return u8(QStringLiteral("%1-%2").arg(m_rng.range(10, 99)).arg(m_rng.range(10000, 99999)));
    case 2:
        return u8(QStringLiteral("%1%2").arg(m_rng.range(1000, 999999)).arg(QChar(u'a' + m_rng.below(26))));
    case 3:
        return u8(QStringLiteral("SN %1").arg(m_rng.range(1, 9999999)));
    default:
        return u8(QString::number(m_rng.range(1000, 99999999)));
    }
}

void Generator::registerRows() {
    static const std::vector<QString> notes = {QStringLiteral("Kommissionsware"),
                                               QStringLiteral("Übernahme aus Nachlass"),
                                               QStringLiteral("Rückgabe an Hersteller"),
                                               QStringLiteral("zur Reparatur beim Büchsenmacher"),
                                               QStringLiteral("Überprüfung durch Behörde"),
                                               QStringLiteral("Schaft getauscht"),
                                               QStringLiteral("Zielfernrohr montiert"),
                                               QStringLiteral("ohne Magazin"),
                                               QStringLiteral("mit Wechsellauf"),
                                               QStringLiteral("aus Erbschaft übernommen"),
                                               QStringLiteral("älteres Modell, Gebrauchsspuren"),
                                               QStringLiteral("Export genehmigt"),
                                               QStringLiteral("Beschuss erneuert"),
                                               QStringLiteral("Tausch gegen Neuwaffe"),
                                               QStringLiteral("Ölschaden am Verschluss")};
    Insert ins(m_db, R"(INSERT INTO "Vorgang" ("KDatum", "Waffentyp", "Kaliber", "Hersteller", "SerienNr",
                          "Verkaufer", "VDatum", "Kaufer", "EWB", "EWBNR", "JDatum", "Amt", "KauferAmt",
                          "AmtDatum", "BriefDatum", "Notiz")
                        VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?))");
    const QDate first(1990, 1, 2);
    const QDate today(2025, 6, 30);
    const qint64 span = first.daysTo(today) - 200;
    for (int i = 0; i < m_rows; ++i) {
        // The register is kept in order of acquisition; a few entries come late.
        const QDate kd = first.addDays(qint64(i) * span / std::max(1, m_rows) + m_rng.range(-5, 3));
        const double progress = double(i) / std::max(1, m_rows);
        // Recent acquisitions are more often still in stock: 30 % over the whole register.
        const bool unsold = m_rng.chance(0.05 + 0.5 * progress);
        int typ = m_rng.skewed(m_counts.waffentyp);
        int kal = m_rng.skewed(m_counts.kaliber);
        int her = m_rng.skewed(m_counts.hersteller);
        int verk = m_rng.chance(0.08) ? 1 : m_rng.range(2, kPartners);
        int kauf = 1;
        int ewb = 1;
        int amt = 1;
        int kamt = 1;
        QDate vd, jd, ad, bd;
        QByteArray ewbnr;
        if (!unsold) {
            kauf = m_rng.range(2, kPartners);
            vd = std::min(today, kd.addDays(m_rng.range(1, 900)));
            ewb = permitKind();
            ad = vd.addDays(-m_rng.range(30, 7000));
            ewbnr = permitNumber(ewb, ad);
            if (ewb == 3 || m_rng.chance(0.1))
                jd = vd.addDays(m_rng.range(1, 1095));
            amt = ewb == 1 ? country() : authority();
            kamt = authority();
            if (m_rng.chance(0.85))
                bd = vd.addDays(m_rng.range(0, 14));
        }
        // Keys that point at no row (deleted list entries, rows from older program versions).
        if (i % 4999 == 17)
            typ = kMissingKey;
        if (i % 7919 == 5)
            kal = 0;
        if (i % 6007 == 3)
            her = kMissingKey;
        if (i % 9001 == 7 && !unsold)
            kauf = 0;
        if (i % 8009 == 11 && !unsold)
            kauf = kMissingKey;
        if (i % 5003 == 2)
            amt = kMissingKey;
        if (i % 10007 == 13)
            ewb = 77;
        m_counts.danglingKeys += (typ == kMissingKey) + (kal == 0) + (her == kMissingKey) +
                                 (kauf == 0 || kauf == kMissingKey) + (amt == kMissingKey) + (ewb == 77);

        ins.date(1, kd).integer(2, typ).integer(3, kal).integer(4, her);
        if (m_rng.chance(0.005))
            ins.null(5);
        else
            ins.text(5, serialNumber());
        ins.integer(6, verk).date(7, vd).integer(8, kauf).integer(9, ewb);
        if (unsold)
            ins.null(10);
        else
            ins.text(10, ewbnr);
        ins.date(11, jd).integer(12, amt).integer(13, kamt).date(14, ad).date(15, bd);
        if (m_rng.chance(0.22))
            ins.text(16, u8(m_rng.pick(notes)));
        else
            ins.null(16);
        ins.run();
        ++m_counts.vorgang;
        m_counts.unsold += kauf == 1;
    }
}

} // namespace storebench
