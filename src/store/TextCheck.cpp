#include "store/TextCheck.h"

#include "common/DbError.h"

namespace textcheck {

qsizetype firstControlChar(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x20 && c != u'\t')
            return i;
    }
    return -1;
}

void requireStorable(const QString& field, const QVariant& value) {
    if (value.typeId() != QMetaType::QString)
        return;
    const QString text = value.toString();
    const qsizetype at = firstControlChar(text);
    if (at < 0)
        return;
    throw DbError(
        QStringLiteral("Das Feld '%1' enthält ein unzulässiges Steuerzeichen (Code %2 an Stelle %3). "
                       "Der Datensatz wurde nicht gespeichert.")
            .arg(field)
            .arg(int(text.at(at).unicode()))
            .arg(at + 1));
}

} // namespace textcheck
