#pragma once

#include <functional>
#include <memory>
#include <string>

namespace Async {
class FdWatch;
}

// The library reports some things only as text on standard error, partly through the C++ stream and
// partly through C stdio (a directory's refusal of the password among them). The tap puts a pipe in the
// place of the descriptor, passes every byte on to where it went before and hands each line to a listener,
// from the event loop.
class OutputTap
{
public:
    using Listener = std::function<void(const std::string& line)>;

    OutputTap(int fd, Listener listener);
    ~OutputTap();
    OutputTap(const OutputTap&) = delete;
    OutputTap& operator=(const OutputTap&) = delete;

private:
    void drain();

    int fd_;
    int original_ = -1;
    int readEnd_ = -1;
    Listener listener_;
    std::string line_;
    std::unique_ptr<Async::FdWatch> watch_;
};
