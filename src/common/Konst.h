#pragma once

#include <QDate>
#include <QString>
#include <array>

// Shared state and procedures used by several windows.
namespace Konst {

inline QString AppDir;           // folder of the executable, with a trailing separator
inline QString ConnectionString; // complete connection string, built once at start-up
inline QString PasswordText;     // work variable of the login
inline QString SavedFilter;      // statement of the last search
inline int SpulStep = 10;        // fast-forward step in rows
inline int CurrentIndex = 0;     // Index of the register row to return to
inline int UnsoldCount = 0;      // weapons in stock
inline bool FirmDataMode = false;
inline bool RecordEditing = false;
inline bool BuyerMode = false;
inline bool IssuingAmtMode = false;
inline QDate LetterDate;

// Back to the state of a fresh start (used between the tests of one process).
void reset();

// The scrambled database password (14 characters) as stored in the program.
QString scrambledDatabasePassword();

// Builds the plain text from the scrambled one held in `scrambled`. Throws std::out_of_range
// for a text longer than the 22-entry table.
void DescramblePassword(const QString& scrambled, QString& result);

// The fixed pieces of the connection string, in order; the password is appended last.
QString buildConnectionString(const QString& appDir, const QString& password);

// Writes the whole source file to the target (through a flushed temporary file and a rename, so
// that a failure leaves the target as it was). True only when the whole target was written.
bool CopyDatabaseFile(const QString& source, const QString& target);

// Path of a file below the application folder, with the platform's separators.
QString appPath(const QString& relative);

} // namespace Konst
