#pragma once

#include <QDialog>
#include <QPrinter>
#include <functional>
#include <memory>

namespace Ui {
class ReportPreview;
}
class ReportPager;
class ReportStream;

// The preview of a report: shows one page at a time, laid out only as far as the pages looked
// at, so the first page of a long register shows at once. Its print button hands over to
// `print`, which asks for the output again.
class ReportPreview : public QDialog {
    Q_OBJECT
public:
    ReportPreview(const ReportStream& stream, const QString& title, QWidget* parent = nullptr);
    ~ReportPreview() override;

    // Shows a page (0-based); pages past the end show the last one.
    void showPage(int page);
    int currentPage() const { return m_page; }
    // The page as an image at `dpi` dots per inch.
    QImage pageImage(int page, int dpi);
    std::function<void()> print;
    std::unique_ptr<Ui::ReportPreview> ui;

private:
    void updateCaption();
    QPrinter m_printer{QPrinter::HighResolution};
    std::unique_ptr<ReportPager> m_pager;
    int m_page = 0;
};
