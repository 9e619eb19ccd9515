#include "store/RegisterEdit.h"

#include "store/Connection.h"
#include "store/Dataset.h"

#include <QScopeGuard>

namespace {
const QString kIndex = QStringLiteral("Index");
}

void RegisterEdit::begin(const Dataset& reg, bool appended) {
    end();
    m_open = true;
    m_appended = appended;
    if (reg.recNo() < 0)
        return;
    if (appended) {
        m_returnIndex = reg.asInteger(kIndex);
        return;
    }
    m_index = reg.asInteger(kIndex);
    m_fields = reg.fieldNames();
    m_before.reserve(m_fields.size());
    for (const QString& f : m_fields)
        m_before.append(reg.value(f));
}

void RegisterEdit::notePosted(const Dataset& reg) {
    if (!m_open)
        return;
    m_posted = true;
    if (m_appended)
        m_index = reg.asInteger(kIndex);
}

bool RegisterEdit::discard(Dataset& reg) {
    reg.cancel();
    const RegisterEdit e = *this;
    end();
    if (!e.m_open || !e.m_posted || e.m_index <= 0)
        return false;
    if (e.m_appended) {
        // The entry never existed before this edit: take it out again, in one transaction.
        Connection& con = reg.connection();
        Transaction transaction(con);
        Statement del = con.prepare(QStringLiteral(R"(DELETE FROM "Vorgang" WHERE "Index" = ?)"));
        del.bind(1, e.m_index);
        del.step();
        transaction.commit();
        // Datasets that keep rows across a re-read learn of it as of any other change.
        con.noteChange(QStringLiteral("Vorgang"), e.m_index);
        reg.fullRefresh();
        if (!reg.locate(kIndex, e.m_returnIndex) && reg.recordCount() > 0)
            reg.first();
        return true;
    }
    if (!reg.locate(kIndex, e.m_index))
        return false;
    reg.edit();
    auto undo = qScopeGuard([&] { reg.cancel(); });
    for (int i = 0; i < e.m_fields.size(); ++i)
        if (e.m_fields[i] != kIndex)
            reg.setValue(e.m_fields[i], e.m_before[i]);
    reg.post();
    undo.dismiss();
    return true;
}
