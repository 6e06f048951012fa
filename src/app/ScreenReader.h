#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;
class QProgressBar;
class QSlider;

// What a screen reader can read of the window beyond the fixed names of the control table.
namespace ScreenReader {

// A label whose text changes keeps a fixed name of its own and is read as "<name>: <text>" (the name alone
// while it is empty). The label's own accessible name stays empty, so that every change of its text is
// reported to the screen reader as a change of name. Call before the label is given any text.
void readTextOf(QLabel* label, const QString& fixedName);
bool readsText(const QWidget* widget);
// Sets the label's text and tells the screen reader that what it reads there has changed. Every writer of a
// changing label goes through here: Qt itself reports nothing for a label that has a name of its own.
void showText(QLabel* label, const QString& text);
// What the screen reader hears for such a label now.
QString spokenName(const QLabel* label);

// The volume bar runs from -100 at the top to 0 (up is louder); a screen reader is given the volume that
// Corvane itself says, 0 to 100, and may set it in the same terms.
void readAsVolume(QSlider* slider);
// The transmit time bar is read as text, "Transmit time: NN seconds left" (its value the seconds left),
// never as a progress bar: a screen reader announces a progress bar's every change aloud, taking the
// speech from the station.
void readAsTimeLeft(QProgressBar* bar, int msPerStep);
QString timeLeftText(int steps, int msPerStep);

} // namespace ScreenReader

// A frame around whichever control of the window has the keyboard focus: 4 pixels, magenta outside and
// white inside, so it shows on every colour scheme and on the window's state colours.
class FocusOutline : public QWidget
{
    Q_OBJECT
public:
    static constexpr int Width = 4;
    explicit FocusOutline(QWidget* window);

    // The control framed now, or nullptr.
    QWidget* target() const { return m_target; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow(QWidget* focused);
    void place();

    QPointer<QWidget> m_target;
};
