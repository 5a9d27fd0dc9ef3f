#include "tests/ui/UiFixture.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // A laptop's screen of 1280 x 800, which every window must fit.
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" QT_TESTCASE_SOURCEDIR "/Screen.json");
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    int failures = 0;
    for (const auto& create : kalvenor::ui::TestClasses()) {
        const std::unique_ptr<QObject> test = create();
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures;
}
