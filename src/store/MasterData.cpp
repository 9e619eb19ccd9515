#include "store/MasterData.h"

#include "store/Dataset.h"

namespace MasterData {

bool isDuplicate(const Dataset& list, const QString& column, const QString& text) {
    const int field = list.fieldIndex(column);
    if (field < 0)
        return false;
    for (int row = 0; row < list.recordCount(); ++row) {
        if (list.textAt(row, field).compare(text, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString duplicateMessage(const QString& text) {
    return QStringLiteral("Der Eintrag ") + text + QStringLiteral(" existiert bereits");
}

QString duplicatePartnerQuestion(const QString& name) {
    return QStringLiteral("Der Eintrag ") + name + QStringLiteral(" existiert bereits. Dennoch eintragen?");
}

QString firmDataNotConnectedMessage() {
    return QStringLiteral("Die Datenbank ist nicht verbunden: Die Firmendaten können weder angezeigt noch "
                          "gespeichert werden. Bitte verbinden Sie zuerst über das Menü \"Datenbank\".");
}

std::optional<QString> checkWidth(const QString& field, const QString& text, int width) {
    if (text.size() <= width)
        return std::nullopt;
    return QStringLiteral("Das Feld \"%1\" darf höchstens %2 Zeichen lang sein.").arg(field).arg(width);
}

std::optional<int> postcodeValue(const QString& text) {
    if (text.isEmpty() || text.size() > kPostcodeLength)
        return std::nullopt;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    bool ok = false;
    const qint64 v = text.toLongLong(&ok);
    if (!ok || v > 2147483647)
        return std::nullopt;
    return int(v);
}

QString postcodeMessage(const QString& field) {
    return QStringLiteral(
               "Das Feld \"%1\" muss eine Postleitzahl aus Ziffern enthalten (höchstens 2147483647).")
        .arg(field);
}

QString packFirmAddress(const QString& postcode, const QString& town) {
    return postcode + QLatin1Char(' ') + town;
}

void unpackFirmAddress(const QString& packed, QString& postcode, QString& town) {
    const int blank = packed.indexOf(QLatin1Char(' '));
    if (blank < 0) {
        postcode.clear();
        town = packed;
        return;
    }
    postcode = packed.left(blank);
    town = packed.mid(blank + 1);
}

int appendEntry(Dataset& list, const std::vector<std::pair<QString, QVariant>>& values) {
    list.append();
    try {
        for (const auto& [column, value] : values)
            list.setValue(column, value);
        list.post();
    } catch (...) {
        list.cancel();
        throw;
    }
    return list.asInteger(QStringLiteral("Index"));
}

void postAndResumeEditing(Dataset& reg) {
    reg.post();
    reg.edit();
}

} // namespace MasterData
