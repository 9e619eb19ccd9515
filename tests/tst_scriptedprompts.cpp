// The scripted prompts the GUI tests answer through: answers in order, every text recorded,
// an unexpected prompt reported.
#include "support/ScriptedPrompts.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestScriptedPrompts : public QObject {
    Q_OBJECT
private slots:
    void scriptedPromptsServeInOrder();
    void scriptedPromptsRecordUnexpected();
};

void TestScriptedPrompts::scriptedPromptsServeInOrder() {
    ScriptedPrompts p;
    p.queueYes();
    p.queueNo();
    p.queueInput(QStringLiteral("Müller"));
    p.queueInputCancel();
    p.queueColour(0x123456);
    p.queueColour(std::nullopt);
    p.queueOpenResult(true);

    p.message(QStringLiteral("Hinweis")); // takes no answer
    QCOMPARE(p.yesNo(QStringLiteral("Erste?")), Prompts::Answer::Yes);
    QCOMPARE(p.yesNo(QStringLiteral("Zweite?"), true), Prompts::Answer::No);
    QVERIFY(p.lastDefaultNo);
    QCOMPARE(p.input(QStringLiteral("Titel"), QStringLiteral("Name:"), QString()),
             std::optional<QString>(u"Müller"_s));
    QCOMPARE(p.input(QStringLiteral("Titel"), QStringLiteral("Name:"), QString()), std::optional<QString>());
    QCOMPARE(p.chooseColour(0), std::optional<int>(0x123456));
    QCOMPARE(p.chooseColour(0), std::optional<int>());
    p.errorBox(QStringLiteral("Fehler"));
    QVERIFY(p.openFile(QStringLiteral("/x/Help.html")));

    QVERIFY(p.allAnswersUsed());
    QVERIFY(p.failures().isEmpty());
    QCOMPARE(p.messages(), QStringList{QStringLiteral("Hinweis")});
    QCOMPARE(p.errors(), QStringList{QStringLiteral("Fehler")});
    QCOMPARE(p.texts(QStringLiteral("yesNo")),
             (QStringList{QStringLiteral("Erste?"), QStringLiteral("Zweite?")}));
    QStringList kinds;
    for (const ScriptedPrompts::Shown& s : p.shown())
        kinds << s.kind;
    QCOMPARE(kinds, (QStringList{"message", "yesNo", "yesNo", "input", "input", "colour", "colour", "error",
                                 "open"}));
}

void TestScriptedPrompts::scriptedPromptsRecordUnexpected() {
    ScriptedPrompts p;
    QStringList reported;
    p.onUnexpected = [&](const QString& text) { reported << text; };

    // Nothing queued: recorded, reported, and the box's default is the answer.
    QCOMPARE(p.yesNo(QStringLiteral("Löschen?")), Prompts::Answer::Yes);
    QCOMPARE(p.yesNo(QStringLiteral("Beenden?"), true), Prompts::Answer::No);
    QCOMPARE(p.failures().size(), 2);
    QVERIFY(p.failures().at(0).contains(QStringLiteral("Löschen?")));
    QCOMPARE(reported, p.failures());

    // An answer of another kind is not consumed by the wrong prompt.
    p.queueInput(QStringLiteral("abc"));
    QCOMPARE(p.yesNo(QStringLiteral("Frage")), Prompts::Answer::Yes);
    QCOMPARE(p.failures().size(), 3);
    QVERIFY(!p.allAnswersUsed());
    QCOMPARE(p.input(QString(), QStringLiteral("Eingabe"), QString()), std::optional<QString>(u"abc"_s));
    QVERIFY(p.allAnswersUsed());

    QCOMPARE(p.input(QString(), QStringLiteral("Noch eine"), QString()), std::optional<QString>());
    QCOMPARE(p.chooseColour(5), std::optional<int>());
    QVERIFY(!p.openFile(QStringLiteral("/x")));
    QCOMPARE(p.failures().size(), 6);
}

QTEST_GUILESS_MAIN(TestScriptedPrompts)
#include "tst_scriptedprompts.moc"
