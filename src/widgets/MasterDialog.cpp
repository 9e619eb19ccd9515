#include "widgets/MasterDialog.h"

#include <QAbstractButton>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

// The pictures live in a static library: register them before the first use.
static void initWidgetResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(widgets);
        return true;
    }();
    Q_UNUSED(done);
}

namespace {

// Swallows Return and Enter in a line edit and runs the store action instead.
class EnterFilter : public QObject {
public:
    EnterFilter(QObject* parent, std::function<void()> store) : QObject(parent), m_store(std::move(store)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(e)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                m_store();
                return true;
            }
        }
        return QObject::eventFilter(watched, e);
    }

private:
    std::function<void()> m_store;
};

} // namespace

MasterDialog::MasterDialog(Forms& forms, const QString& objectName, const QString& headingText,
                           QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_forms(&forms) {
    initFrame(objectName);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(3, 3, 3, 3);
    auto* band = new QLabel(headingText, this);
    band->setObjectName(QStringLiteral("Label_Heading"));
    setHeading(band);
    outer->addWidget(band);
    m_body = new QVBoxLayout;
    outer->addLayout(m_body, 1);
}

MasterDialog::MasterDialog(const QString& objectName, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    initFrame(objectName);
}

void MasterDialog::initFrame(const QString& objectName) {
    setObjectName(objectName);
    setModal(true);
    setStyleSheet(QStringLiteral("MasterDialog { border: 3px solid palette(dark); }"));
}

void MasterDialog::setHeading(QLabel* label) {
    m_heading = label;
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumHeight(26);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    label->setAutoFillBackground(true);
}

void MasterDialog::storeOnEnter(QLineEdit* edit, std::function<void()> store) {
    edit->installEventFilter(new EnterFilter(edit, std::move(store)));
}

void MasterDialog::setPictureButton(QAbstractButton* button, const QString& icon, const QString& text) {
    initWidgetResources();
    button->setIcon(QIcon(icon));
    button->setIconSize(QSize(96, 24));
    button->setText(QString());
    button->setToolTip(text);
    button->setAccessibleName(text);
    if (auto* push = qobject_cast<QPushButton*>(button)) {
        push->setAutoDefault(false);
        push->setDefault(false);
    }
}

void MasterDialog::centreOverParent() {
    if (parentWidget()) {
        const QRect p = parentWidget()->frameGeometry();
        move(p.center() - rect().center());
    }
}

void MasterDialog::showEvent(QShowEvent* e) {
    centreOverParent();
    QDialog::showEvent(e);
    if (!e->spontaneous()) {
        FormActivate();
        centreOverParent(); // the activation may have changed the size
    }
}
