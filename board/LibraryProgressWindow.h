// The window that shows library loading to the user (the start-up window, or the main
// frame until there is one). The board state calls it on the GUI thread, except for
// WakeLibraryLoading.
#pragma once

#include "LibraryLoadSink.h"

class LibraryProgressWindow
{
  public:
    virtual ~LibraryProgressWindow() = default;

    // Called on the loading thread when it has handed something over: arrange for
    // CInfomation::PumpLibraryLoading to run on the GUI thread soon (a queued call).
    virtual void WakeLibraryLoading() = 0;
    // A loading notice: BN_LOAD_PROGRESS with the step, valid only during the call, or
    // BN_LOAD_DONE with null once loading has ended.
    virtual void OnLibraryLoadNotify(int code, const LibraryLoadProgress* progress) = 0;
};
