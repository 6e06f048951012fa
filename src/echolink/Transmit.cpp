// Transmit control; the keying, the red window and the time bar build on these.
#include "app/MainForm.h"

void TmainForm::bTxRxClick() { }

void TmainForm::elEchoLinkSessionTX(bool) { }

void TmainForm::elEchoLinkSessionLinkStatusChange(bool) { }
