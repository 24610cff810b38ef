// What every benchmark program sets up first: a Qt application on the offscreen
// platform (unless another one is asked for), the model's classes registered, and the
// benchmark options taken from the command line.
#pragma once

#include <QGuiApplication>

#include <memory>

class BenchApp
{
  public:
    // `argc` must outlive the application.
    BenchApp(int& argc, char** argv);
    BenchApp(const BenchApp&) = delete;
    BenchApp& operator=(const BenchApp&) = delete;

  private:
    std::unique_ptr<QGuiApplication> m_app;
};
