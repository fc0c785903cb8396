/* The hardware-access service: 32-bit I/O ports and mapping of physical memory.
 *
 * travik.dll (narrow build) and travikw.dll (wide build) export these four functions with
 * the standard Windows calling convention and undecorated names; the native programs link
 * the same implementation statically. Every caller passes count 1 and width 32; any other
 * count or width fails (nonzero result, buffer untouched).
 */
#ifndef TRAVIK_H
#define TRAVIK_H

#include <stdint.h>

#ifdef _WIN32
#define TVK_CALL __stdcall
#else
#define TVK_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Reads `count` items of `width` bits from I/O port `port` into `buffer`. 0 = success. */
int TVK_CALL TVK_InPort(uint32_t port, uint32_t* buffer, uint32_t count, uint32_t width);

/* Writes `count` items of `width` bits from `buffer` to I/O port `port`. 0 = success. */
int TVK_CALL TVK_OutPort(uint32_t port, const uint32_t* buffer, uint32_t count, uint32_t width);

/* A linear view of `length` bytes of physical memory at `physAddress`; NULL = failure. */
void* TVK_CALL TVK_MapPhysToLin(uint32_t physAddress, uint32_t length);

/* Releases a view returned by TVK_MapPhysToLin; `length` is the length it was mapped with. */
void TVK_CALL TVK_UnmapPhysToLin(void* linear, uint32_t length);

#ifdef __cplusplus
}
#endif

#endif
