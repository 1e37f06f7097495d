// One TWAIN session: open the source, negotiate, enable it, wait for its
// event, take the images, disable and close it. Every step prints a line.
#pragma once
#include "acquire/options.h"

// Exit codes of the tool.
enum ExitCode {
    EXIT_OK = 0,          // the expected event came and the source was disabled and closed
    EXIT_USAGE = 1,       // bad command line
    EXIT_SETUP = 2,       // a library, entry point, window or the source itself not found
    EXIT_TRIPLET = 3,     // MSG_OPENDS, MSG_ENABLEDS (without a close request),
                          // MSG_DISABLEDS or MSG_CLOSEDS failed
    EXIT_NO_EVENT = 4,    // neither MSG_XFERREADY nor MSG_CLOSEDSREQ within --timeout
    EXIT_WRONG_EVENT = 5, // the event was not the one --expect asked for
    EXIT_HUNG = 6,        // a call did not return (watchdog; equals WATCHDOG_EXIT)
    EXIT_NEGOTIATION = 7, // a value the source does not offer, or a set it refused
    EXIT_TRANSFER = 8,    // DAT_IMAGEINFO or a transfer failed or was cancelled, or the
                          // source's image or strips were not what it had described
    EXIT_OUTPUT = 9,      // the BMP file could not be written or read back
};

// deadline: GetTickCount() value after which the wait for the event gives up.
int RunSession(const Options *opt, unsigned long deadline);
