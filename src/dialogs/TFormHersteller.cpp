#include "dialogs/TFormHersteller.h"

#include "store/MasterData.h"
#include "store/TDatMod.h"

TFormHersteller::TFormHersteller(Forms& forms, QWidget* parent)
    : ListEntryDialog(forms,
                      {"FormHersteller", u"Geben Sie einen neuen Hersteller ein.", "Label_Hersteller",
                       "Edit_Hersteller", "BitBtn_HerstellerOK", "BitBtn_HerstellerESC", u"Hersteller",
                       &TDatMod::ATab_Hersteller, "Hersteller", "Hersteller", MasterData::kListTextWidth},
                      parent) {}
