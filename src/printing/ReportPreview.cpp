#include "printing/ReportPreview.h"

#include "printing/ReportPager.h"
#include "printing/ReportRunner.h"
#include "printing/ReportStream.h"
#include "ui_ReportPreview.h"

#include <QApplication>
#include <QPainter>
#include <QProgressDialog>

ReportPreview::ReportPreview(const ReportStream& stream, const QString& title, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ReportPreview>()) {
    setObjectName(QStringLiteral("ReportPreview"));
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Vorschau: ") + title);
    ReportRunner::setUpPrinter(m_printer, stream);
    m_pager = std::make_unique<ReportPager>(stream, m_printer);
    connect(ui->Btn_Erste, &QPushButton::clicked, this, [this] { showPage(0); });
    connect(ui->Btn_Zurueck, &QPushButton::clicked, this, [this] { showPage(std::max(0, m_page - 1)); });
    connect(ui->Btn_Weiter, &QPushButton::clicked, this, [this] { showPage(m_page + 1); });
    connect(ui->Btn_Letzte, &QPushButton::clicked, this, [this] {
        // Laying out a long register takes a while: with a progress window that can stop it.
        QProgressDialog progress(QStringLiteral("Seiten werden berechnet …"), QStringLiteral("Abbrechen"), 0,
                                 0, this);
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(500);
        m_pager->ensure(INT_MAX, [&] {
            progress.setLabelText(QStringLiteral("Seite %1 wird berechnet …").arg(m_pager->knownPages()));
            QApplication::processEvents();
            return !progress.wasCanceled();
        });
        showPage(m_pager->knownPages() - 1);
    });
    connect(ui->Btn_Drucken, &QPushButton::clicked, this, [this] {
        if (print)
            print();
    });
    connect(ui->Btn_Schliessen, &QPushButton::clicked, this, &QDialog::reject);
    resize(900, 1000);
    showPage(0);
}

ReportPreview::~ReportPreview() = default;

QImage ReportPreview::pageImage(int page, int dpi) {
    const QSizeF mm = m_printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    QImage image(QSize(qRound(mm.width() / 25.4 * dpi), qRound(mm.height() / 25.4 * dpi)),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    if (!m_pager->ensure(page))
        return image;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const qreal scale = qreal(dpi) / m_printer.logicalDpiY();
    painter.scale(scale, scale);
    m_pager->paint(page, painter);
    return image;
}

void ReportPreview::showPage(int page) {
    if (!m_pager->ensure(page))
        page = std::max(0, m_pager->knownPages() - 1);
    m_page = page;
    ui->Label_Bild->setPixmap(QPixmap::fromImage(pageImage(page, 96)));
    updateCaption();
}

void ReportPreview::updateCaption() {
    const int known = m_pager->knownPages();
    ui->Label_Seite->setText(m_pager->complete()
                                 ? QStringLiteral("Seite %1 von %2").arg(m_page + 1).arg(known)
                                 : QStringLiteral("Seite %1").arg(m_page + 1));
    ui->Btn_Erste->setEnabled(m_page > 0);
    ui->Btn_Zurueck->setEnabled(m_page > 0);
    const bool more = !m_pager->complete() || m_page + 1 < known;
    ui->Btn_Weiter->setEnabled(more);
    ui->Btn_Letzte->setEnabled(more);
}
