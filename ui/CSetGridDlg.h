// Asks the grid step: shown in the board's unit, handed in and out in mils, from 0.01 to
// 1000 mils. In millimetres a value above 2.54 mm (100 mils) is refused with its own
// message naming 0.0254 mm and 2.54 mm.
#pragma once

#include "CPropertyForm.h"

struct GridValues;

class CSetGridDlg : public CPropertyForm
{
    Q_OBJECT

  public:
    static constexpr int IDD = 130;
    static constexpr int IDC_STEP = 1001;
    static constexpr int IDC_UNIT = 1032;
    static constexpr Range kStep{0.01, 1000.0};
    // The largest step typed in millimetres, in mils.
    static constexpr double kMaxMillimetreStep = 100.0;

    explicit CSetGridDlg(bool millimetres, QWidget* parent = nullptr);

    void Load(const GridValues& values);
    void Store(GridValues& values) const;
    static bool Ask(QWidget* parent, GridValues& values);

    void accept() override;
};
