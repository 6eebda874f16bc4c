// Fonts and image codecs need a QGuiApplication. It is made once for the whole test run, on
// the offscreen platform unless the caller chose another.
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

class GuiAppEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (!QGuiApplication::instance())
            app_ = std::make_unique<QGuiApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[13] = "render_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const kGuiApp = ::testing::AddGlobalTestEnvironment(new GuiAppEnvironment);

} // namespace
