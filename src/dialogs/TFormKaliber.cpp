#include "dialogs/TFormKaliber.h"

#include "store/MasterData.h"
#include "store/TDatMod.h"

TFormKaliber::TFormKaliber(Forms& forms, QWidget* parent)
    : ListEntryDialog(forms,
                      {"FormKaliber", u"Geben Sie ein neues Kaliber ein.", "Label_Kaliber", "Edit_Kaliber",
                       "BitBtn_KaliberOK", "BitBtn_KaliberESC", u"Kaliber", &TDatMod::ATab_Kaliber, "Kaliber",
                       "Kaliber", MasterData::kCalibreWidth},
                      parent) {}
