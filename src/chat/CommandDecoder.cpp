#include "chat/CommandDecoder.h"

// The command tables arrive with the memory buttons and the away reply.
void CommandDecoder::CmdDecode(const QString&) { }
