#pragma once

#include <QByteArray>
#include <QString>

// The node's lines on standard error. Nobody may be reading them (a parent that never drains the pipe):
// the descriptor is made non-blocking, what cannot be written waits in a bounded buffer, and lines beyond
// it are counted and left out, so the node never stops for its log.
namespace NodeLog {

constexpr qsizetype MaxPendingBytes = 64 * 1024;

void line(const QString& text);
// For tests: what waits to be written.
qsizetype pendingBytes();

} // namespace NodeLog
