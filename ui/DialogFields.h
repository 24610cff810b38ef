// Fields of the tools' parameter dialogs that are not a form of rows: a length shown in
// mils or millimetres and read back in mils, and whole numbers. A refused field shows the
// reason, takes the focus with its text selected and keeps what was typed. The numbered
// controls and OK/Cancel are those of every dialog (DialogControls). The GUI thread only.
#pragma once

#include "DialogControls.h"

#include <QString>

class QLineEdit;
class QWidget;

namespace DialogFields
{

using DialogControls::Numbered;
using DialogControls::OkCancel;

// The unit label of a dialog showing lengths in `millimetres` or mils.
QString UnitLabel(bool millimetres);
// A line edit tagged with its control number.
QLineEdit* Edit(QWidget* parent, int id);
// Shows a length given in mils, in millimetres when asked.
void ShowLength(QLineEdit* edit, double mils, bool millimetres);
// Reads a length shown in millimetres or mils into mils; it must be at least
// `minMils`. False, after the message, when it is not.
bool ReadLength(QLineEdit* edit, bool millimetres, double minMils, double* mils);
// Reads any number.
bool ReadNumber(QLineEdit* edit, double* value);
// Reads a whole number from `min` to `max`.
bool ReadInt(QLineEdit* edit, int min, int max, int* value);

} // namespace DialogFields
