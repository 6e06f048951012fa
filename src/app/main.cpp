// Program entry: creates the window, runs the start-up and the message loop.
#include "app/MainForm.h"
#include "app/Settings.h"
#include "echolink/SocketSession.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/PowerControl.h"
#include "platform/ScreenReaderPresence.h"
#include "speech/Voice.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fprintf(stderr,
                     "corvane: no display is available.\n"
                     "Run it inside a desktop session, or under a virtual display:\n"
                     "    xvfb-run -a corvane\n");
        return 2;
    }
    QApplication app(argc, argv);
    // Only the application name: a display name would be appended to the window title by the desktop.
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    // The desktop matches the window to the installed desktop entry (its icon and name) by this.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.corvane.Corvane"));

    DesktopPlatform platform;
    SocketSession session;
    const bool screenReader = ScreenReaderPresence::running();
    std::unique_ptr<Voice> voice = createDefaultVoice(screenReader);
    // CORVANE_POWER_OFF_LOG replaces the real power-off with a line in that file.
    std::unique_ptr<PowerControl> power = createPowerControl();
    MainFormServices services { &session, voice.get(), &SystemClock::instance(), &platform, power.get(),
                                {},       screenReader };

    TmainForm mainForm(services);
    // A start-up that fails (EchoLink not answering) is reported in the window, which still shows.
    mainForm.guarded([&] { mainForm.startUp().FormCreate(); });
    mainForm.show();
    // Without an EchoLink account the set-up is offered once the start-up has said its piece (its timer runs 4 s).
    QTimer::singleShot(4500, &mainForm, [&mainForm] { mainForm.guarded([&] { mainForm.offerAccountSetup(); }); });
    const int result = app.exec();
    // The settings store writes its copy once more at program end, as it always has.
    mainForm.settings().store().save();
    return result;
}
