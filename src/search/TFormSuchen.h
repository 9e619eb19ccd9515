#pragma once

#include "search/SearchBuilder.h"

#include <QDialog>
#include <memory>

struct Forms;
class Dataset;
class QLineEdit;
class QToolButton;
namespace Ui {
class TFormSuchen;
}

// "Suchen und Finden": sixteen criteria with their ticks, seven pick lists filled from the
// master tables, and the search button that shows the result in the register window.
class TFormSuchen : public QDialog {
    Q_OBJECT
public:
    explicit TFormSuchen(Forms& forms, QWidget* parent = nullptr);
    ~TFormSuchen() override;

    // ---- handlers
    void FormActivate();
    void BitBtn_SuchenClick();
    void BitBtn_LeerenClick();
    void BitBtn_SuchEndeClick();
    void SB_KauferClick();
    void SB_VerkauferClick();
    void SB_WTypClick();
    void SB_KaliberClick();
    void SB_AmtClick();
    void SB_FabrikClick();
    void SB_KauferAmtClick();
    void Combo_SuchChange();

    // The twenty-six controls a pick switches off.
    void DisableSearchControls();
    void EnableSearchControls();
    QList<QWidget*> searchControls() const;

    // The ticks, texts and exact box as the search reads them.
    search::SearchCriteria criteria() const;

    std::unique_ptr<Ui::TFormSuchen> ui;

protected:
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void openPickList(QLineEdit* field, Dataset* table, const QString& column);
    QList<QLineEdit*> pickFields() const;
    void connectHandler(QToolButton* button, void (TFormSuchen::*handler)());
    void guarded(const std::function<void()>& handler);

    Forms& m_forms;
    bool m_leftForOtherProgram = false;
};
