#include "app/KeyPreview.h"

#include <QApplication>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>

KeyPreview::KeyPreview(QWidget& window, KeyPreviewTarget& target, QObject* parent)
    : QObject(parent)
    , m_window(window)
    , m_target(target)
{
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

QStringList KeyPreview::characters(const QString& text)
{
    QStringList out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const QString one = text.mid(i, pair ? 2 : 1);
        if (pair)
            ++i;
        // Formatting marks (joiners, direction marks) are typed like letters.
        if (one.front().isPrint() || pair || one.front().category() == QChar::Other_Format)
            out << one;
    }
    return out;
}

QString KeyPreview::textLineCharacters(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text)
{
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool alt = modifiers.testFlag(Qt::AltModifier);
    if (qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter)
        return ctrl || alt ? QString() : QStringLiteral("\r");
    if (qtKey == Qt::Key_Backspace)
        return ctrl || alt ? QString() : QStringLiteral("\b");
    // Ctrl+Alt is how some keyboards give AltGr, which types characters; Ctrl or Alt alone do not.
    if (ctrl != alt)
        return {};
    return characters(text).join(QString());
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (m_delivering || !watched->isWidgetType())
        return false;
    auto* receiver = static_cast<QWidget*>(watched);
    if (receiver->window() != &m_window)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        return keyDown(receiver, static_cast<QKeyEvent*>(event));
    case QEvent::KeyRelease:
        return keyUp(receiver, static_cast<QKeyEvent*>(event));
    case QEvent::InputMethod:
        return inputMethod(receiver, event);
    default:
        return false;
    }
}

// The event goes on to the control (and from there up to its parents, as Qt propagates keys) while this
// filter stands aside; the original delivery then ends here, so the map runs once per key.
void KeyPreview::deliver(QWidget* receiver, QEvent* event)
{
    m_delivering = true;
    QApplication::instance()->notify(receiver, event);
    m_delivering = false;
    event->accept();
}

void KeyPreview::handOn(QWidget* receiver, const QString& typed)
{
    if (typed == u"\r" || typed == u"\b") {
        m_target.keyPress(receiver, typed);
        return;
    }
    QPointer<QWidget> alive(receiver);
    for (const QString& one : characters(typed)) {
        if (alive)
            m_target.keyPress(receiver, one);
    }
}

bool KeyPreview::keyDown(QWidget* receiver, QKeyEvent* event)
{
    QPointer<QWidget> alive(receiver);
    bool consumed = false;
    // The keyboard state as it is now, as the key map reads it, not as the event remembers it.
    if (m_target.keyPreviewOn())
        consumed = m_target.previewKeyDown(receiver, event->key(), QGuiApplication::queryKeyboardModifiers());
    const QString typed = textLineCharacters(event->key(), event->modifiers(), event->text());
    if (alive && !typed.isEmpty())
        handOn(receiver, typed);
    if (!alive) {
        event->accept();
        return true;
    }
    if (!consumed) {
        deliver(receiver, event);
    } else if (!typed.isEmpty() && qobject_cast<QLineEdit*>(receiver)) {
        // The key-down stays with the map; the character it types still reaches the line.
        QKeyEvent character(QEvent::KeyPress, Qt::Key_unknown, event->modifiers() & Qt::ShiftModifier, typed);
        deliver(receiver, &character);
    }
    event->accept();
    return true;
}

// A held key repeats only its key-down, as the keyboard's own repeat does.
bool KeyPreview::keyUp(QWidget* receiver, QKeyEvent* event)
{
    QPointer<QWidget> alive(receiver);
    if (m_target.keyPreviewOn() && !event->isAutoRepeat())
        m_target.previewKeyUp(receiver);
    if (alive)
        deliver(receiver, event);
    event->accept();
    return true;
}

bool KeyPreview::inputMethod(QWidget* receiver, QEvent* event)
{
    const QString committed = static_cast<QInputMethodEvent*>(event)->commitString();
    if (committed.isEmpty())
        return false;
    QPointer<QWidget> alive(receiver);
    handOn(receiver, committed);
    if (alive)
        deliver(receiver, event);
    return true;
}
