#pragma once
// A service routine for the drive's makers: a 32-bit sum over two ranges of the drive's memory,
// read with READ BUFFER (buffer id 0xB0, mode 2) and queued as a diagnostic text. Nothing in the
// updater calls it.

// Sums the 32-bit little-endian words of drive memory 0x1000..0x1FFF and 0xF40000..0xFF9FFF,
// modulo 2^32, and queues "R7 sum chk(0x1000-0x1FFF, 0xF40000-0xFF9FFF = xxxxxxxx". Each piece
// of 2048 bytes is read into g_pReadBuffer; a read that fails is not retried, and the piece adds
// whatever the buffer then holds. Needs the transfer buffers and an open drive.
void DiagMemoryChecksum();
