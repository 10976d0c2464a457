#include "rip/TransferBuffer.h"

unsigned char TransferBuffer[kTransferBufferSize];
