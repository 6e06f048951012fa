// fake-echolink-directory: an EchoLink directory server for the node tests, on loopback only.
// One TCP connection per command, as the real servers take them:
//   login  "l" CALL "\xac\xac" PASSWORD "\r" STATUS "\r" DESCRIPTION "\r"   ->  "OK" (or the refusal)
//          STATUS is ONLINE<version>(HH:MM), BUSY<version>(HH:MM) or OFF-V<version>
//   list   "s"  ->  "@@@\n" COUNT "\n" then CALL, DATA ("Desc [ON HH:MM]"), ID, IP, one a line, then "+++"
// A station's address is the peer address of its login connection; the list goes to logged-in stations only.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHash>
#include <QHostAddress>
#include <QMap>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTime>
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
};

class FakeDirectory : public QObject
{
public:
    FakeDirectory(QHash<QString, QString> accounts, bool verbose)
        : accounts_(std::move(accounts))
        , verbose_(verbose)
    {
        connect(&server_, &QTcpServer::newConnection, this, &FakeDirectory::accept);
    }

    bool listen(const QHostAddress& address, quint16 port) { return server_.listen(address, port); }
    QString errorString() const { return server_.errorString(); }

    // A station that is listed without ever logging in (one that will not answer, for instance).
    void addListed(const QString& call, const QString& address, const QString& status)
    {
        stations_.insert(call, { call, status, QStringLiteral("Listed"), address, nextId_++, now() });
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
        if (mark < 0 || (!accounts_.isEmpty() && accounts_.value(call) != password)) {
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
        }
        note(QStringLiteral("login %1 %2 from %3").arg(call, QString::fromLatin1(status), address));
        socket->write("OK2.6\r");
        finish(socket);
    }

    bool loggedIn(const QString& address) const
    {
        for (const Station& station : stations_) {
            if (station.address == address && station.description != QLatin1String("Listed"))
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
        QByteArray reply = "@@@\n" + QByteArray::number(stations_.size() + 1) + "\n";
        reply += " \nWelcome to the test directory\n0\n0.0.0.0\n";
        for (const Station& station : stations_) {
            const QString data = QStringLiteral("%1 [%2 %3]").arg(station.description, station.status, station.since);
            reply += station.call.toLatin1() + '\n' + data.toLatin1() + '\n' + QByteArray::number(station.id) + '\n'
                + station.address.toLatin1() + '\n';
        }
        reply += "+++";
        note(QStringLiteral("list of %1 to %2").arg(stations_.size()).arg(address));
        socket->write(reply);
        finish(socket);
    }

    QTcpServer server_;
    QHash<QString, QString> accounts_;
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
                                    QStringLiteral("CALL,IP,ON|BUSY: a station listed without logging in."),
                                    QStringLiteral("station"));
    const QCommandLineOption verbose(QStringLiteral("verbose"), QStringLiteral("Log every command to stderr."));
    options.addOptions({ address, port, account, listed, verbose });
    options.process(app);

    const QHostAddress host(options.value(address));
    if (!host.isLoopback()) {
        std::fprintf(stderr, "fake directory: listens on loopback addresses only\n");
        return 2;
    }
    QHash<QString, QString> accounts;
    for (const QString& entry : options.values(account))
        accounts.insert(entry.section(QLatin1Char('='), 0, 0).toUpper(), entry.section(QLatin1Char('='), 1));
    FakeDirectory directory(accounts, options.isSet(verbose));
    for (const QString& entry : options.values(listed)) {
        const QStringList parts = entry.split(QLatin1Char(','));
        if (parts.size() == 3)
            directory.addListed(parts.at(0).toUpper(), parts.at(1), parts.at(2).toUpper());
    }
    if (!directory.listen(host, static_cast<quint16>(options.value(port).toUInt()))) {
        std::fprintf(stderr, "fake directory: %s\n", directory.errorString().toLocal8Bit().constData());
        return 1;
    }
    std::fprintf(stderr, "fake directory: listening\n");
    return QCoreApplication::exec();
}
