#pragma once

struct Forms;

// Moves what the user arranges between the settings row (first row of Benutzer) and the
// windows and globals.
namespace UserSettings {

// Reads the settings row into the window geometry, the colour slots, the option boxes and
// the globals SavedFilter, CurrentIndex and SpulStep; ends by painting the windows.
void LoadUserSettings(Forms& forms);
// Writes the state into the settings row and posts it.
void SaveUserSettings(Forms& forms);

} // namespace UserSettings
