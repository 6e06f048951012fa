#pragma once

// SvxLink (Debian's svxlink-server) as a second EchoLink peer on loopback: at 127.0.0.4 as Q4SVX-L, logged
// in to the fake directory at 127.0.0.3, with its radio side on SvxLink's UDP audio device (two interleaved
// 16-bit channels at 16 kHz; the transmitter is the first) and its DTMF commands from a pseudo-terminal.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>

namespace NodeHarness {

class SvxLink
{
public:
    // Its radio side: what it transmits goes to TxPort, what it receives comes to RxPort.
    static constexpr quint16 RxPort = 10010;
    static constexpr quint16 TxPort = 10011;

    explicit SvxLink(const QString& folder)
        : folder_(folder)
    {
        QDir().mkpath(folder + QStringLiteral("/svxlink.d"));
        write(QStringLiteral("svxlink.conf"),
              QStringLiteral("[GLOBAL]\nLOGICS=SimplexLogic\nCFG_DIR=svxlink.d\nCARD_SAMPLE_RATE=16000\n\n"
                             "[SimplexLogic]\nTYPE=Simplex\nRX=Rx1\nTX=Tx1\nMODULES=ModuleEchoLink\nCALLSIGN=Q4SVX\n"
                             "SHORT_IDENT_INTERVAL=0\nLONG_IDENT_INTERVAL=0\nEVENT_HANDLER=/usr/share/svxlink/events.tcl\n"
                             "DEFAULT_LANG=en_US\nRGR_SOUND_DELAY=-1\nDTMF_CTRL_PTY=%1\n\n"
                             "[Rx1]\nTYPE=Local\nAUDIO_DEV=udp:127.0.0.1:%2\nAUDIO_CHANNEL=0\nSQL_DET=VOX\n"
                             "SQL_START_DELAY=0\nSQL_DELAY=0\nSQL_HANGTIME=200\nVOX_FILTER_DEPTH=20\nVOX_THRESH=1000\n"
                             "DTMF_DEC_TYPE=INTERNAL\nPEAK_METER=0\nDEEMPHASIS=0\n\n"
                             "[Tx1]\nTYPE=Local\nAUDIO_DEV=udp:127.0.0.1:%3\nAUDIO_CHANNEL=0\nPTT_TYPE=NONE\nTIMEOUT=300\n"
                             "TX_DELAY=0\nPREEMPHASIS=0\nDTMF_TONE_LENGTH=100\nDTMF_TONE_SPACING=50\n"
                             "DTMF_DIGIT_PWR=-15\n")
                  .arg(dtmfPath())
                  .arg(RxPort)
                  .arg(TxPort));
        write(QStringLiteral("svxlink.d/ModuleEchoLink.conf"),
              QStringLiteral("[ModuleEchoLink]\nNAME=EchoLink\nID=2\nTIMEOUT=0\nSERVERS=127.0.0.3\n"
                             "CALLSIGN=Q4SVX-L\nPASSWORD=svxpass\nSYSOPNAME=Sven Svensson\nLOCATION=Loopback\n"
                             "BIND_ADDR=127.0.0.4\nMAX_QSOS=10\nMAX_CONNECTIONS=11\nLINK_IDLE_TIMEOUT=0\n"
                             "DESCRIPTION=\"SvxLink test node\\n\"\n"));
        process_.setProgram(QStringLiteral(CORVANE_SVXLINK_PROGRAM));
        process_.setArguments({ QStringLiteral("--config=") + folder + QStringLiteral("/svxlink.conf") });
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start();
        QVERIFY(process_.waitForStarted());
        QVERIFY(waitFor("EchoLink directory status changed to ON", 8000));
    }
    ~SvxLink()
    {
        process_.terminate();
        if (!process_.waitForFinished(3000))
            process_.kill();
        process_.waitForFinished(1000);
    }

    qint64 processId() const { return process_.processId(); }
    QString dtmfPath() const { return folder_ + QStringLiteral("/dtmf_ctrl"); }

    // DTMF digits as if keyed on the radio side.
    void dtmf(const QByteArray& digits)
    {
        QFile pty(dtmfPath());
        QVERIFY(pty.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        pty.write(digits);
    }

    // Waits until SvxLink has written `text` (what it wrote so far stays readable in output()).
    bool waitFor(const QByteArray& text, int ms = 5000)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) {
            output_ += process_.readAll();
            if (output_.indexOf(text, seen_) >= 0) {
                seen_ = output_.indexOf(text, seen_) + text.size();
                return true;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            process_.waitForReadyRead(20);
        }
        return false;
    }
    QByteArray output()
    {
        output_ += process_.readAll();
        return output_;
    }

private:
    void write(const QString& name, const QString& text)
    {
        QFile file(folder_ + QLatin1Char('/') + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    }

    QString folder_;
    QProcess process_;
    QByteArray output_;
    qsizetype seen_ = 0;
};

} // namespace NodeHarness
