// The program itself on a real X server, as an operator meets it: started as the README starts it, with the
// EchoLink stand-in, keys typed on the X keyboard the moment the window shows, and the window's pixels read
// back from the screen. Keys go in through xdotool; the screen is read through this program's own connection
// to the same X server. tests/util/run-on-x.sh gives it a private X server.
#include "util/StandIn.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

namespace {

// The biggest four-connected region of one colour in an image: how many pixels it has and its bounding box.
struct Region
{
    int pixels = 0;
    QRect bounds;
};

Region largestRegionOf(const QImage& image, QRgb color)
{
    const int w = image.width();
    const int h = image.height();
    std::vector<bool> seen(static_cast<size_t>(w) * static_cast<size_t>(h), false);
    auto is = [&](int x, int y) { return (image.pixel(x, y) | 0xFF000000u) == (color | 0xFF000000u); };
    Region best;
    std::vector<QPoint> stack;
    for (int y0 = 0; y0 < h; ++y0) {
        for (int x0 = 0; x0 < w; ++x0) {
            const size_t start = static_cast<size_t>(y0) * static_cast<size_t>(w) + static_cast<size_t>(x0);
            if (seen[start] || !is(x0, y0))
                continue;
            Region region;
            int left = x0, right = x0, top = y0, bottom = y0;
            seen[start] = true;
            stack.assign(1, QPoint(x0, y0));
            while (!stack.empty()) {
                const QPoint p = stack.back();
                stack.pop_back();
                ++region.pixels;
                left = std::min(left, p.x());
                right = std::max(right, p.x());
                top = std::min(top, p.y());
                bottom = std::max(bottom, p.y());
                const QPoint next[]
                    = { { p.x() + 1, p.y() }, { p.x() - 1, p.y() }, { p.x(), p.y() + 1 }, { p.x(), p.y() - 1 } };
                for (const QPoint& n : next) {
                    if (n.x() < 0 || n.y() < 0 || n.x() >= w || n.y() >= h)
                        continue;
                    const size_t i = static_cast<size_t>(n.y()) * static_cast<size_t>(w) + static_cast<size_t>(n.x());
                    if (!seen[i] && is(n.x(), n.y())) {
                        seen[i] = true;
                        stack.push_back(n);
                    }
                }
            }
            if (region.pixels > best.pixels) {
                region.bounds = QRect(QPoint(left, top), QPoint(right, bottom));
                best = region;
            }
        }
    }
    return best;
}

int countOf(const QImage& image, const QRect& area, QRgb color)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += (image.pixel(x, y) | 0xFF000000u) == (color | 0xFF000000u) ? 1 : 0;
    return n;
}

QString run(const QString& program, const QStringList& arguments, int timeoutMs = 10000)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// What scheme 1 (white on black) must look like: the two panes and the black bar between them make one black
// area far bigger than anything else black in the window (the clocks, the gaps between memory buttons), and it
// carries white text.
constexpr int MinPaneArea = 60000;
constexpr int MinWhiteTextPixels = 200;

} // namespace

class TestScreenEndToEnd : public QObject
{
    Q_OBJECT
private:
    QString m_xdotool;
    QString m_program;
    QProcess m_corvane;

    QString xdotool(const QStringList& arguments, int timeoutMs = 10000) const
    {
        return run(m_xdotool, arguments, timeoutMs);
    }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server: run through tests/util/run-on-x.sh");
        m_xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
        QVERIFY2(!m_xdotool.isEmpty(), "xdotool is not installed (scripts/setup.sh installs it)");
        m_program = qEnvironmentVariable("CORVANE_PROGRAM");
        QVERIFY2(QFile::exists(m_program), "CORVANE_PROGRAM does not name the program");
        QVERIFY2(QFile::exists(StandIn::path()), "CORVANE_STANDIN does not name the stand-in");
    }

    // Whatever happened, the stand-in that Corvane started ends with the test, and Corvane with it.
    void cleanupTestCase()
    {
        if (m_corvane.state() == QProcess::NotRunning)
            return;
        StandIn::send(QStringLiteral("close"));
        if (!m_corvane.waitForFinished(10000)) {
            m_corvane.kill();
            m_corvane.waitForFinished();
        }
    }

    // Settings that change no option box and choose scheme 1; a callsign typed the moment the window shows
    // connects; the panes show white text on black on the screen; the transmit bar leaves the window's width
    // alone; EchoLink closing ends Corvane.
    void typedAtOnceConnectsAndSchemeOneShowsOnTheScreen()
    {
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QVERIFY(QDir().mkpath(documents + QStringLiteral("/EchoLink")));
        QFile settings(documents + QStringLiteral("/EchoLink/Corvane.ini"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[Corvane]\r\nKeyboardSpeak=FALSE\r\nNotBringToFront=TRUE\r\nColorSetNumber=1\r\n");
        settings.close();

        QTemporaryDir logs;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM")); // the program finds the X server by itself
        env.insert(QStringLiteral("ECHOLINK_STANDIN_DEMO"), QStringLiteral("0"));
        env.insert(QStringLiteral("ECHOLINK_STANDIN_ONLY"), QStringLiteral("1"));
        env.insert(QStringLiteral("CORVANE_SPEECH_TRANSCRIPT"), logs.filePath(QStringLiteral("transcript.txt")));
        env.insert(QStringLiteral("CORVANE_SOUND_LOG"), logs.filePath(QStringLiteral("sounds.txt")));
        env.insert(QStringLiteral("CORVANE_POWER_OFF_LOG"), logs.filePath(QStringLiteral("power.txt")));
        m_corvane.setProcessEnvironment(env);
        m_corvane.setProcessChannelMode(QProcess::ForwardedChannels);
        QElapsedTimer clock;
        clock.start();
        m_corvane.start(m_program, {});
        QVERIFY(m_corvane.waitForStarted());

        // The window shows once the start-up has found EchoLink, about seven seconds after the start.
        const QString window
            = xdotool({ QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                        QStringLiteral("--name"), QStringLiteral("^Corvane - ") },
                      30000)
                  .section(QLatin1Char('\n'), 0, 0);
        QVERIFY2(!window.isEmpty(), "no Corvane window within 30 seconds");
        const qint64 shown = clock.elapsed();
        // As a desktop does with a new window: it takes the keyboard. Then the callsign at once.
        xdotool({ QStringLiteral("windowfocus"), QStringLiteral("--sync"), window });
        xdotool({ QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), QStringLiteral("q1ab") });
        xdotool({ QStringLiteral("key"), QStringLiteral("Return") });
        const qint64 typed = clock.elapsed();

        QTRY_VERIFY_WITH_TIMEOUT(StandIn::send(QStringLiteral("calls")).contains(QStringLiteral("Connect1 Q1AB true")),
                                 10000);
        const qint64 connected = clock.elapsed();

        // The start-up timer applies the scheme four seconds after the window showed.
        QImage screen;
        Region panes;
        int white = 0;
        auto schemeOneShows = [&] {
            screen = QGuiApplication::primaryScreen()
                         ->grabWindow(window.toULongLong())
                         .toImage()
                         .convertToFormat(QImage::Format_RGB32);
            if (screen.isNull())
                return false;
            panes = largestRegionOf(screen, qRgb(0, 0, 0));
            white = countOf(screen, panes.bounds, qRgb(255, 255, 255));
            return panes.pixels >= MinPaneArea && white >= MinWhiteTextPixels;
        };
        QTRY_VERIFY_WITH_TIMEOUT(schemeOneShows(), 15000);
        qInfo("window shown %lld ms after the start; callsign typed %lld ms after that; Connect1 seen %lld ms "
              "after the start; scheme 1 on the screen %lld ms after the start",
              shown, typed - shown, connected, clock.elapsed());
        qInfo("screen grab %dx%d: black pane area %d pixels in %dx%d at (%d,%d), %d white text pixels in it",
              screen.width(), screen.height(), panes.pixels, panes.bounds.width(), panes.bounds.height(),
              panes.bounds.x(), panes.bounds.y(), white);
        // The area is the panes': it spans most of the window's width, below the clocks.
        QVERIFY2(panes.bounds.width() >= screen.width() / 2, qPrintable(QString::number(panes.bounds.width())));
        QVERIFY(panes.bounds.top() >= 78);

        // Space on Tx/Rx, which has the keys since the connect, keys the transmitter: the transmit bar shows
        // and the window keeps its width.
        const QSize before = screen.size();
        xdotool({ QStringLiteral("key"), QStringLiteral("space") });
        QTRY_VERIFY_WITH_TIMEOUT(StandIn::send(QStringLiteral("calls")).contains(QStringLiteral("Transmit true")),
                                 10000);
        QTest::qWait(500);
        const QSize keyed = QGuiApplication::primaryScreen()->grabWindow(window.toULongLong()).size();
        qInfo("window %dx%d before keying, %dx%d with the transmit bar", before.width(), before.height(), keyed.width(),
              keyed.height());
        QCOMPARE(keyed, before);
        xdotool({ QStringLiteral("key"), QStringLiteral("space") });
        QTRY_VERIFY_WITH_TIMEOUT(StandIn::send(QStringLiteral("calls")).contains(QStringLiteral("Transmit false")),
                                 10000);

        // EchoLink closing takes Corvane with it.
        StandIn::send(QStringLiteral("close"));
        QVERIFY2(m_corvane.waitForFinished(20000), "Corvane did not end when EchoLink closed");
        QCOMPARE(m_corvane.exitStatus(), QProcess::NormalExit);
    }
};

QTEST_MAIN(TestScreenEndToEnd)
#include "TestScreenEndToEnd.moc"
