// Asks the resolution of a photograph that is being opened: vertical and horizontal
// dots per inch, each a whole number from 1 to 10000. It always opens with 800 in both
// fields, the first one focused and selected.
#pragma once

#include <QDialog>

class QLineEdit;
struct DpiValues;

class CGetDPIDlg : public QDialog
{
    Q_OBJECT

  public:
    static constexpr int IDD = 147;
    static constexpr int IDC_VERTICAL = 1029;
    static constexpr int IDC_HORIZONTAL = 1030;
    static constexpr int kMin = 1;
    static constexpr int kMax = 10000;
    static constexpr const char* kShownValue = "800";

    explicit CGetDPIDlg(QWidget* parent = nullptr);

    // Shows the dialog over `parent` (may be null); when accepted, `values` takes the
    // entered resolution and the result is true.
    static bool Ask(QWidget* parent, DpiValues& values);

    // The accepted values (0 until the dialog was accepted).
    int m_vertical = 0;
    int m_horizontal = 0;

    QLineEdit* VerticalEdit() const { return m_verticalEdit; }
    QLineEdit* HorizontalEdit() const { return m_horizontalEdit; }

    // Reads both fields; a field that is not a whole number in range is reported,
    // focused and selected, and the dialog stays open.
    void accept() override;

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    // One field into `value`; false (after the message) when it is not valid.
    bool Exchange(QLineEdit* edit, int* value);

    QLineEdit* m_verticalEdit;
    QLineEdit* m_horizontalEdit;
};
