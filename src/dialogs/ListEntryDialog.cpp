#include "dialogs/ListEntryDialog.h"

#include "ui_ListEntryDialog.h"

#include "common/Forms.h"
#include "common/HandlerGuard.h"
#include "common/Prompts.h"
#include "store/MasterData.h"
#include "store/TDatMod.h"

ListEntryDialog::ListEntryDialog(Forms& forms, const Design& design, QWidget* parent)
    : MasterDialog(QString::fromLatin1(design.objectName), parent),
      ui(std::make_unique<Ui::ListEntryDialog>()), m_design(design) {
    m_forms = &forms;
    ui->setupUi(this);
    setObjectName(QString::fromLatin1(design.objectName));
    setFixedSize(474, 124);
    ui->Label_Heading->setObjectName(QString::fromLatin1(design.headingName));
    ui->Label_Heading->setText(QString::fromUtf16(design.heading));
    setHeading(ui->Label_Heading);
    setWindowTitle(ui->Label_Heading->text()); // what a screen reader announces for the window
    ui->Edit_Entry->setObjectName(QString::fromLatin1(design.editName));
    ui->Edit_Entry->setAccessibleName(QString::fromUtf16(design.fieldName));
    ui->BitBtn_OK->setObjectName(QString::fromLatin1(design.okName));
    ui->BitBtn_ESC->setObjectName(QString::fromLatin1(design.escName));
    setPictureButton(ui->BitBtn_OK, QStringLiteral(":/widgets/icons/uebernehmen.svg"),
                     QStringLiteral("Übernehmen"));
    setPictureButton(ui->BitBtn_ESC, QStringLiteral(":/widgets/icons/verwerfen.svg"),
                     QStringLiteral("Verwerfen"));
    for (QPushButton* b : {ui->BitBtn_OK, ui->BitBtn_ESC})
        b->setIconSize(QSize(120, 36)); // the picture fills its button

    connect(ui->BitBtn_OK, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn_OKClick(); }); });
    connect(ui->BitBtn_ESC, &QPushButton::clicked, this, [this] { guarded([this] { BitBtn_ESCClick(); }); });
    storeOnEnter(ui->Edit_Entry, [this] { guarded([this] { BitBtn_OKClick(); }); });
}

ListEntryDialog::~ListEntryDialog() = default;

void ListEntryDialog::guarded(const std::function<void()>& handler) {
    runGuarded(*m_forms->prompts, handler);
}

void ListEntryDialog::FormActivate() {
    ui->Edit_Entry->clear();
    ui->Edit_Entry->setFocus();
}

void ListEntryDialog::BitBtn_OKClick() {
    TDatMod& dm = *m_forms->DatMod;
    Dataset& list = *(dm.*m_design.table);
    const QString column = QString::fromLatin1(m_design.column);
    const QString text = ui->Edit_Entry->text(); // as typed, not trimmed
    if (MasterData::isDuplicate(list, column, text)) {
        m_forms->prompts->message(MasterData::duplicateMessage(text));
        done(Rejected);
        return;
    }
    // Refused before anything is begun, so that the dialog stays open with the typed text.
    if (const auto tooLong =
            MasterData::checkWidth(QString::fromUtf16(m_design.fieldName), text, m_design.width)) {
        m_forms->prompts->message(*tooLong);
        return;
    }
    const int key = MasterData::appendEntry(list, {{column, text}});
    dm.SortLookupTables();
    // The register row stays in editing: storing it is the user's choice.
    dm.ASet_Vorgang->setValue(QString::fromLatin1(m_design.registerColumn), key);
    done(Accepted);
}

void ListEntryDialog::BitBtn_ESCClick() {
    done(Rejected);
}

void ListEntryDialog::reject() {
    if (ui->BitBtn_ESC->isEnabled())
        BitBtn_ESCClick();
}

void ListEntryDialog::ApplyColours(const DialogColours& colours) {
    paintDialog(this, {ui->Edit_Entry}, colours);
}
