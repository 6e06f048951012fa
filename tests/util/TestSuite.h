#pragma once

// Lets many QtTest classes share one executable. This header is included before every source of a shared
// test program; it turns each file's QTEST_MAIN / QTEST_GUILESS_MAIN / QTEST_APPLESS_MAIN into a
// registration, and the program's main runs the one class named by its first argument, in a fresh process
// per class as CTest starts it. A test file stays an ordinary QtTest file that could build on its own.

#include <QtTest/qtest.h>

#include <functional>

namespace TestSuite {

enum class Application
{
    None,
    Core,
    Widgets,
};

using Runner = std::function<int(int argc, char** argv)>;

// Returns true so that the registration can initialise a namespace-scope constant.
bool add(const char* className, Application application, const char* sourceFile, std::function<void()> initMain,
         Runner run);

} // namespace TestSuite

#define CORVANE_SUITE_REGISTER(TestObject, application)                                                               \
    namespace {                                                                                                        \
    [[maybe_unused]] const bool registered##TestObject = TestSuite::add(                                               \
        #TestObject, application, __FILE__, [] { QTest::Internal::callInitMain<TestObject>(); },                     \
        [](int argc, char** argv) {                                                                                    \
            TestObject test;                                                                                           \
            return QTest::qExec(&test, argc, argv);                                                                    \
        });                                                                                                            \
    }

#undef QTEST_MAIN
#undef QTEST_GUILESS_MAIN
#undef QTEST_APPLESS_MAIN
#define QTEST_MAIN(TestObject) CORVANE_SUITE_REGISTER(TestObject, TestSuite::Application::Widgets)
#define QTEST_GUILESS_MAIN(TestObject) CORVANE_SUITE_REGISTER(TestObject, TestSuite::Application::Core)
#define QTEST_APPLESS_MAIN(TestObject) CORVANE_SUITE_REGISTER(TestObject, TestSuite::Application::None)
