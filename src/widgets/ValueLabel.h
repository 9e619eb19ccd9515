#pragma once

#include <QString>

class QLabel;

// Labels that only show a value (the running number, the letter date, the address lines) are
// read by screen readers as caption and value: the caption is their accessible name, their
// text the accessible value.
namespace valuelabel {

// Marks `label` as a value label named `caption`. Call before anything names the label:
// naming it creates its accessibility interface, and that is kept for the label's life.
void mark(QLabel* label, const QString& caption);

// Installs the accessibility factory for marked labels (once per program; repeated calls do
// nothing).
void install();

} // namespace valuelabel
