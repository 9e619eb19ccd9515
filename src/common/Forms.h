#pragma once

class Prompts;
class DialogRunner;
class TFormMain;
class TDatMod;
class TFormWaffentyp;
class TFormKaliber;
class TFormHersteller;
class TFormHaendler;
class TFormAmt;
class TFormSuchen;
class TFormDruck;
class TFormOptions;
class ResultsView;

// The windows of the program, created once at start in this order and kept for the whole run,
// with the seams through which they ask the user and show dialogs.
struct Forms {
    Prompts* prompts = nullptr;
    DialogRunner* runner = nullptr;
    TFormMain* FormMain = nullptr;
    TDatMod* DatMod = nullptr;
    TFormWaffentyp* FormWaffentyp = nullptr;
    TFormKaliber* FormKaliber = nullptr;
    TFormHersteller* FormHersteller = nullptr;
    TFormHaendler* FormHaendler = nullptr;
    TFormAmt* FormAmt = nullptr;
    TFormSuchen* FormSuchen = nullptr;
    TFormDruck* FormDruck = nullptr;
    TFormOptions* FormOptions = nullptr;
    // The results view of the register window, which the search dialog feeds.
    ResultsView* Results = nullptr;
};
