// The user interface of the benchmark programs: no dialog is ever shown, messages are
// printed on the console, and questions get a fixed answer.
#pragma once

#include "model/SilentUiServices.h"

class BenchUi : public SilentUiServices
{
  public:
    // With `confirm`, the resolution question is accepted with its defaults and every
    // yes/no question answered yes; without it both are refused. Every other dialog is
    // cancelled.
    explicit BenchUi(bool confirm) : m_confirm(confirm) {}

    void MessageBox(const std::string& text) override;

  protected:
    bool Open(DialogValues values) override;

  private:
    bool m_confirm;
};
