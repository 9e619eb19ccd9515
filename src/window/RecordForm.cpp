#include "window/RecordForm.h"

#include "ui_RecordForm.h"
#include "widgets/ValueLabel.h"
#include "window/Icons.h"

RecordForm::RecordForm(QWidget* parent) : QFrame(parent), ui(std::make_unique<Ui::RecordForm>()) {
    ui->setupUi(this);
    // Fonts in pixels, as the rest of the window: a .ui file only holds points.
    auto bold = [this](int pixelSize) {
        QFont f = font();
        f.setBold(true);
        if (pixelSize > 0)
            f.setPixelSize(pixelSize);
        return f;
    };
    valuelabel::mark(ui->DBText_Index, ui->Label_Index->text());
    valuelabel::mark(ui->DBText_BDatum, ui->Label_BDatum->text());
    ui->DBText_Index->setFont(bold(19));
    ui->DBText_BDatum->setFont(bold(0));
    ui->CheckBox_Filter->setFont(bold(0));
    for (QToolButton* b : {ui->SB_Typ, ui->SB_Kaliber, ui->SB_Hersteller, ui->SB_Verkaufer, ui->SB_Kaufer,
                           ui->SB_Amt, ui->SB_KauferAmt})
        b->setIcon(Icons::icon(QStringLiteral("plus"), 25));
    for (DateEdit* d : {ui->DBEdit_KDatum, ui->DBEdit_EWBDatum, ui->DBEdit_VDatum, ui->DBEdit_VJgdSch})
        d->lineEdit()->setObjectName(d->objectName() + QStringLiteral("_Text"));
    // Captions announce their boxes to screen readers.
    for (QLabel* l : captions()) {
        QWidget* box = l->buddy();
        if (!box)
            continue;
        box->setAccessibleName(l->text());
        if (auto* d = qobject_cast<DateEdit*>(box))
            d->lineEdit()->setAccessibleName(l->text());
    }
}

RecordForm::~RecordForm() = default;

QList<QLabel*> RecordForm::captions() const {
    QList<QLabel*> out;
    for (QLabel* l : findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        if (l->objectName().startsWith(QStringLiteral("Label_")) && l != ui->Label_Spul)
            out << l;
    return out;
}
