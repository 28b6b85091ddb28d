// The integration tests run with a QCoreApplication, as the programs do: QSerialPort
// (VENDRIX_SERIAL=qt) wants an event dispatcher for its socket notifiers, although no
// event loop ever runs here.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <clocale>
#include <memory>
#include <string>

namespace {

class QtApplication : public ::testing::Environment {
  public:
    void SetUp() override {
        if (QCoreApplication::instance()) return;
        // QCoreApplication takes the locale of the environment; the tests keep theirs.
        const std::string locale = std::setlocale(LC_ALL, nullptr);
        app_ = std::make_unique<QCoreApplication>(argc_, argv_);
        std::setlocale(LC_ALL, locale.c_str());
    }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[18] = "integration_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> app_;
};

[[maybe_unused]] auto* const kQtApplication = ::testing::AddGlobalTestEnvironment(new QtApplication);

}  // namespace
