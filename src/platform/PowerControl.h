#pragma once

#include <QString>
#include <memory>

// Switching the computer off, behind a seam: tests and every check use the hook or a fake, and only
// the running program ever asks the system.
class PowerControl
{
public:
    virtual ~PowerControl() = default;

    // Asks for the computer to be switched off or restarted according to mode, the old shut-down flags
    // (ForcedPowerOff is the one Corvane sends). True when the request was accepted; a refused request
    // changes nothing.
    virtual bool powerOff(int mode) = 0;
};

namespace PowerModes {
constexpr int LogOff = 0;
constexpr int ShutDown = 1;
constexpr int Reboot = 2;
constexpr int Force = 4;
constexpr int PowerOff = 8;
// Switch off, and let running programs close without asking them.
constexpr int ForcedPowerOff = PowerOff | Force;
} // namespace PowerModes

// What the system is asked for: a mode that neither shuts down, powers off nor restarts (a log-off)
// asks for nothing and is refused.
enum class PowerAction
{
    None,
    PowerOff,
    Reboot
};
PowerAction powerActionForMode(int mode);

// The desktop's login manager over the system bus, without asking the operator to authorise
// (logind refuses when the system's policy does not allow it, or while a program blocks it).
class LogindPowerControl : public PowerControl
{
public:
    bool powerOff(int mode) override;
};

// Test hook: every request appends one line, the decimal mode, to a file and switches nothing off.
// The file is opened for each line and closed again, flushed, so a test may read it at any moment.
class PowerOffLog : public PowerControl
{
public:
    explicit PowerOffLog(QString path);
    bool powerOff(int mode) override;

    const QString& path() const { return m_path; }

private:
    QString m_path;
};

// The hook when CORVANE_POWER_OFF_LOG names a file, else the login manager.
std::unique_ptr<PowerControl> createPowerControl();
