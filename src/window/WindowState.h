#pragma once

#include <array>

// The three states of the register window and, in one table, what each control of the window
// is in each of them. Controls not named here (the help button, the step box) are the same in
// every state.
enum class WindowState { Browse, Edit, SortChoice };

namespace windowstate {

// What the table switches for a control: whether it can be used, whether it is shown, or
// (for the data-bound boxes) whether it takes input.
enum class Aspect { Enabled, Visible, Editable };

struct ControlState {
    const char* control; // object name in the register window
    Aspect aspect;
    bool browse;
    bool edit;
    bool sortChoice;
    bool in(WindowState s) const {
        return s == WindowState::Browse ? browse : s == WindowState::Edit ? edit : sortChoice;
    }
};

using A = Aspect;
// The sort choice starts from edit mode, then takes away store and discard and the whole record
// panel, and shows the sort list.
inline constexpr auto kTable = std::to_array<ControlState>({
    // toolbar: browse commands, store and discard
    {"SpBtn01", A::Enabled, true, false, false},
    {"SpBtn02", A::Enabled, true, false, false},
    {"SpBtn03", A::Enabled, true, false, false},
    {"SpBtn04", A::Enabled, true, false, false},
    {"SpBtn05", A::Enabled, true, false, false},
    {"SpBtn06", A::Enabled, true, false, false},
    {"SpBtn07", A::Enabled, true, false, false},
    {"SpBtn09", A::Enabled, true, false, false},
    {"SpBtn10", A::Enabled, false, true, false},
    {"SpBtn11", A::Enabled, false, true, false},
    {"SpBtn12", A::Enabled, true, false, false},
    {"SpBtn13", A::Enabled, true, false, false},
    {"SpBtn14", A::Enabled, true, false, false},
    {"SpBtn15", A::Enabled, true, false, false},
    {"SpBtn16", A::Enabled, true, false, false},
    // the data-bound boxes of the record form
    {"DBEdit_KDatum", A::Editable, false, true, true},
    {"DBEdit_SerienNr", A::Editable, false, true, true},
    {"DBLU_Typ", A::Editable, false, true, true},
    {"DBLU_Kaliber", A::Editable, false, true, true},
    {"DBLU_Hersteller", A::Editable, false, true, true},
    {"DBLU_Verkaufer", A::Editable, false, true, true},
    {"DBLU_Kaufer", A::Editable, false, true, true},
    {"DBLU_EWB", A::Editable, false, true, true},
    {"DBEdit_EWBNR", A::Editable, false, true, true},
    {"DBEdit_VDatum", A::Editable, false, true, true},
    {"DBEdit_EWBDatum", A::Editable, false, true, true},
    {"DBEdit_VJgdSch", A::Editable, false, true, true},
    {"DBLU_Amt", A::Editable, false, true, true},
    {"DBLU_KauferAmt", A::Editable, false, true, true},
    {"DBLU_Notiz", A::Editable, false, true, true},
    // the buttons that add a list entry
    {"SB_Typ", A::Visible, false, true, true},
    {"SB_Kaliber", A::Visible, false, true, true},
    {"SB_Hersteller", A::Visible, false, true, true},
    {"SB_Verkaufer", A::Visible, false, true, true},
    {"SB_Kaufer", A::Visible, false, true, true},
    {"SB_Amt", A::Visible, false, true, true},
    {"SB_KauferAmt", A::Visible, false, true, true},
    // menus (with their shortcuts), the table page, the results-only box
    {"M_Datenbank", A::Enabled, true, false, false},
    {"M_Optionen", A::Enabled, true, false, false},
    {"M_Hilfe", A::Enabled, true, false, false},
    {"TS_Tabellen", A::Visible, true, false, false},
    {"CheckBox_Filter", A::Enabled, true, false, false},
    // the record panel as a whole, and the sort list
    {"Panel_Formular", A::Enabled, true, true, false},
    {"Combo_Sort", A::Visible, false, false, true},
    {"SpBtn08", A::Enabled, true, true, true},
});

} // namespace windowstate
