#include "AlarmWatch.h"

AlarmWatch::AlarmWatch(const QStringList& calls)
{
    for (const QString& call : calls) {
        const QString upper = call.trimmed().toUpper();
        if (!upper.isEmpty() && !calls_.contains(upper))
            calls_.append(upper);
    }
}

QList<AlarmWatch::Change> AlarmWatch::update(const QHash<QString, State>& listed, const QTime& now)
{
    QList<Change> changes;
    for (const QString& call : std::as_const(calls_)) {
        const State state = listed.value(call, State::Off);
        const bool changed = haveBaseline_ && last_.value(call, State::Off) != state;
        last_.insert(call, state);
        if (!changed)
            continue;
        changes.append({ call, state });
        append(QStringLiteral("%1 %2 %3\r\n").arg(now.toString(QStringLiteral("HH:mm")), call, stateWord(state)));
    }
    haveBaseline_ = true;
    return changes;
}

int AlarmWatch::statusCode(State state)
{
    switch (state) {
    case State::Off:
        return 0;
    case State::On:
        return 1;
    case State::Busy:
        return 2;
    }
    return 0;
}

QString AlarmWatch::stateWord(State state)
{
    switch (state) {
    case State::Off:
        return QStringLiteral("off");
    case State::On:
        return QStringLiteral("on");
    case State::Busy:
        return QStringLiteral("busy");
    }
    return QString();
}

void AlarmWatch::append(const QString& line)
{
    log_ += line;
    if (log_.size() <= MaxLogChars)
        return;
    qsizetype cut = log_.size() - MaxLogChars;
    const qsizetype lineEnd = log_.indexOf(QLatin1Char('\n'), cut);
    cut = lineEnd >= 0 ? lineEnd + 1 : cut;
    log_.remove(0, cut);
}
