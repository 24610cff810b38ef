// The offset tool's parameter dialog (157): the distance of the parallel copy, shown
// in the board's unit, at least 0.
#pragma once

#include "model/UiServices.h"

#include <QDialog>

class QLineEdit;

class COffsetDialog : public QDialog
{
    Q_OBJECT

  public:
    static constexpr int IDD = 157;
    static constexpr int IDC_DISTANCE = 1029;
    static constexpr int IDC_UNIT = 1175;

    explicit COffsetDialog(const OffsetValues& values, QWidget* parent = nullptr);
    // Shows the dialog; when accepted, `values` takes the entries (mils).
    static bool Ask(QWidget* parent, OffsetValues& values);

    // Takes the entries into m_values, or refuses one and stays open.
    void accept() override;

    OffsetValues m_values;

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    QLineEdit* m_distance;
};
