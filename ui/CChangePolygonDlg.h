// The property dialog of a polygon pour: hatch style, hatch grid, track width and
// layer. Lengths arrive and leave in mils and are shown in the board's unit ("MILS" or
// "MM"); the grid and the width are checked on their value in mils (0 to 1000), and a
// refusal names the range in the shown unit and leaves the edits as typed.
#pragma once

#include "model/UiServices.h"

#include <QDialog>

#include <string>

class QComboBox;
class QLabel;
class QLineEdit;

class CChangePolygonDlg : public QDialog
{
    Q_OBJECT

  public:
    static constexpr int IDD = 150;
    static constexpr int IDC_HATCH_STYLE = 1015;
    static constexpr int IDC_GRID = 1009;
    static constexpr int IDC_WIDTH = 1014;
    static constexpr int IDC_LAYER = 1010;
    static constexpr int IDC_GRID_UNIT = 1032;
    static constexpr int IDC_WIDTH_UNIT = 1033;
    // The range of the grid and the width, in mils.
    static constexpr double kMinLength = 0.0;
    static constexpr double kMaxLength = 1000.0;

    // Shows `values` (mils) in the unit named `unitName` ("MM" for millimetres).
    CChangePolygonDlg(const PolygonProperties& values, const std::string& unitName,
                      QWidget* parent = nullptr);

    // Shows the dialog over `parent` (may be null) in the board's unit; when accepted,
    // `values` takes what was entered and the result is true.
    static bool Ask(QWidget* parent, PolygonProperties& values);

    // The values in mils: as given until the dialog is accepted, then as entered.
    PolygonProperties m_values;

    QComboBox* StyleBox() const { return m_style; }
    QLineEdit* GridEdit() const { return m_grid; }
    QLineEdit* WidthEdit() const { return m_width; }
    QComboBox* LayerBox() const { return m_layer; }

    // Reads the fields; a length that is not a number or out of range is reported,
    // focused and selected, and the dialog stays open.
    void accept() override;

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    // One length field into `mils`; false (after the message) when it is refused.
    bool Exchange(QLineEdit* edit, double* mils);
    // The text of a length in mils, in the shown unit.
    QString Shown(double mils) const;

    bool m_inMils;
    QComboBox* m_style;
    QLineEdit* m_grid;
    QLineEdit* m_width;
    QComboBox* m_layer;
};
