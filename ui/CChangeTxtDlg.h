// The property dialog of a text string: the text, its stroke width and height, layer,
// rotation, position and mirror flag. Lengths arrive and leave in mils and are shown
// in the board's unit (mils or millimetres); the rotation arrives and leaves in
// radians and is shown in degrees. Width and height must lie within 0 to 1000 mils; a
// value out of range is refused with the range in the shown unit, its field focused,
// and the dialog stays open with the edits as typed.
#pragma once

#include <QDialog>

#include "model/UiServices.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

class CChangeTxtDlg : public QDialog
{
    Q_OBJECT

  public:
    static constexpr int IDD = 143;
    static constexpr int IDC_TEXT = 1017;
    static constexpr int IDC_WIDTH = 1009;
    static constexpr int IDC_HEIGHT = 1018;
    static constexpr int IDC_LAYER = 1010;
    static constexpr int IDC_ROTATION = 1006;
    static constexpr int IDC_X = 1004;
    static constexpr int IDC_Y = 1005;
    static constexpr int IDC_MIRROR = 1038;
    static constexpr double kMaxSize = 1000.0; // mils

    // `unitName` "MM" shows millimetres, anything else mils.
    CChangeTxtDlg(const TextProperties& values, const std::string& unitName,
                  QWidget* parent = nullptr);

    // Shows the dialog over `parent` (may be null) in the board's unit; when accepted,
    // `values` takes what was entered and the result is true.
    static bool Ask(QWidget* parent, TextProperties& values);

    // The edit of control `id` (null for none).
    QLineEdit* Edit(int id) const;
    QComboBox* LayerBox() const { return m_layer; }
    QCheckBox* MirrorBox() const { return m_mirror; }

    // Reads every field; a field that is not a number or out of range is reported,
    // focused and selected, and the dialog stays open.
    void accept() override;

    // The values as accepted (mils, radians).
    TextProperties m_values;

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    // One field, as shown times `toValue`, into `value`; with `ranged` it must lie
    // within 0 to kMaxSize. False (after the message) when refused.
    bool ReadField(int id, double toValue, bool ranged, double* value);

    bool m_mm;
    QComboBox* m_layer;
    QCheckBox* m_mirror;
};
