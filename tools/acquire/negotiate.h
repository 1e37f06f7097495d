// Negotiation in state 4: transfer mechanism, pixel type, units,
// resolution, brightness, document source and the image layout. Each value
// is checked against what the source offers before it is set, and every
// value agreed is printed as one line, "negotiated: NAME=VALUE ...".
#pragma once
#include "acquire/link.h"

// Returns EXIT_OK or EXIT_NEGOTIATION (session.h).
int NegotiateValues(Link *link, const Options *opt);

// Sets the same values again without asking first: the source forgets values
// set before MSG_ENABLEDS, and asking for the resolution or the brightness
// would reset them. The document source is checked again, since the source
// re-reads its saved choice. Returns EXIT_OK or EXIT_NEGOTIATION.
int ReapplyValues(Link *link, const Options *opt);

// Whether ReapplyValues runs for these options.
bool ReapplyWanted(const Options *opt);

// The TWAIN values of the options.
TW_UINT16 PixelTypeOf(int mode);
const char *PixelTypeName(int pixelType);
TW_UINT16 XferMechOf(int xfer);
