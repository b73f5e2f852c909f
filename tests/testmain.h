#pragma once

// The main function of the widget tests. They run on the program's own application object,
// so that handlers meet the same error guard as in the program. An error that reaches its
// last net (Application::notify) has unwound through Qt's code: that fails the running test.

#include "platform/appearance.h"
#include "platform/application.h"

#include <QtTest>

inline void failTestsAtTheLastNet()
{
    Application::setLastNetObserver([](const std::exception &error) {
        const QByteArray message =
            QByteArray("An error crossed Qt's code up to Application::notify: ") + error.what();
        QTest::qFail(message.constData(), __FILE__, __LINE__);
    });
}

#define NOCTAMBU_TEST_MAIN(TestObject)                                                             \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        Application app(argc, argv);                                                               \
        installFontSubstitutions();                                                                \
        failTestsAtTheLastNet();                                                                   \
        TestObject test;                                                                           \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
