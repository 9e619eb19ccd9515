#include "dialogs/MasterDialog.h"

#include <QShowEvent>
#include <QVBoxLayout>

MasterDialog::MasterDialog(Forms& forms, const QString& objectName, const QString& headingText,
                           QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_forms(forms) {
    setObjectName(objectName);
    setModal(true);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(3, 3, 3, 3);
    m_heading = new QLabel(headingText, this);
    m_heading->setObjectName(QStringLiteral("Label_Heading"));
    m_heading->setAlignment(Qt::AlignCenter);
    m_heading->setMinimumHeight(26);
    QFont f = m_heading->font();
    f.setBold(true);
    m_heading->setFont(f);
    m_heading->setAutoFillBackground(true);
    outer->addWidget(m_heading);
    m_body = new QVBoxLayout;
    outer->addLayout(m_body, 1);
    setStyleSheet(QStringLiteral("MasterDialog { border: 3px solid palette(dark); }"));
}

void MasterDialog::showEvent(QShowEvent* e) {
    if (parentWidget()) {
        const QRect p = parentWidget()->frameGeometry();
        move(p.center() - rect().center());
    }
    QDialog::showEvent(e);
}
