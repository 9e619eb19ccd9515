#include "app/Application.h"

#include "dialogs/TFormAmt.h"
#include "dialogs/TFormHaendler.h"
#include "dialogs/TFormHersteller.h"
#include "dialogs/TFormKaliber.h"
#include "dialogs/TFormWaffentyp.h"
#include "printing/TFormDruck.h"
#include "search/TFormSuchen.h"
#include "settings/TFormOptions.h"
#include "store/TDatMod.h"
#include "window/TFormMain.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

Application::Application(Prompts& prompts) {
    QCoreApplication::setApplicationName(kTitle);
    if (m_qtTexts.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&m_qtTexts);
    forms.prompts = &prompts;
    forms.runner = &runner;
    // Creating a window neither shows it nor touches the database. The dialogs are children of
    // the register window and go with it.
    m_main = std::make_unique<TFormMain>(forms, prompts, runner);
    forms.FormMain = m_main.get();
    m_datMod = std::make_unique<TDatMod>();
    forms.DatMod = m_datMod.get();
    m_datMod->singleInstance = true;
    forms.FormMain->bindDataModule(*forms.DatMod);
    forms.FormWaffentyp = new TFormWaffentyp(forms, forms.FormMain);
    forms.FormKaliber = new TFormKaliber(forms, forms.FormMain);
    forms.FormHersteller = new TFormHersteller(forms, forms.FormMain);
    forms.FormHaendler = new TFormHaendler(forms, forms.FormMain);
    forms.FormAmt = new TFormAmt(forms, forms.FormMain);
    forms.FormSuchen = new TFormSuchen(forms, forms.FormMain);
    forms.FormDruck = new TFormDruck(forms, forms.FormMain);
    forms.FormOptions = new TFormOptions(forms, forms.FormMain);
    forms.FormMain->bindMasterDialogs();
}

Application::~Application() {
    // The window goes first (it holds the bindings), then the data module.
    forms.DatMod->setPort(nullptr);
    m_main.reset();
    m_datMod.reset();
}
