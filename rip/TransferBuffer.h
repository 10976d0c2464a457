#pragma once

// The one data buffer of a ripper run: the boot-sector read and every cut
// overwrite it from its start.
constexpr int kTransferBufferSize = 368640;

extern unsigned char TransferBuffer[kTransferBufferSize];
