// State the transfer set-up triplets keep for the transfers.
#pragma once
#include "ds/twain_types.h"

extern char FileTransferName[256];     // "" until DAT_SETUPFILEXFER names one
extern TW_UINT16 FileTransferFormat;   // 0 until then
extern bool PlaceholderImage;          // image information could not prepare a scan
