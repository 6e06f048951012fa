// The chat log viewer: what it lists under each filter, what Save and Print write, keyboard and screen-reader
// access, and opening a very large log.
#include "chat/ChatLogModel.h"
#include "chat/ChatLogViewer.h"

#include <QAccessible>
#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QtTest>
#include <cstdio>

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

void writeAll(const QString& path, const QByteArray& bytes, QIODevice::OpenMode mode = QIODevice::Truncate)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | mode));
    QCOMPARE(file.write(bytes), bytes.size());
}

// What a program running beside Corvane leaves in the log's place: the file's bytes, or none for no file.
void changeFile(const QString& path, const QString& how, const QByteArray& bytes)
{
    if (how == "shortened" || how == "rewritten in place") {
        writeAll(path, bytes);
    } else if (how == "replaced") {
        writeAll(path + ".new", bytes);
        QVERIFY(::rename(QFile::encodeName(path + ".new").constData(), QFile::encodeName(path).constData()) == 0);
    } else {
        QVERIFY(QFile::remove(path));
        if (how == "folder")
            QVERIFY(QDir().mkdir(path));
    }
}

QStringList column(const QAbstractItemModel* model, int column)
{
    QStringList values;
    for (int row = 0; row < model->rowCount(); ++row)
        values << model->index(row, column).data().toString();
    return values;
}

const QByteArray history = "[10:00:00]Information>Log Started>Corvane Startup\r\n"
                           "[10:00:01]Error>Fault>no session\r\n"
                           "[10:00:02]Information>RxText>Q1AB>caf\xE9 \x93ok\x94\r\n"
                           "[10:00:03]Information>RxText>Q1AB>caf\xC3\xA9\r\n"
                           "[10:00:0";

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
    void fileLog_listsTheFileThenWaitingEntries();
    void entriesAddedWhileOpen_appear_data();
    void entriesAddedWhileOpen_appear();
    void fileChangedWhileOpen_listShowsItAndSaysSo_data();
    void fileChangedWhileOpen_listShowsItAndSaysSo();
    void fileShortenedBeforeTheNextLook_rowsReadEmptyThenTheListFollows();
    void middleRewrittenInPlace_isFoundWhenItsRowsAreRead();
    void pagesFarApart_readTheRightRecords();
};

void TestChatLogViewer::opensWithTitleColumnsAndEveryRecord()
{
    ChatLog log = mixedLog();
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
    ChatLog log = mixedLog();
    ChatLogViewer viewer(log, "ChatLog");
    viewer.setSeverityFilter(filter);
    QCOMPARE(viewer.lines(), lines);
    QCOMPARE(viewer.table()->model()->rowCount(), lines.size());
    QVERIFY(viewer.countLabel()->text().startsWith(QString::number(lines.size())));
}

void TestChatLogViewer::filterMenu_offersRadioItemsThatRefillTheList()
{
    ChatLog log = mixedLog();
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
    ChatLog log = mixedLog();
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
    ChatLog log = mixedLog();
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
    ChatLog log = mixedLog();
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
    ChatLog log = mixedLog();
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
    ChatLog log = mixedLog();
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

void TestChatLogViewer::fileLog_listsTheFileThenWaitingEntries()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ChatLog.txt");
    writeAll(path, history);
    ChatLog log;
    QVERIFY(log.setFileName(path));
    // Entries the disk has not taken yet (auto-save still off) follow the file's records.
    log.add("10:00:04", "Connect", "Op Q2CD", LogSeverity::Warning);
    ChatLogViewer viewer(log, "ChatLog");
    const QAbstractItemModel* model = viewer.table()->model();
    QCOMPARE(column(model, ChatLogModel::DescriptionColumn),
             (QStringList { "Corvane Startup", "no session", QStringLiteral("Q1AB>caf\u00e9 \u201cok\u201d"),
                            QStringLiteral("Q1AB>caf\u00e9"), "Op Q2CD" }));
    QCOMPARE(column(model, ChatLogModel::SeverityColumn).mid(3), (QStringList { "Information", "Warning" }));
    viewer.setSeverityFilter(LogSeverity::Warning);
    QCOMPARE(viewer.lines(),
             (QStringList { "[10:00:01] Error > Fault > no session", "[10:00:04] Warning > Connect > Op Q2CD" }));
    QCOMPARE(viewer.noticeLabel()->text(), QString());
}

void TestChatLogViewer::entriesAddedWhileOpen_appear_data()
{
    QTest::addColumn<QString>("writer");
    QTest::newRow("this program") << "this program";
    QTest::newRow("another program") << "another program";
    QTest::newRow("another program completes the torn tail") << "tail";
}

void TestChatLogViewer::entriesAddedWhileOpen_appear()
{
    QFETCH(QString, writer);
    QTemporaryDir dir;
    const QString path = dir.filePath("ChatLog.txt");
    writeAll(path, "[10:00:00]Information>Log Started>Corvane Startup\r\n[10:00:01]Information>Rx");
    ChatLog log;
    QVERIFY(log.setFileName(path));
    log.setAutoSave(true);
    log.setSyncToDisk(false);
    ChatLogViewer viewer(log, "ChatLog");
    const QAbstractItemModel* model = viewer.table()->model();
    QCOMPARE(column(model, ChatLogModel::TitleColumn), (QStringList { "Log Started", "Rx" }));
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);

    QStringList expected;
    if (writer == "this program") {
        // Shown at once: the log tells the viewer of every entry. The fragment stays a record of its own.
        QCOMPARE(log.add("10:00:02", "RxText", "Q1AB>hi"), ChatLog::WriteStatus::Written);
        expected = QStringList { "Log Started", "Rx", "RxText" };
    } else if (writer == "another program") {
        writeAll(path, "Text>Q1AB>hi\r\n[10:00:03]Error>Fault>y\r\n", QIODevice::Append);
        viewer.refresh();
        expected = QStringList { "Log Started", "RxText", "Fault" };
    } else {
        writeAll(path, "Text>Q1AB>hello\r\n", QIODevice::Append);
        viewer.refresh();
        expected = QStringList { "Log Started", "RxText" };
    }
    QCOMPARE(column(model, ChatLogModel::TitleColumn), expected);
    QCOMPARE(inserted.isEmpty(), writer == "tail");
    QCOMPARE(viewer.countLabel()->text(), QString("%1 entries").arg(model->rowCount()));
    QCOMPARE(viewer.noticeLabel()->text(), QString());
}

void TestChatLogViewer::fileChangedWhileOpen_listShowsItAndSaysSo_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QString>("notice");
    QTest::newRow("shortened") << "shortened" << QByteArray("[1]Information>First>a\r\n") << QStringList { "First" }
                               << "shortened";
    QTest::newRow("replaced") << "replaced" << QByteArray("[1]Error>Other>a\r\n[2]Information>Log>b\r\n")
                              << QStringList { "Other", "Log" } << "replaced";
    QTest::newRow("rewritten in place, longer")
        << "rewritten in place" << QByteArray(history).replace("Log Started", "Log Resumed").append("0]Error>End>y\r\n")
        << QStringList { "Log Resumed", "Fault", "RxText", "RxText", "End" } << "replaced";
    QTest::newRow("removed") << "removed" << QByteArray() << QStringList {} << "removed";
    QTest::newRow("a folder in its place") << "folder" << QByteArray() << QStringList {} << "cannot be read";
}

void TestChatLogViewer::fileChangedWhileOpen_listShowsItAndSaysSo()
{
    QFETCH(QString, how);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, titles);
    QFETCH(QString, notice);
    QTemporaryDir dir;
    const QString path = dir.filePath("ChatLog.txt");
    writeAll(path, history);
    ChatLog log;
    QVERIFY(log.setFileName(path));
    ChatLogViewer viewer(log, "ChatLog");
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    viewer.table()->scrollToBottom();
    QCOMPARE(viewer.table()->model()->rowCount(), 4);

    changeFile(path, how, bytes);
    viewer.refresh();
    QCOMPARE(column(viewer.table()->model(), ChatLogModel::TitleColumn), titles);
    // Looking again with nothing changed leaves the list as it is.
    QSignalSpy resets(viewer.table()->model(), &QAbstractItemModel::modelReset);
    QSignalSpy changes(viewer.table()->model(), &QAbstractItemModel::dataChanged);
    viewer.refresh();
    QCOMPARE(resets.count() + changes.count(), 0);
    QVERIFY2(viewer.noticeLabel()->text().contains(notice), qPrintable(viewer.noticeLabel()->text()));
    QVERIFY(viewer.noticeLabel()->isVisibleTo(&viewer));
    QAccessibleInterface* noticeAccess = QAccessible::queryAccessibleInterface(viewer.noticeLabel());
    QVERIFY(noticeAccess);
    QCOMPARE(noticeAccess->text(QAccessible::Name), viewer.noticeLabel()->text());
    QCOMPARE(viewer.countLabel()->text(),
             titles.size() == 1 ? QString("1 entry") : QString("%1 entries").arg(titles.size()));
    viewer.table()->viewport()->grab();

    // The log goes on writing to whatever the name now leads to, and the list follows it.
    log.setAutoSave(true);
    log.setSyncToDisk(false);
    QCOMPARE(log.add("10:00:09", "Log Closed", "Corvane Closing"),
             how == "folder" ? ChatLog::WriteStatus::Failed : ChatLog::WriteStatus::Written);
    QCOMPARE(column(viewer.table()->model(), ChatLogModel::TitleColumn), titles + QStringList { "Log Closed" });
}

void TestChatLogViewer::fileShortenedBeforeTheNextLook_rowsReadEmptyThenTheListFollows()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ChatLog.txt");
    QByteArray bytes;
    for (int i = 0; i < 1000; ++i)
        bytes += QStringLiteral("[%1]Information>RxText>Q1AB>line %1\r\n").arg(i).toUtf8();
    writeAll(path, bytes);
    ChatLog log;
    QVERIFY(log.setFileName(path));
    ChatLogViewer viewer(log, "ChatLog");
    ChatLogModel* model = viewer.model();
    QCOMPARE(model->index(0, ChatLogModel::TimeColumn).data().toString(), QString("0"));

    writeAll(path, bytes.first(100));
    QCOMPARE(model->index(999, ChatLogModel::TimeColumn).data().toString(), QString());
    QVERIFY(model->recordsMissing());
    // The viewer looks again as soon as the list finds a record gone.
    QTRY_COMPARE(model->rowCount(), 3); // two lines and a torn one
    QCOMPARE(model->index(2, ChatLogModel::TimeColumn).data().toString(), QString("2"));
    QVERIFY(viewer.noticeLabel()->text().contains("shortened"));
    QVERIFY(!model->recordsMissing());
}

void TestChatLogViewer::middleRewrittenInPlace_isFoundWhenItsRowsAreRead()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ChatLog.txt");
    QByteArray bytes;
    for (int i = 0; i < 1000; ++i)
        bytes += QStringLiteral("[%1]Information>RxText>Q1AB>line %1\r\n").arg(i, 3, 10, QLatin1Char('0')).toUtf8();
    writeAll(path, bytes);
    ChatLog log;
    QVERIFY(log.setFileName(path));
    ChatLogViewer viewer(log, "ChatLog");
    ChatLogModel* model = viewer.model();

    // Ten records in the middle overwritten with text that is no record, the file's size, start and end unchanged.
    const qsizetype lineLength = bytes.indexOf("\r\n") + 2;
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(500 * lineLength));
    QCOMPARE(file.write(QByteArray(10 * lineLength, '-')), 10 * lineLength);
    file.close();
    viewer.refresh();
    QCOMPARE(model->rowCount(), 1000);

    QCOMPARE(model->index(505, ChatLogModel::TimeColumn).data().toString(), QString());
    QTRY_COMPARE(model->rowCount(), 990);
    QCOMPARE(model->index(500, ChatLogModel::TimeColumn).data().toString(), QString("510"));
    QVERIFY(viewer.noticeLabel()->text().contains("replaced"));
}

void TestChatLogViewer::pagesFarApart_readTheRightRecords()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ChatLog.txt");
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i) {
        bytes += QStringLiteral("[%1]%2>T%1>d%1\r\n").arg(i).arg(i % 7 == 0 ? "Error" : "Information").toUtf8();
        if (i % 100 == 0)
            bytes += "garbage between records\n\r\n";
    }
    writeAll(path, bytes);
    ChatLog log;
    QVERIFY(log.setFileName(path));
    ChatLogViewer viewer(log, "ChatLog");
    const QAbstractItemModel* model = viewer.table()->model();
    QCOMPARE(model->rowCount(), 5000);
    for (int row : { 4999, 0, 2560, 255, 256, 4000, 17, 4999 })
        QCOMPARE(model->index(row, ChatLogModel::TitleColumn).data().toString(), QString("T%1").arg(row));
    viewer.setSeverityFilter(LogSeverity::Error);
    QCOMPARE(model->rowCount(), 715);
    for (int row : { 714, 0, 300 })
        QCOMPARE(model->index(row, ChatLogModel::DescriptionColumn).data().toString(), QString("d%1").arg(row * 7));
}

QTEST_MAIN(TestChatLogViewer)
#include "TestChatLogViewer.moc"
