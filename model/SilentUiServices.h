// The user interface of a program without one: every dialog is cancelled, every
// question answered no, every list dismissed and messages go nowhere. It is what the
// model uses until another one is installed.
#pragma once

#include "UiServices.h"

class SilentUiServices : public UiServices
{
  public:
    void MessageBox(const std::string&) override {}

  protected:
    bool Open(DialogValues) override { return false; }
};
