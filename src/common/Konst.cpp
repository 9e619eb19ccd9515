#include "common/Konst.h"

#include "store/RestorePoint.h"
#include "common/ConnectionString.h"

#include <QDir>
#include <stdexcept>

namespace Konst {

namespace {
// Entry i (1-based) of this table is subtracted from character 23 - i of the stored text.
constexpr std::array<quint16, 22> kScrambleTable = {371, 194, 444, 706, 89,  114, 880, 588, 136, 414, 636,
                                                    99,  559, 259, 78,  128, 484, 468, 111, 286, 132, 604};
} // namespace

void reset() {
    AppDir.clear();
    ConnectionString.clear();
    PasswordText.clear();
    SavedFilter.clear();
    SpulStep = 10;
    CurrentIndex = 0;
    UnsoldCount = 0;
    FirmDataMode = false;
    RecordEditing = false;
    BuyerMode = false;
    IssuingAmtMode = false;
    LetterDate = QDate();
}

QString scrambledDatabasePassword() {
    return QStringLiteral(
        u"\u02ae\u00fe\u0156\u0092\u022b\u024f\u00b4\u006f\u0170\u0283\u0095\u02ed\u01ea\u00ed");
}

void DescramblePassword(const QString& scrambled, QString& result) {
    if (scrambled.size() > static_cast<qsizetype>(kScrambleTable.size()))
        throw std::out_of_range("Bereichsüberschreitung beim Entschlüsseln des Kennworts");
    QString out(scrambled.size(), QChar());
    for (qsizetype i = 1; i <= scrambled.size(); ++i) {
        const quint16 entry = kScrambleTable[static_cast<std::size_t>(23 - i - 1)];
        out[i - 1] = QChar(static_cast<char16_t>(scrambled.at(i - 1).unicode() - entry));
    }
    result = out;
}

QString buildConnectionString(const QString& appDir, const QString& password) {
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") +
           connstr::quoteValue(appDir + QStringLiteral("Waffenbuch.mdb")) +
           QStringLiteral(";Persist Security Info=False;") + QStringLiteral("Jet OLEDB:Database Password=") +
           connstr::quoteValue(password);
}

bool CopyDatabaseFile(const QString& source, const QString& target) {
    return RestorePoint::copyFile(source, target);
}

QString appPath(const QString& relative) {
    QString rel = relative;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::toNativeSeparators(AppDir + rel);
}

} // namespace Konst
