#pragma once

#include <QString>
#include <QVariant>
#include <optional>
#include <utility>
#include <vector>

class Dataset;

// The rules the master-data dialogs apply before anything is written: duplicate names, column
// widths, postcodes and the packing of the firm address into the settings row.
namespace MasterData {

// Widths (in characters) of the text columns the dialogs write.
constexpr int kListTextWidth = 50; // Waffentyp.WTyp, Hersteller.Hersteller
constexpr int kCalibreWidth = 100; // Kaliber.Kaliber
constexpr int kPartnerNameWidth = 100;
constexpr int kAddressWidth = 50; // Kaufer.Strasse/Ort, Amt.Name/Strasse/Stadt
constexpr int kFirmWidth = 100;   // Benutzer.Firma/Strasse/Ort
constexpr int kPostcodeLength = 10;

// True when a row of `list` holds `text` in `column`, compared over the whole text without
// regard to case and without trimming. The current row of `list` is left where it was.
bool isDuplicate(const Dataset& list, const QString& column, const QString& text);

// "Der Eintrag <text> existiert bereits"
QString duplicateMessage(const QString& text);
// "Der Eintrag <name> existiert bereits. Dennoch eintragen?"
QString duplicatePartnerQuestion(const QString& name);

// The firm data live in the settings row, which is closed while the database is disconnected.
QString firmDataNotConnectedMessage();

// Nothing when `text` fits into `width` characters, else a message naming the field and its limit.
std::optional<QString> checkWidth(const QString& field, const QString& text, int width);

// The postcode as a 32-bit whole number, or nothing when the text is empty, holds anything but
// digits or is too large.
std::optional<int> postcodeValue(const QString& text);
// Message for a postcode that cannot be stored.
QString postcodeMessage(const QString& field);

// The firm's postcode and town as one text: postcode, one blank, town (the blank also when
// the postcode is empty).
QString packFirmAddress(const QString& postcode, const QString& town);
// Splits at the first blank; without a blank the whole text is the town.
void unpackFirmAddress(const QString& packed, QString& postcode, QString& town);

// Appends a row to `list`, sets `values` (column, value) in this order, posts it and returns
// the new row's Index. When the post is refused the append is cancelled before the error goes
// on, so that no half-filled row waits in the dataset to be posted by its next append.
int appendEntry(Dataset& list, const std::vector<std::pair<QString, QVariant>>& values);

// Posts the register row with everything entered so far and puts it back into editing.
void postAndResumeEditing(Dataset& reg);

} // namespace MasterData
