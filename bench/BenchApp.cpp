#include "BenchApp.h"

#include "model/ModelSetup.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

BenchApp::BenchApp(int& argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    m_app = std::make_unique<QGuiApplication>(argc, argv);
    RegisterModelClasses();
    benchmark::Initialize(&argc, argv);
}
