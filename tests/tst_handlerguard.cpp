// The guard around every handler: an error ends the handler with the default error box.
#include "common/DbError.h"
#include "common/HandlerGuard.h"
#include "common/Konst.h"
#include "support/ScriptedPrompts.h"

#include <QTest>
#include <stdexcept>

using namespace Qt::StringLiterals;

class TestHandlerGuard : public QObject {
    Q_OBJECT
private slots:
    void runGuarded_data();
    void runGuarded();
};

void TestHandlerGuard::runGuarded_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("expected");
    QTest::newRow("DbError") << 0 << u"Die Datenmenge 'ATab_Kauf' ist geschlossen."_s;
    QTest::newRow("std::exception") << 1 << u"Zugriff verweigert für Datei"_s;
    QTest::newRow("range error") << 2 << u"Bereichsüberschreitung beim Entschlüsseln des Kennworts"_s;
    QTest::newRow("anything else") << 3 << u"Unbekannter Fehler"_s;
}

void TestHandlerGuard::runGuarded() {
    QFETCH(int, kind);
    QFETCH(QString, expected);
    ScriptedPrompts p;
    int reached = 0;
    const bool ok = ::runGuarded(p, [&] {
        reached = 1;
        switch (kind) {
        case 0:
            throw DbError(QStringLiteral("Die Datenmenge 'ATab_Kauf' ist geschlossen."));
        case 1:
            throw std::runtime_error(QStringLiteral("Zugriff verweigert für Datei").toStdString());
        case 2: {
            // Longer than the table of the descrambling: its range error.
            QString out;
            Konst::DescramblePassword(QString(23, QChar(0x4e00)), out);
            break;
        }
        default:
            throw 42;
        }
        reached = 2;
    });
    QVERIFY(!ok);
    QCOMPARE(reached, 1); // the state reached before the error stays
    QCOMPARE(p.errors(), QStringList{expected});

    p.clearShown();
    QVERIFY(::runGuarded(p, [&] { reached = 3; }));
    QCOMPARE(reached, 3);
    QVERIFY(p.shown().isEmpty());
}

QTEST_GUILESS_MAIN(TestHandlerGuard)
#include "tst_handlerguard.moc"
