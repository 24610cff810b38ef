// "Set Layers and Colors": which of the 40 colour keys (the 34 board layers, pad and via
// holes, the two grids, the view background and the selection highlight) are shown and
// in which colour each is drawn. The caller fills the row table, the rows in use on the
// board and the current layer; the table is read back after OK. Nothing reaches the
// caller before OK. Main thread only; the controls are owned by the dialog.
#pragma once

#include "model/UiServices.h"

#include <QDialog>

#include <map>

class CColorStatic;
class QCheckBox;

class CSetLayerColorDlg : public QDialog
{
    Q_OBJECT

  public:
    static constexpr int IDD = 154;
    static constexpr int IDC_TURN_ALL_OFF = 1125;
    static constexpr int IDC_ALL_LAYERS_ON = 1126;
    static constexpr int IDC_USED_LAYERS_ON = 1127;
    static constexpr int IDC_SINGLE_LAYER = 1128;
    static constexpr int IDC_RESET_ALL = 1221;
    static constexpr int kRows = 40;
    static constexpr int kCheckedRows = 38; // rows 0 to 37 have a check box

    explicit CSetLayerColorDlg(QWidget* parent = nullptr);

    void SetCurrentLayer(const int& layer) { m_current = layer; }
    // The caller's values into the dialog and its controls (current layer included).
    void Load(const LayersValues& values);
    // The row table as the last OK left it.
    const std::map<int, LayerEntry>& Table() const { return m_table; }

    static bool Ask(QWidget* parent, LayersValues& values);

    // The check box (null for rows 38 and 39) and the swatch of a row.
    QCheckBox* Check(int row) const;
    CColorStatic* Swatch(int row) const;
    // Its reset colour.
    static COLORREF ResetColor(int row);

    void accept() override;

    void OnTurnAllOff();
    void OnAllLayersOn();
    void OnUsedLayersOn();
    void OnSingleLayerMode();
    void OnResetAll();

  private:
    void BuildRows();
    void BuildButtons();
    // Check boxes and swatches from the row table.
    void ShowTable();
    void SetRowChecked(int row, bool on);

    std::map<int, LayerEntry> m_table;
    std::map<int, int> m_used;
    int m_current = 33;
};
