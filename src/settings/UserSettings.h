#pragma once

#include <QRect>
#include <QString>
#include <array>
#include <optional>

class Dataset;

// What the user arranges, as the settings row (first row of Benutzer) holds it. The register
// window and the options dialog fill it and apply it; this side only reads and writes the row.
struct UserSettings {
    static constexpr int kColourSlots = 13;
    // Grid column widths: register 16, partners 12, types, calibres, manufacturers 1 each,
    // authorities 4, permit kinds and countries 1 each.
    static constexpr int kWidthColumns = 37;
    // The settings columns of the widths, in that order (TabHandel01 .. TabLand).
    static const std::array<QString, kWidthColumns>& widthColumns();

    // The window's normal geometry and whether it was maximized.
    QRect geometry;
    bool maximized = false;
    // Sort order; without one the stored order stays as it is.
    std::optional<int> sortOrder;
    QString savedFilter;
    int currentIndex = 0;
    std::array<int, kWidthColumns> columnWidths{};
    std::array<int, kColourSlots> colours{};
    // The six option boxes of the options dialog.
    bool connectAtStart = false;
    bool tableEditing = false;
    bool backupAtStart = false;
    bool copySubTables = false;
    bool printByIndex = false;
    bool confirmExit = false;
    int spulSpeed = 10;

    // Reads the current row of `user`.
    static UserSettings read(const Dataset& user);
    // Writes into the current row of `user` and posts it; on a failed post the row is left
    // unchanged and the error rethrown.
    void write(Dataset& user) const;
    // Writes only the six option columns and posts (the options dialog's OK).
    void writeOptions(Dataset& user) const;

private:
    // The six option ticks into the row being edited.
    void setOptions(Dataset& user) const;
};
