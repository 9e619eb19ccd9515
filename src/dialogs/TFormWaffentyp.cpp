#include "dialogs/TFormWaffentyp.h"

#include "store/MasterData.h"
#include "store/TDatMod.h"

TFormWaffentyp::TFormWaffentyp(Forms& forms, QWidget* parent)
    : ListEntryDialog(forms,
                      {"FormWaffentyp", u"Geben Sie einen neuen Waffentyp ein.", "Label_Waffentyp",
                       "Edit_Waffentyp", "BitBtn_WTypOK", "BitBtn_WTypESC", u"Waffentyp", &TDatMod::ATab_Typ,
                       "WTyp", "Waffentyp", MasterData::kListTextWidth},
                      parent) {}
