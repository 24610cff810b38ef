// Small helpers shared by the tools' parameter dialogs: numbered controls for the
// language module, and fields that show a length in mils or millimetres and read it
// back in mils. A refused field shows the reason, takes the focus with its text
// selected and keeps what was typed. The GUI thread only.
#pragma once

#include <QString>

class QDialog;
class QDialogButtonBox;
class QLineEdit;
class QWidget;

namespace DialogFields
{

// The unit label of a dialog showing lengths in `millimetres` or mils.
QString UnitLabel(bool millimetres);
// Tags `widget` with its control number and returns it.
template <class W> W* Numbered(W* widget, int id)
{
    widget->setProperty("controlId", id);
    return widget;
}
// OK (1) and Cancel (2) wired to the dialog's accept and reject.
QDialogButtonBox* OkCancel(QDialog* dialog);
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
