// Asks how many objects to insert evenly between the two selected ones (1 to 1000)
// and the step by which their name numbers grow (any whole number). It opens with the
// values it is given, the count focused and selected.
#pragma once

#include <QDialog>

class QLineEdit;
struct InsertValues;

class CInsertEntityDlg : public QDialog
{
    Q_OBJECT

  public:
    static constexpr int IDD = 156;
    static constexpr int IDC_COUNT_LABEL = 1172;
    static constexpr int IDC_COUNT = 1173;
    static constexpr int IDC_INCREMENT_LABEL = 1153;
    static constexpr int IDC_INCREMENT = 1031;

    explicit CInsertEntityDlg(const InsertValues& values, QWidget* parent = nullptr);

    // Shows the dialog over `parent` (may be null) with `values`; when accepted they
    // take the entered count and increment and the result is true.
    static bool Ask(QWidget* parent, InsertValues& values);

    QLineEdit* CountEdit() const { return m_countEdit; }
    QLineEdit* IncrementEdit() const { return m_incrementEdit; }
    int Count() const { return m_count; }
    int Increment() const { return m_increment; }

    // Reads both fields; a field that is not a whole number in range is reported,
    // focused and selected, and the dialog stays open with the text as typed.
    void accept() override;

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    QLineEdit* m_countEdit;
    QLineEdit* m_incrementEdit;
    int m_count;
    int m_increment;
};
