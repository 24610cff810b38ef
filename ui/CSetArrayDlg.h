// The array tool's parameter dialog (155): the type (circular, linear or rectangle),
// the spacings in the board's unit, the circular step in degrees, the copies per
// object (0 to 1000), the name step and the two options. OK is refused while no type
// is chosen.
#pragma once

#include "model/UiServices.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;

class CSetArrayDlg : public QDialog
{
    Q_OBJECT

  public:
    static constexpr int IDD = 155;
    static constexpr int IDC_CIRCULAR = 1156;
    static constexpr int IDC_LINEAR = 1157;
    static constexpr int IDC_RECTANGLE = 1003;
    static constexpr int IDC_X_SPACING = 1166;
    static constexpr int IDC_Y_SPACING = 1167;
    static constexpr int IDC_ANGLE = 1162;
    static constexpr int IDC_COUNT = 1168;
    static constexpr int IDC_TEXT_INCREMENT = 1031;
    static constexpr int IDC_BEGIN_AT_CURRENT = 1171;
    static constexpr int IDC_ROTATE_ITEMS = 1160;
    static constexpr int IDC_UNIT1 = 1175;
    static constexpr int IDC_UNIT2 = 1032;
    static constexpr int kMaxCount = 1000;
    static constexpr const char* kNoType = "Please choose the type of the array.";

    explicit CSetArrayDlg(const ArrayValues& values, QWidget* parent = nullptr);
    // Shows the dialog; when accepted, `values` takes the entries (mils, radians).
    static bool Ask(QWidget* parent, ArrayValues& values);

    // Takes the entries into m_values, or refuses one and stays open.
    void accept() override;

    ArrayValues m_values;

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    // The type radios and the option boxes into m_values; false while no type is chosen.
    bool ReadChoices();

    QRadioButton* m_circular;
    QRadioButton* m_linear;
    QRadioButton* m_rectangle;
    QLineEdit* m_xSpacing;
    QLineEdit* m_ySpacing;
    QLineEdit* m_angle;
    QLineEdit* m_count;
    QLineEdit* m_textIncrement;
    QCheckBox* m_beginAtCurrent;
    QCheckBox* m_rotateItems;
};
