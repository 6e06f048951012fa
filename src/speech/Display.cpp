// Display settings: font sizes now; the colour schemes and the UTC note arrive with the display controls.
#include "app/MainForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTextBrowser>

namespace {
void setPointSize(QWidget* widget, int size)
{
    QFont font = widget->font();
    font.setPointSize(std::max(size, 1));
    widget->setFont(font);
}
} // namespace

void TmainForm::applyContentFontSize(bool includeAbsent)
{
    const int size = btnUpDown->value();
    setPointSize(redtChat, size);
    setPointSize(edtChat, size);
    setPointSize(redtStation, size);
    if (includeAbsent)
        setPointSize(edtAbsent, size);
    lblFontSize->setText(QString::number(size));
}

// Writes the UTC-offset note to the chat pane; filled in with the clocks.
void TmainForm::SetUTC_Clock_Time() { }

// Applies colour scheme ColorSetNumber; filled in with the colour schemes.
void TmainForm::ApplyColorScheme() { }
