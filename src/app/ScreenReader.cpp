#include "app/ScreenReader.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QSlider>
#include <QTextDocumentFragment>
#include <algorithm>

namespace {

constexpr char FixedNameProperty[] = "corvaneFixedAccessibleName";
constexpr char VolumeProperty[] = "corvaneReadAsVolume";
constexpr char TimeLeftProperty[] = "corvaneReadAsTimeLeftMsPerStep";

class VolumeAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit VolumeAccessible(QSlider* slider)
        : QAccessibleWidget(slider, QAccessible::Slider)
    {
    }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QVariant currentValue() const override { return -slider()->value(); }
    void setCurrentValue(const QVariant& value) override { slider()->setValue(-value.toInt()); }
    QVariant maximumValue() const override { return -slider()->minimum(); }
    QVariant minimumValue() const override { return -slider()->maximum(); }
    QVariant minimumStepSize() const override { return slider()->singleStep(); }

private:
    QSlider* slider() const { return static_cast<QSlider*>(widget()); }
};

// Read as text, never as a progress bar (which a screen reader announces at every change). Its value is
// the seconds left: the bar's changes then reach the accessibility bus as changes of a value, which a
// screen reader says only of the control that has the focus, and this one never takes it.
class TimeLeftAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit TimeLeftAccessible(QProgressBar* bar)
        : QAccessibleWidget(bar, QAccessible::StaticText)
    {
    }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name)
            return QAccessibleWidget::text(t);
        return ScreenReader::timeLeftText(bar()->value(), msPerStep());
    }

    QVariant currentValue() const override { return seconds(bar()->value()); }
    void setCurrentValue(const QVariant&) override { } // the time runs by itself
    QVariant maximumValue() const override { return seconds(bar()->maximum()); }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return seconds(1); }

private:
    const QProgressBar* bar() const { return static_cast<const QProgressBar*>(widget()); }
    int msPerStep() const { return bar()->property(TimeLeftProperty).toInt(); }
    int seconds(int steps) const
    {
        return static_cast<int>(static_cast<qint64>(std::max(steps, 0)) * msPerStep() / 1000);
    }
};

QAccessibleInterface* volumeAndTimeFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("QSlider") && object->property(VolumeProperty).isValid())
        return new VolumeAccessible(static_cast<QSlider*>(object));
    if (className == QLatin1String("QProgressBar") && object->property(TimeLeftProperty).isValid())
        return new TimeLeftAccessible(static_cast<QProgressBar*>(object));
    return nullptr;
}

void installVolumeAndTimeFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(volumeAndTimeFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

class TextLabelAccessible : public QAccessibleWidget
{
public:
    explicit TextLabelAccessible(QLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return ScreenReader::spokenName(static_cast<const QLabel*>(widget()));
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* textLabelFactory(const QString& className, QObject* object)
{
    if (className != QLatin1String("QLabel"))
        return nullptr;
    auto* label = qobject_cast<QLabel*>(object);
    if (!label || !ScreenReader::readsText(label))
        return nullptr;
    return new TextLabelAccessible(label);
}

QString plainText(const QLabel* label)
{
    const bool rich = label->textFormat() == Qt::RichText
        || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
    const QString text = rich ? QTextDocumentFragment::fromHtml(label->text()).toPlainText() : label->text();
    return text.simplified();
}

} // namespace

namespace ScreenReader {

void readTextOf(QLabel* label, const QString& fixedName)
{
    static const bool installed = [] {
        QAccessible::installFactory(textLabelFactory);
        return true;
    }();
    Q_UNUSED(installed);
    label->setProperty(FixedNameProperty, fixedName);
    label->setAccessibleName(QString());
}

bool readsText(const QWidget* widget)
{
    return widget->property(FixedNameProperty).isValid();
}

void showText(QLabel* label, const QString& text)
{
    if (label->text() == text)
        return;
    label->setText(text);
    QAccessibleEvent changed(label, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

QString spokenName(const QLabel* label)
{
    const QString name = label->property(FixedNameProperty).toString();
    const QString text = plainText(label);
    return text.isEmpty() ? name : name + QStringLiteral(": ") + text;
}

void readAsVolume(QSlider* slider)
{
    installVolumeAndTimeFactory();
    slider->setProperty(VolumeProperty, true);
}

void readAsTimeLeft(QProgressBar* bar, int msPerStep)
{
    installVolumeAndTimeFactory();
    bar->setProperty(TimeLeftProperty, msPerStep);
}

QString timeLeftText(int steps, int msPerStep)
{
    const qint64 seconds = static_cast<qint64>(std::max(steps, 0)) * msPerStep / 1000;
    return QStringLiteral("Transmit time: %1 seconds left").arg(seconds);
}

} // namespace ScreenReader

FocusOutline::FocusOutline(QWidget* window)
    : QWidget(window)
{
    setObjectName(QStringLiteral("FocusOutline"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { follow(now); });
    window->installEventFilter(this);
}

// The frame moves with the control and with every panel that holds it.
void FocusOutline::follow(QWidget* focused)
{
    for (QWidget* w = m_target; w && w != parentWidget(); w = w->parentWidget())
        w->removeEventFilter(this);
    m_target = focused && focused->window() == parentWidget() ? focused : nullptr;
    for (QWidget* w = m_target; w && w != parentWidget(); w = w->parentWidget())
        w->installEventFilter(this);
    place();
}

void FocusOutline::place()
{
    if (!m_target || !m_target->isVisible()) {
        hide();
        return;
    }
    const QPoint topLeft = m_target->mapTo(parentWidget(), QPoint(0, 0));
    setGeometry(QRect(topLeft, m_target->size()).adjusted(-Width, -Width, Width, Width));
    show();
    raise();
}

bool FocusOutline::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::LayoutRequest:
        place();
        break;
    default:
        break;
    }
    return false;
}

void FocusOutline::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect outer = rect();
    const int magenta = Width - 1;
    painter.fillRect(QRect(outer.left(), outer.top(), outer.width(), magenta), Qt::magenta);
    painter.fillRect(QRect(outer.left(), outer.bottom() - magenta + 1, outer.width(), magenta), Qt::magenta);
    painter.fillRect(QRect(outer.left(), outer.top(), magenta, outer.height()), Qt::magenta);
    painter.fillRect(QRect(outer.right() - magenta + 1, outer.top(), magenta, outer.height()), Qt::magenta);
    painter.setPen(Qt::white);
    painter.drawRect(outer.adjusted(magenta, magenta, -magenta - 1, -magenta - 1));
}
