/* Our own extension of the hardware-access service, beside the four TVK_ operations of its
 * contract (travik.h): what the operations reach, for a program to tell its user. travik.dll
 * and travikw.dll export these two functions as well; a service library without them is
 * simply one that says nothing about its machine. Both choose the machine if no operation
 * has done so yet.
 *
 * Each writes its text, cut to `size` - 1 characters and ended by a NUL, into `buffer` (when
 * `size` is not 0) and returns the length of the whole text.
 */
#ifndef TRAVIK_SOURCE_H
#define TRAVIK_SOURCE_H

#include <stdint.h>

#include "travik.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The machine the operations reach, as it is named after the program's name in a window
 * caption: "simulated: embedded machine", "dump: NAME", ...; empty for this computer's own
 * hardware reached in full, and when no machine could be chosen. */
uint32_t TVK_CALL TravikSourceLabel(char* buffer, uint32_t size);

/* Why the configured machine could not be used ("NAME:LINE: ..." for a machine file); empty
 * when a machine was chosen. */
uint32_t TVK_CALL TravikSelectionError(char* buffer, uint32_t size);

#ifdef __cplusplus
}
#endif

#endif
