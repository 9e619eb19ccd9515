// Keys for the sixteen toolbar commands, so that an entry can be made, found and stored without
// the mouse. Each key does what a click on its button does, and nothing while that button is
// disabled or hidden; the hint of the button names the key.
#include "window/TFormMain.h"

#include "widgets/DateEdit.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabWidget>

namespace {

// A read-only text box claims Strg+Pos1 and Strg+Ende to move its cursor. The boxes of the
// record form are read-only while browsing, where these keys go to the first and last entry.
class BrowseKeys : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::ShortcutOverride)
            return false;
        const auto* edit = qobject_cast<QLineEdit*>(watched);
        const QKeyCombination k = static_cast<QKeyEvent*>(e)->keyCombination();
        // Not accepted, the key goes on to the window's shortcut.
        return edit && edit->isReadOnly() &&
               (k == (Qt::CTRL | Qt::Key_Home) || k == (Qt::CTRL | Qt::Key_End));
    }
};
struct KeyDef {
    int button;
    QKeyCombination key; // none: the command already has a key in the menu
    const char16_t* keyName;
};

const KeyDef kKeys[] = {
    {1, Qt::CTRL | Qt::Key_Home, u"Strg+Pos1"},
    {2, Qt::SHIFT | Qt::CTRL | Qt::Key_PageUp, u"Umschalt+Strg+Bild↑"},
    {3, Qt::CTRL | Qt::Key_PageUp, u"Strg+Bild↑"},
    {4, Qt::CTRL | Qt::Key_PageDown, u"Strg+Bild↓"},
    {5, Qt::SHIFT | Qt::CTRL | Qt::Key_PageDown, u"Umschalt+Strg+Bild↓"},
    {6, Qt::CTRL | Qt::Key_End, u"Strg+Ende"},
    {7, Qt::CTRL | Qt::Key_N, u"Strg+N"},
    {8, QKeyCombination(), u"F1"},
    {9, QKeyCombination(Qt::Key_F2), u"F2"},
    {10, Qt::CTRL | Qt::Key_S, u"Strg+S"},
    {11, QKeyCombination(Qt::Key_Escape), u"Esc"},
    {12, QKeyCombination(Qt::Key_F9), u"F9"},
    {13, Qt::CTRL | Qt::Key_F, u"Strg+F"},
    {14, Qt::CTRL | Qt::Key_R, u"Strg+R"},
    {15, QKeyCombination(), u"Alt+X"},
    {16, Qt::CTRL | Qt::Key_P, u"Strg+P"},
};
} // namespace

void TFormMain::buildShortcuts() {
    for (const KeyDef& k : kKeys) {
        QToolButton* button = SpBtn[std::size_t(k.button)];
        const QString hint = QStringLiteral("%1 (%2)").arg(button->toolTip(), QString::fromUtf16(k.keyName));
        button->setToolTip(hint);
        button->setAccessibleDescription(QString::fromUtf16(k.keyName));
        if (k.key == QKeyCombination())
            continue;
        auto* action = new QAction(this);
        action->setObjectName(QStringLiteral("Key_") + button->objectName());
        action->setShortcut(QKeySequence(k.key));
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        const bool entersEdit = k.button == 7 || k.button == 9;
        const bool leavesSortChoice = k.button == 11;
        connect(action, &QAction::triggered, this, [this, button, entersEdit, leavesSortChoice] {
            // Esc also leaves the sort list without a choice: order and row stay as they were.
            if (leavesSortChoice && windowState() == WindowState::SortChoice) {
                EnterBrowseMode();
                return;
            }
            if (!button->isEnabled() || !button->isVisibleTo(this))
                return;
            button->click();
            // From the keyboard the entry starts in its first box.
            if (entersEdit && windowState() == WindowState::Edit)
                DBEdit_KDatum->lineEdit()->setFocus(Qt::ShortcutFocusReason);
        });
    }
    auto* browseKeys = new BrowseKeys(this);
    for (QLineEdit* edit : Panel_Formular->findChildren<QLineEdit*>())
        edit->installEventFilter(browseKeys);
    // On the table page the grids keep their own keys (F2 edits a cell, Esc drops the edit,
    // Strg+Pos1 goes to the first cell): the toolbar keys belong to the record form.
    connect(PgCtrl, &QTabWidget::currentChanged, this, [this] {
        const bool onForm = PgCtrl->currentWidget() == TS_Formular;
        for (QAction* a : actions())
            if (a->objectName().startsWith(QLatin1String("Key_")))
                a->setEnabled(onForm);
    });
}
