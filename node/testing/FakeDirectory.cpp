// fake-echolink-directory: an EchoLink directory server for the node tests, on loopback only.
// One TCP connection per command, as the real servers take them:
//   login  "l" CALL "\xac\xac" PASSWORD "\r" STATUS "\r" DESCRIPTION "\r"   ->  "OK" (or the refusal)
//          STATUS is ONLINE<version>(HH:MM), BUSY<version>(HH:MM) or OFF-V<version>
//   list   "s"  ->  "@@@\n" COUNT "\n" then CALL, DATA ("Desc [ON HH:MM]"), ID, IP, one a line, then "+++"
// A station's address is the peer address of its login connection; the list goes to logged-in stations only.
// --port 0 takes a free port and says which ("listening on 127.0.0.1 port N").
//
// --hostile MODE makes it misbehave, for the tests of the node and its directory client:
//   endless            the list never ends: one description line keeps coming until the client hangs up
//   stall              the list stops after its first line and the connection stays open
//   stall-login        a login is never answered and the connection stays open
//   huge               the list announces a million records and sends them
//   long-descriptions  extra records with descriptions of 60 and of 5,000 bytes
//   malformed          extra records with broken node numbers, callsigns and lines
//   bad-addresses      extra records at 255.255.255.255, 0.0.0.0, 224.0.0.1 and at things that are no address
//   wrong-password     every login is refused with "INCORRECT PASSWORD"
// The real stations stay listed in every mode that sends a list, so a client can still find them.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHash>
#include <QHostAddress>
#include <QMap>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTime>
#include <QTimer>
#include <cstdio>

namespace {

struct Station
{
    QString call;
    QString status; // ON or BUSY
    QString description;
    QString address;
    int id = 0;
    QString since;
    bool listedOnly = false; // listed by the test, never logged in
};

class FakeDirectory : public QObject
{
public:
    FakeDirectory(QHash<QString, QString> accounts, QString hostile, bool verbose)
        : accounts_(std::move(accounts))
        , hostile_(std::move(hostile))
        , verbose_(verbose)
    {
        connect(&server_, &QTcpServer::newConnection, this, &FakeDirectory::accept);
    }

    bool listen(const QHostAddress& address, quint16 port) { return server_.listen(address, port); }
    QString errorString() const { return server_.errorString(); }
    quint16 port() const { return server_.serverPort(); }

    static bool knownMode(const QString& mode)
    {
        static const QStringList modes { QStringLiteral("endless"),           QStringLiteral("stall"),
                                         QStringLiteral("stall-login"),       QStringLiteral("huge"),
                                         QStringLiteral("long-descriptions"), QStringLiteral("malformed"),
                                         QStringLiteral("bad-addresses"),     QStringLiteral("wrong-password") };
        return mode.isEmpty() || modes.contains(mode);
    }

    // A station that is listed without ever logging in (one that will not answer, for instance).
    void addListed(const QString& call, const QString& address, const QString& status,
                   const QString& description = QStringLiteral("Listed"))
    {
        stations_.insert(call, { call, status, description, address, nextId_++, now(), true });
    }

private:
    static QString now() { return QTime::currentTime().toString(QStringLiteral("HH:mm")); }

    void note(const QString& text)
    {
        if (verbose_)
            std::fprintf(stderr, "fake directory: %s\n", text.toLocal8Bit().constData());
    }

    void accept()
    {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { take(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    void take(QTcpSocket* socket)
    {
        QByteArray& buffer = pending_[socket];
        buffer += socket->readAll();
        if (buffer.size() > 4096) {
            finish(socket);
            return;
        }
        if (buffer.startsWith('s')) {
            list(socket);
        } else if (buffer.startsWith('l')) {
            if (buffer.count('\r') >= 3)
                login(socket, buffer);
        } else if (!buffer.isEmpty()) {
            finish(socket);
        }
    }

    void finish(QTcpSocket* socket)
    {
        pending_.remove(socket);
        socket->disconnectFromHost();
    }

    void login(QTcpSocket* socket, const QByteArray& command)
    {
        const QList<QByteArray> fields = command.mid(1).split('\r');
        const qsizetype mark = fields.at(0).indexOf("\xac\xac");
        const QString call = QString::fromLatin1(fields.at(0).left(mark)).toUpper();
        const QString password = QString::fromLatin1(fields.at(0).mid(mark + 2));
        const QByteArray status = fields.at(1);
        const QString address = QHostAddress(socket->peerAddress().toIPv4Address()).toString();
        if (hostile_ == QLatin1String("stall-login")) {
            note(QStringLiteral("login of %1 left unanswered").arg(call));
            return; // the connection stays open, silent
        }
        if (mark < 0 || hostile_ == QLatin1String("wrong-password")
            || (!accounts_.isEmpty() && accounts_.value(call) != password)) {
            note(QStringLiteral("refused %1 from %2").arg(call, address));
            socket->write("INCORRECT PASSWORD\r");
            finish(socket);
            return;
        }
        if (status.startsWith("OFF")) {
            stations_.remove(call);
        } else {
            Station& station = stations_[call];
            if (station.id == 0)
                station.id = nextId_++;
            station.call = call;
            station.status = status.startsWith("BUSY") ? QStringLiteral("BUSY") : QStringLiteral("ON");
            station.description = QString::fromLatin1(fields.at(2)).left(27);
            station.address = address;
            station.since = now();
            station.listedOnly = false;
        }
        note(QStringLiteral("login %1 %2 from %3").arg(call, QString::fromLatin1(status), address));
        socket->write("OK2.6\r");
        finish(socket);
    }

    bool loggedIn(const QString& address) const
    {
        for (const Station& station : stations_) {
            if (station.address == address && !station.listedOnly)
                return true;
        }
        return false;
    }

    void list(QTcpSocket* socket)
    {
        const QString address = QHostAddress(socket->peerAddress().toIPv4Address()).toString();
        if (!loggedIn(address)) {
            note(QStringLiteral("list refused to %1").arg(address));
            finish(socket);
            return;
        }
        pending_.remove(socket);
        QByteArray records = " \nWelcome to the test directory\n0\n0.0.0.0\n";
        int count = 1;
        for (const Station& station : stations_) {
            const QString data = QStringLiteral("%1 [%2 %3]").arg(station.description, station.status, station.since);
            records += record(station.call.toLatin1(), data.toLatin1(), QByteArray::number(station.id),
                              station.address.toLatin1());
            ++count;
        }
        count += hostileRecords(records);
        note(QStringLiteral("list of %1 to %2").arg(stations_.size()).arg(address));
        if (hostile_ == QLatin1String("stall")) {
            socket->write("@@@\n" + QByteArray::number(count) + "\n");
            return; // and nothing more
        }
        if (hostile_ == QLatin1String("endless") || hostile_ == QLatin1String("huge")) {
            const bool huge = hostile_ == QLatin1String("huge");
            socket->write("@@@\n" + QByteArray::number(huge ? 1000000 : count + 1) + "\n" + records
                          + (huge ? "" : "Q9ENDLESS\n"));
            flood(socket, huge);
            return;
        }
        socket->write("@@@\n" + QByteArray::number(count) + "\n" + records + "+++");
        finish(socket);
    }

    static QByteArray record(const QByteArray& call, const QByteArray& data, const QByteArray& id,
                             const QByteArray& address)
    {
        return call + '\n' + data + '\n' + id + '\n' + address + '\n';
    }

    // Records a hostile mode adds to the list; returns how many.
    int hostileRecords(QByteArray& records) const
    {
        QList<QByteArray> extra;
        if (hostile_ == QLatin1String("long-descriptions")) {
            extra << record("Q9LONG", QByteArray(60, 'd') + " [ON 12:00]", "900001", "127.0.0.9")
                  << record("Q9HUGE", QByteArray(5000, 'd') + " [ON 12:00]", "900002", "127.0.0.9");
        } else if (hostile_ == QLatin1String("malformed")) {
            extra << record("Q9NUM", "No number [ON 12:00]", "12x4", "127.0.0.9")
                  << record("Q9 SPACE", "A space [ON 12:00]", "900003", "127.0.0.9")
                  << record("Q9ZERO", "Node zero [ON 12:00]", "0", "127.0.0.9")
                  << record("Q9\x01CTL", "Control [ON 12:00]", "900004", "127.0.0.9")
                  << record("Q9NOSTATUS", "No status at all", "900005", "127.0.0.9")
                  << record("Q9TEXT\x02", "\x1b[31mRed\x07 [ON 12:00]", "900006", "127.0.0.9");
        } else if (hostile_ == QLatin1String("bad-addresses")) {
            extra << record("Q9BCAST", "Broadcast [ON 12:00]", "900011", "255.255.255.255")
                  << record("Q9ANY", "Any [ON 12:00]", "900012", "0.0.0.0")
                  << record("Q9MCAST", "Multicast [ON 12:00]", "900013", "224.0.0.1")
                  << record("Q9NAME", "Name [ON 12:00]", "900014", "not.an.address")
                  << record("Q9SHORT", "Short [ON 12:00]", "900015", "1.2.3")
                  << record("Q9BIG", "Big [ON 12:00]", "900016", "300.1.1.1");
        }
        for (const QByteArray& one : extra)
            records += one;
        return static_cast<int>(extra.size());
    }

    // Keeps writing records while the client reads, until it hangs up.
    void flood(QTcpSocket* socket, bool huge)
    {
        auto* timer = new QTimer(socket);
        int next = 1;
        connect(timer, &QTimer::timeout, socket, [socket, huge, next]() mutable {
            if (socket->state() != QAbstractSocket::ConnectedState)
                return;
            QByteArray chunk;
            while (!huge && socket->bytesToWrite() + chunk.size() < 256 * 1024)
                chunk += QByteArray(16 * 1024, 'e');
            while (huge && socket->bytesToWrite() + chunk.size() < 256 * 1024) {
                const QByteArray call = "Q" + QByteArray::number(next % 10) + "F" + QByteArray::number(next);
                chunk += record(call, "Flood [ON 12:00]", QByteArray::number(200000 + next % 700000), "127.0.0.9");
                ++next;
            }
            socket->write(chunk);
        });
        timer->start(1);
    }

    QTcpServer server_;
    QHash<QString, QString> accounts_;
    QString hostile_;
    QMap<QString, Station> stations_;
    QHash<QTcpSocket*, QByteArray> pending_;
    int nextId_ = 100001;
    bool verbose_;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("A fake EchoLink directory server for tests (loopback only)."));
    options.addHelpOption();
    const QCommandLineOption address(QStringLiteral("address"), QStringLiteral("Address to listen on."),
                                     QStringLiteral("ip"), QStringLiteral("127.0.0.3"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port to listen on."), QStringLiteral("port"),
                                  QStringLiteral("5200"));
    const QCommandLineOption account(QStringLiteral("account"),
                                     QStringLiteral("CALL=PASSWORD that may log in (without any, all may)."),
                                     QStringLiteral("account"));
    const QCommandLineOption listed(QStringLiteral("listed"),
                                    QStringLiteral("CALL,IP,ON|BUSY[,DESCRIPTION]: a station listed without logging in."),
                                    QStringLiteral("station"));
    const QCommandLineOption verbose(QStringLiteral("verbose"), QStringLiteral("Log every command to stderr."));
    const QCommandLineOption hostile(QStringLiteral("hostile"),
                                     QStringLiteral("Misbehave: endless, stall, stall-login, huge, "
                                                    "long-descriptions, malformed, bad-addresses, wrong-password."),
                                     QStringLiteral("mode"));
    options.addOptions({ address, port, account, listed, verbose, hostile });
    options.process(app);
    if (!FakeDirectory::knownMode(options.value(hostile))) {
        std::fprintf(stderr, "fake directory: unknown hostile mode\n");
        return 2;
    }

    const QHostAddress host(options.value(address));
    if (!host.isLoopback()) {
        std::fprintf(stderr, "fake directory: listens on loopback addresses only\n");
        return 2;
    }
    QHash<QString, QString> accounts;
    for (const QString& entry : options.values(account))
        accounts.insert(entry.section(QLatin1Char('='), 0, 0).toUpper(), entry.section(QLatin1Char('='), 1));
    FakeDirectory directory(accounts, options.value(hostile), options.isSet(verbose));
    for (const QString& entry : options.values(listed)) {
        const QStringList parts = entry.split(QLatin1Char(','));
        if (parts.size() == 3)
            directory.addListed(parts.at(0).toUpper(), parts.at(1), parts.at(2).toUpper());
        else if (parts.size() > 3)
            directory.addListed(parts.at(0).toUpper(), parts.at(1), parts.at(2).toUpper(),
                                entry.section(QLatin1Char(','), 3).left(27));
    }
    if (!directory.listen(host, static_cast<quint16>(options.value(port).toUInt()))) {
        std::fprintf(stderr, "fake directory: %s\n", directory.errorString().toLocal8Bit().constData());
        return 1;
    }
    std::fprintf(stderr, "fake directory: listening on %s port %u\n", host.toString().toLatin1().constData(),
                 static_cast<unsigned>(directory.port()));
    return QCoreApplication::exec();
}
