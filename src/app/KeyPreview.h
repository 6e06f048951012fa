#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <Qt>

class QKeyEvent;
class QWidget;

// What the key preview hands on, for keys going to a control of one window.
class KeyPreviewTarget
{
public:
    virtual ~KeyPreviewTarget() = default;
    // While off, key-downs and key releases go straight to the controls; typed characters still reach
    // keyPress.
    virtual bool keyPreviewOn() const = 0;
    // The window's key map, before the control sees the key-down. True consumes the key.
    virtual bool previewKeyDown(QWidget* receiver, int qtKey, Qt::KeyboardModifiers modifiers) = 0;
    // One character the control is about to receive (a surrogate pair kept whole).
    virtual void keyPress(QWidget* receiver, const QString& character) = 0;
    // Every key release, before the control sees it.
    virtual void previewKeyUp(QWidget* receiver) = 0;
};

// Sees every key for the controls of one window before they do, as an event filter on the application.
// For a key-down the order is: the window's key map, then the control's own key-down unless the map
// consumed it, with the character it types handed to keyPress just before the control takes it, then at
// release the window's key-up. A consumed key still types its character into an edit line. Characters
// committed by an input method are handed on one by one before the control takes them.
class KeyPreview : public QObject
{
    Q_OBJECT
public:
    KeyPreview(QWidget& window, KeyPreviewTarget& target, QObject* parent = nullptr);
    ~KeyPreview() override;

    // The characters a text line receives from a key press: printable characters (a composed or dead-key
    // character included), Space, carriage return for Enter and the Backspace character; nothing for Tab,
    // Delete, arrows, function keys, control characters, or letters typed with Ctrl or with Alt alone.
    static QString textLineCharacters(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text);
    // A text split into characters, surrogate pairs whole, control characters dropped.
    static QStringList characters(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool keyDown(QWidget* receiver, QKeyEvent* event);
    bool keyUp(QWidget* receiver, QKeyEvent* event);
    bool inputMethod(QWidget* receiver, QEvent* event);
    void handOn(QWidget* receiver, const QString& typed);
    void deliver(QWidget* receiver, QEvent* event);

    QWidget& m_window;
    KeyPreviewTarget& m_target;
    bool m_delivering = false;
};
