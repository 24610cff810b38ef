// The shape the property dialogs share: rows of labelled fields (lengths with a unit
// label, angles in degrees, texts, lists and check boxes), each control numbered, and OK
// that checks every number once. Lengths are handed in and out in mils and shown in the
// board's unit: mils, or millimetres (mils / 39.37007874015748). A length's range is in
// mils and is checked on the value converted to mils; a refusal names the range in the
// shown unit, focuses the field and leaves every edit as typed. Angles are in degrees.
// The dialog's texts are set when it is built, its values afterwards (SetNumber ...).
// Main thread only; the controls are owned by the dialog.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <limits>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QVBoxLayout;

// The accepted values of a number, both ends included (in mils for a length).
struct FieldRange {
    double min;
    double max;
};

class CPropertyForm : public QDialog
{
    Q_OBJECT

  public:
    static constexpr double kMilsPerMm = 39.37007874015748;
    static constexpr double kNone = std::numeric_limits<double>::infinity();

    using Range = FieldRange;
    static constexpr Range kAny{-kNone, kNone};
    static constexpr Range kSize{0.0, 1000.0};
    static constexpr Range kAngle{0.0, 360.0};
    static constexpr Range kNotNegative{0.0, kNone};

    // `millimetres`: lengths are shown in millimetres, else in mils.
    CPropertyForm(int dialogId, const QString& caption, bool millimetres, QWidget* parent);

    // Angles shown in degrees, kept in radians (with the program's pi, 3.1415926).
    static double ToDegrees(double radians);
    static double ToRadians(double degrees);

    // Shows a dialog of type Dlg in the board's unit, loaded with `values`; when it is
    // accepted, `values` takes what was entered and the result is true.
    template <class Dlg, class Values> static bool Run(QWidget* parent, Values& values)
    {
        Dlg dlg(BoardInMillimetres(), parent);
        dlg.Load(values);
        if (dlg.exec() != QDialog::Accepted)
            return false;
        dlg.Store(values);
        return true;
    }

    // True when the open board shows millimetres.
    static bool BoardInMillimetres();
    // "MM" or "MILS", the text of every unit label.
    QString UnitName() const;
    bool Millimetres() const { return m_millimetres; }

    // Reads every number; the first one that is not a number in its range is reported,
    // focused and selected, and the dialog stays open. Else the values are kept and the
    // dialog closes accepted.
    void accept() override;

    // Values: lengths in mils, angles in degrees; read after the dialog was accepted.
    void SetNumber(int id, double value);
    double Number(int id) const;
    void SetText(int id, const std::string& text);
    std::string Text(int id) const;
    void SetIndex(int id, int index);
    int Index(int id) const;
    // The chosen index into `value`; `value` is kept when none is chosen (it was not
    // one of the list's entries).
    void StoreIndex(int id, int* value) const;
    void SetChecked(int id, int checked);
    int Checked(int id) const;

  protected:
    // Rows of `grid`: a label, the control and, for a length, its unit label.
    QLineEdit* AddLength(QGridLayout* grid, int id, const QString& label, int unitId,
                         Range range = kAny);
    QLineEdit* AddDegrees(QGridLayout* grid, int id, const QString& label, Range range = kAny);
    QLineEdit* AddText(QGridLayout* grid, int id, const QString& label);
    QComboBox* AddList(QGridLayout* grid, int id, const QString& label, const QStringList& items);
    QCheckBox* AddCheck(QGridLayout* grid, int id, const QString& label);
    // The dialog's own grid, and a titled group with a grid of its own.
    QGridLayout* Form() const { return m_form; }
    QGridLayout* Group(const QString& title);
    // OK and Cancel below the fields; call last when building.
    void AddButtons(const QString& okText = QStringLiteral("OK"));
    // The edit that takes the focus, its whole text selected, when the dialog is shown.
    void SetFocusField(int id) { m_focusId = id; }

    // The number typed into a field: false (after the message) when it is no number.
    bool ReadNumber(int id, double* shown);

    void showEvent(QShowEvent* e) override;

  private:
    struct Field {
        int id;
        QLineEdit* edit;
        bool length;
        Range range;
        double value;
    };
    Field* FindField(int id);
    const Field* FindField(int id) const;
    QLineEdit* AddNumber(QGridLayout* grid, int id, const QString& label, bool length, Range range);
    static QString RangeMessage(double min, double max);

    bool m_millimetres;
    int m_focusId = 0;
    QVBoxLayout* m_layout;
    QGridLayout* m_form;
    std::vector<Field> m_numbers;
};
