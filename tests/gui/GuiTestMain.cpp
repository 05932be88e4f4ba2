// The widget tests run in one QApplication on the offscreen platform.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Downloads in these tests go to the loopback server only, never through a proxy.
    qunsetenv("http_proxy");
    qunsetenv("HTTP_PROXY");
    QApplication app(argc, argv);
    // The file choosers are Qt's own widgets, so that the tests can fill them in.
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
