#include "widgets/ValueLabel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>

namespace {

const char* const kMarker = "valueLabel";

class ValueLabelAccessible : public QAccessibleWidget {
public:
    explicit ValueLabelAccessible(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override {
        const auto* label = static_cast<const QLabel*>(widget());
        if (t == QAccessible::Name)
            return label->accessibleName();
        if (t == QAccessible::Value)
            return label->text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (className != QLatin1String("QLabel") || !object || !object->property(kMarker).toBool())
        return nullptr;
    return new ValueLabelAccessible(static_cast<QLabel*>(object));
}

} // namespace

namespace valuelabel {

void mark(QLabel* label, const QString& caption) {
    install();
    label->setProperty(kMarker, true);
    label->setAccessibleName(caption);
}

void install() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

} // namespace valuelabel
