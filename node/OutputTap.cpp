#include "OutputTap.h"

#include <AsyncFdWatch.h>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr std::size_t MaxLineChars = 4096;
}

OutputTap::OutputTap(int fd, Listener listener)
    : fd_(fd)
    , listener_(std::move(listener))
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return;
    std::fflush(nullptr);
    original_ = ::dup(fd_);
    readEnd_ = ends[0];
    // Output that comes faster than the loop reads is dropped rather than stopping the node.
    ::fcntl(ends[0], F_SETFL, O_NONBLOCK);
    ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
    ::dup2(ends[1], fd_);
    ::close(ends[1]);
    watch_ = std::make_unique<Async::FdWatch>(readEnd_, Async::FdWatch::FD_WATCH_RD);
    watch_->activity.connect([this](Async::FdWatch*) { drain(); });
}

OutputTap::~OutputTap()
{
    if (original_ < 0)
        return;
    std::fflush(nullptr);
    ::dup2(original_, fd_);
    drain();
    watch_.reset();
    ::close(readEnd_);
    ::close(original_);
}

void OutputTap::drain()
{
    char buffer[4096];
    for (ssize_t got; (got = ::read(readEnd_, buffer, sizeof(buffer))) > 0;) {
        if (::write(original_, buffer, static_cast<std::size_t>(got)) < 0) {
            // nowhere to pass it on to; the listener still hears it
        }
        for (ssize_t i = 0; i < got; ++i) {
            if (buffer[i] == '\n') {
                listener_(line_);
                line_.clear();
            } else if (line_.size() < MaxLineChars) {
                line_ += buffer[i];
            }
        }
    }
}
