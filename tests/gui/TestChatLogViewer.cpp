// The chat log viewer: what it lists under each filter, what Save and Print write, keyboard and screen-reader
// access, and opening a very large log.
#include "chat/ChatLogModel.h"
#include "chat/ChatLogViewer.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

Q_DECLARE_METATYPE(LogSeverity)

namespace {

ChatLog mixedLog()
{
    ChatLog log;
    log.add("10:00:00", "Log Started", "Corvane Startup", LogSeverity::Information);
    log.add("10:00:01", "Alarm", "Q1AB-R off", LogSeverity::Warning);
    log.add("10:00:02", "Fault", "no > session", LogSeverity::Error);
    log.add("10:00:03", "a>b", "Q1AB>hi", LogSeverity::Information);
    log.add("10:00:04", "Alarm", "Q2CD-L on", LogSeverity::Warning);
    return log;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestChatLogViewer : public QObject
{
    Q_OBJECT
private slots:
    void opensWithTitleColumnsAndEveryRecord();
    void filter_listsRecordsAtOrAboveTheChosenSeverity_data();
    void filter_listsRecordsAtOrAboveTheChosenSeverity();
    void filterMenu_offersRadioItemsThatRefillTheList();
    void saveTo_writesTheListedLines();
    void saveButton_asksForAFileNameAndWritesIt();
    void saveTo_unwritablePath_reportsTheError();
    void printTo_spreadsLinesOverPages();
    void everyControl_hasAccessibleNameAndDescription();
    void tabOrder_runsFromListThroughFilterToButtons();
    void millionRecords_openAtOnce();
};

void TestChatLogViewer::opensWithTitleColumnsAndEveryRecord()
{
    const ChatLog log = mixedLog();
    ChatLogViewer viewer(log, "ChatLog");
    QCOMPARE(viewer.windowTitle(), QString("ChatLog"));
    const QAbstractItemModel* model = viewer.table()->model();
    QStringList headers;
    for (int column = 0; column < model->columnCount(); ++column)
        headers << model->headerData(column, Qt::Horizontal).toString();
    QCOMPARE(headers, (QStringList { "Time", "Severity", "Title", "Description" }));
    QCOMPARE(model->rowCount(), 5);
    QCOMPARE(viewer.severityFilter(), LogSeverity::Information);
    QCOMPARE(model->index(2, ChatLogModel::SeverityColumn).data().toString(), QString("Error"));
    QCOMPARE(model->index(3, ChatLogModel::TitleColumn).data().toString(), QString("a>b"));
}

void TestChatLogViewer::filter_listsRecordsAtOrAboveTheChosenSeverity_data()
{
    QTest::addColumn<LogSeverity>("filter");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("Information lists all")
        << LogSeverity::Information
        << QStringList { "[10:00:00] Information > Log Started > Corvane Startup",
                         "[10:00:01] Warning > Alarm > Q1AB-R off", "[10:00:02] Error > Fault > no > session",
                         "[10:00:03] Information > a>b > Q1AB>hi", "[10:00:04] Warning > Alarm > Q2CD-L on" };
    QTest::newRow("Warning lists warnings and errors")
        << LogSeverity::Warning
        << QStringList { "[10:00:01] Warning > Alarm > Q1AB-R off", "[10:00:02] Error > Fault > no > session",
                         "[10:00:04] Warning > Alarm > Q2CD-L on" };
    QTest::newRow("Error lists errors only")
        << LogSeverity::Error << QStringList { "[10:00:02] Error > Fault > no > session" };
}

void TestChatLogViewer::filter_listsRecordsAtOrAboveTheChosenSeverity()
{
    QFETCH(LogSeverity, filter);
    QFETCH(QStringList, lines);
    const ChatLog log = mixedLog();
    ChatLogViewer viewer(log, "ChatLog");
    viewer.setSeverityFilter(filter);
    QCOMPARE(viewer.lines(), lines);
    QCOMPARE(viewer.table()->model()->rowCount(), lines.size());
    QVERIFY(viewer.countLabel()->text().startsWith(QString::number(lines.size())));
}

void TestChatLogViewer::filterMenu_offersRadioItemsThatRefillTheList()
{
    const ChatLog log = mixedLog();
    ChatLogViewer viewer(log, "ChatLog");
    const QList<QAction*> items = viewer.filterButton()->menu()->actions();
    QStringList names;
    for (QAction* item : items) {
        names << item->text();
        QVERIFY(item->isCheckable());
        QVERIFY(item->actionGroup() && item->actionGroup()->isExclusive());
    }
    QCOMPARE(names, (QStringList { "Information", "Warning", "Error" }));
    QVERIFY(items[0]->isChecked());

    items[2]->trigger();
    QCOMPARE(viewer.table()->model()->rowCount(), 1);
    QVERIFY(items[2]->isChecked() && !items[0]->isChecked());
    QVERIFY(viewer.filterButton()->text().contains("Error"));
    items[0]->trigger();
    QCOMPARE(viewer.table()->model()->rowCount(), 5);
    QCOMPARE(log.records().size(), std::size_t(5));
}

void TestChatLogViewer::saveTo_writesTheListedLines()
{
    const ChatLog log = mixedLog();
    ChatLogViewer viewer(log, "ChatLog");
    viewer.setSeverityFilter(LogSeverity::Warning);
    QTemporaryDir dir;
    QVERIFY(viewer.saveTo(dir.filePath("warnings.csv")));
    QCOMPARE(readAll(dir.filePath("warnings.csv")),
             QByteArray("[10:00:01] Warning > Alarm > Q1AB-R off\r\n[10:00:02] Error > Fault > no > session\r\n"
                        "[10:00:04] Warning > Alarm > Q2CD-L on\r\n"));
}

void TestChatLogViewer::saveButton_asksForAFileNameAndWritesIt()
{
    const ChatLog log = mixedLog();
    ChatLogViewer viewer(log, "ChatLog");
    QTemporaryDir dir;
    int asked = 0;
    viewer.setFileNameProvider([&](QWidget*) {
        ++asked;
        return dir.filePath("log.csv");
    });
    QTest::mouseClick(viewer.saveButton(), Qt::LeftButton);
    QCOMPARE(asked, 1);
    QCOMPARE(readAll(dir.filePath("log.csv")).count("\r\n"), 5);

    viewer.show();
    QVERIFY(QTest::qWaitForWindowActive(&viewer));
    QTest::keyClick(viewer.table(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(asked, 2);
}

void TestChatLogViewer::saveTo_unwritablePath_reportsTheError()
{
    const ChatLog log = mixedLog();
    ChatLogViewer viewer(log, "ChatLog");
    QTemporaryDir dir;
    QFile blocker(dir.filePath("blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY(!viewer.saveTo(dir.filePath("blocker/log.csv")));
    QVERIFY(viewer.lastError().contains("blocker/log.csv"));
}

void TestChatLogViewer::printTo_spreadsLinesOverPages()
{
    ChatLog log;
    for (int i = 0; i < 300; ++i)
        log.add(QString::number(i), "RxText", "Q1AB>line");
    ChatLogViewer viewer(log, "ChatLog");
    QTemporaryDir dir;
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("log.pdf"));
    viewer.printTo(printer);
    const QByteArray pdf = readAll(dir.filePath("log.pdf"));
    const auto pages = pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page ")
        + pdf.count("/Type /Page>") + pdf.count("/Type /Page/");
    QVERIFY2(pages > 1, qPrintable(QString::number(pages)));
}

void TestChatLogViewer::everyControl_hasAccessibleNameAndDescription()
{
    const ChatLog log = mixedLog();
    ChatLogViewer viewer(log, "ChatLog");
    int controls = 0;
    for (QWidget* control : viewer.findChildren<QWidget*>()) {
        const bool insideTheList = control != viewer.table() && viewer.table()->isAncestorOf(control);
        if (!(control->focusPolicy() & Qt::TabFocus) || !control->isVisibleTo(&viewer) || insideTheList)
            continue;
        ++controls;
        QVERIFY2(!control->accessibleName().isEmpty(), control->metaObject()->className());
        QVERIFY2(!control->accessibleDescription().isEmpty(), qPrintable(control->accessibleName()));
    }
    QCOMPARE(controls, 5);
}

void TestChatLogViewer::tabOrder_runsFromListThroughFilterToButtons()
{
    const ChatLog log = mixedLog();
    ChatLogViewer viewer(log, "ChatLog");
    viewer.show();
    QVERIFY(QTest::qWaitForWindowActive(&viewer));
    QCOMPARE(QApplication::focusWidget(), viewer.table());
    QStringList order;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->accessibleName();
    }
    QCOMPARE(order, (QStringList { "Severity filter", "Save", "Print", "Close" }));
}

void TestChatLogViewer::millionRecords_openAtOnce()
{
    ChatLog log;
    const QString time = "10:00:00", title = "RxText", description = "Q1AB>hello";
    for (int i = 0; i < 1'000'000; ++i)
        log.add(time, title, description, i % 1000 == 0 ? LogSeverity::Error : LogSeverity::Information);
    ChatLogViewer viewer(log, "ChatLog");
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    QCOMPARE(viewer.table()->model()->rowCount(), 1'000'000);
    viewer.table()->scrollToBottom();
    QCOMPARE(viewer.table()->model()->index(999'999, ChatLogModel::DescriptionColumn).data().toString(), description);
    viewer.setSeverityFilter(LogSeverity::Error);
    QCOMPARE(viewer.table()->model()->rowCount(), 1000);
}

QTEST_MAIN(TestChatLogViewer)
#include "TestChatLogViewer.moc"
