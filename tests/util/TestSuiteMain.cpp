// The main of a shared test program: `<program> <TestClass> [QtTest options]` runs that one class.
#include "TestSuite.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Entry
{
    TestSuite::Application application;
    const char* sourceFile;
    std::function<void()> initMain;
    TestSuite::Runner run;
};

std::map<std::string, Entry>& registry()
{
    static std::map<std::string, Entry> entries;
    return entries;
}

int listClasses(const char* program)
{
    std::fprintf(stderr, "Usage: %s <test class> [QtTest options]\nTest classes:\n", program);
    for (const auto& [name, entry] : registry())
        std::fprintf(stderr, "  %s\n", name.c_str());
    return 2;
}

} // namespace

bool TestSuite::add(const char* className, Application application, const char* sourceFile,
                    std::function<void()> initMain, Runner run)
{
    registry().emplace(className, Entry{application, sourceFile, std::move(initMain), std::move(run)});
    return true;
}

int main(int argc, char* argv[])
{
    if (argc < 2)
        return listClasses(argv[0]);
    const auto found = registry().find(argv[1]);
    if (found == registry().end()) {
        std::fprintf(stderr, "No test class %s in this program.\n", argv[1]);
        return listClasses(argv[0]);
    }
    const Entry& entry = found->second;

    // QtTest sees the program name followed by the options meant for it.
    std::vector<char*> arguments{argv[0]};
    arguments.insert(arguments.end(), argv + 2, argv + argc);
    int count = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);

    entry.initMain();
    std::unique_ptr<QCoreApplication> app;
    if (entry.application == TestSuite::Application::Widgets)
        app = std::make_unique<QApplication>(count, arguments.data());
    else if (entry.application == TestSuite::Application::Core)
        app = std::make_unique<QCoreApplication>(count, arguments.data());
    if (app)
        app->setAttribute(Qt::AA_Use96Dpi, true);
    QTest::setMainSourcePath(entry.sourceFile, QT_TESTCASE_BUILDDIR);
    return entry.run(count, arguments.data());
}
