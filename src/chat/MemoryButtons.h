#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class Announcer;
class OptionBoxes;

// What the memory buttons need of the window.
class MemoryButtonsView
{
public:
    virtual ~MemoryButtonsView() = default;
    // Shows caption on button n (1 to 40) literally, and names the button after it for screen readers.
    virtual void showMemoryCaption(int button, const QString& caption) = 0;
};

struct MemoryButtonsParts
{
    Announcer& announcer;
    OptionBoxes& options;
    // DoConnect of connection control: connects to a callsign or node number and reports a refusal itself.
    std::function<void(const QString&)> doConnect;
    MemoryButtonsView& view;
};

// The forty memory buttons bCall1 to bCall40: each holds one callsign (or node number) exactly as stored,
// connects to it when activated and announces it when it takes the focus.
class MemoryPanel
{
public:
    explicit MemoryPanel(const MemoryButtonsParts& parts);

    // The caption of button n (1 to 40) as stored; empty for a number outside 1 to 40.
    QString caption(int button) const;
    // Every caption, button 1 first.
    const QStringList& captions() const { return m_captions; }
    // Gives button n a caption without saying anything (settings load). A line break becomes a blank.
    void setCaption(int button, const QString& caption);

    void bCallClick(int button);
    void bCallEnter(int button);
    // The key-down of every memory button: the key that goes on, 0 for none. Space never activates a button.
    static int bCall1KeyDown(int key);
    // Stores a callsign in button n and confirms it aloud; a number outside 1 to 40 stores nothing.
    void StoreCallButton(int button, const QString& callsign);

private:
    static bool inRange(int button);

    MemoryButtonsParts m_parts;
    QStringList m_captions;
};
