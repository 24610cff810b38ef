// The area fill's properties: layer and the two corners. The layer list opens as soon as
// the dialog is shown.
#pragma once

#include "CPropertyForm.h"

struct FillProperties;

class CChangeFillAreaDlg : public CPropertyForm
{
    Q_OBJECT

  public:
    static constexpr int IDD = 144;

    explicit CChangeFillAreaDlg(bool millimetres, QWidget* parent = nullptr);

    // The values into the controls, and back after the dialog was accepted.
    void Load(const FillProperties& values);
    void Store(FillProperties& values) const;

    // Shows the dialog in the board's unit; when accepted, `values` takes what was
    // entered and the result is true.
    static bool Ask(QWidget* parent, FillProperties& values);

  protected:
    void showEvent(QShowEvent* e) override;
};
