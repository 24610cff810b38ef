#include "DialogFields.h"

#include "model/Constants.h"

#include <QLineEdit>

namespace DialogFields
{

namespace
{

bool Refuse(QLineEdit* edit, const QString& why)
{
    DialogControls::Refuse(edit, why);
    return false;
}

QString Number(double v)
{
    return QString::number(v, 'g', 12);
}

} // namespace

QString UnitLabel(bool millimetres)
{
    return millimetres ? QStringLiteral("mm") : QStringLiteral("mil");
}

QLineEdit* Edit(QWidget* parent, int id)
{
    return Numbered(new QLineEdit(parent), id);
}

void ShowLength(QLineEdit* edit, double mils, bool millimetres)
{
    edit->setText(Number(millimetres ? mils / MILS_PER_MM : mils));
}

bool ReadLength(QLineEdit* edit, bool millimetres, double minMils, double* mils)
{
    double shown = 0.0;
    if (!ReadNumber(edit, &shown))
        return false;
    const double value = millimetres ? shown * MILS_PER_MM : shown;
    if (value < minMils) {
        const double least = millimetres ? minMils / MILS_PER_MM : minMils;
        return Refuse(edit,
                      QStringLiteral("Please enter a number not less than %1.").arg(Number(least)));
    }
    *mils = value;
    return true;
}

bool ReadNumber(QLineEdit* edit, double* value)
{
    bool ok = false;
    const double v = edit->text().trimmed().toDouble(&ok);
    if (!ok)
        return Refuse(edit, QStringLiteral("Please enter a number."));
    *value = v;
    return true;
}

bool ReadInt(QLineEdit* edit, int min, int max, int* value)
{
    bool ok = false;
    const int v = edit->text().trimmed().toInt(&ok);
    if (!ok)
        return Refuse(edit, QStringLiteral("Please enter an integer."));
    if (v < min || v > max)
        return Refuse(
            edit, QStringLiteral("Please enter an integer between %1 and %2.").arg(min).arg(max));
    *value = v;
    return true;
}

} // namespace DialogFields
