// Tests that link the user interface run inside one QApplication, made before the first
// test and gone before the program ends, so that the font database is released.
#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace
{

class ApplicationEnvironment : public ::testing::Environment
{
  public:
    void SetUp() override
    {
        if (!QCoreApplication::instance())
            m_app = std::make_unique<QApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

  private:
    int m_argc = 1;
    char m_name[8] = "vantor";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] const ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

} // namespace
