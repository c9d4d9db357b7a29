#pragma once
// A simulated drive described in a text file, so that separate processes (a test, the program
// under test, a simulated ASPI library) can share one drive and see its state carried over.
//
// The file holds one setting a line, "name value"; texts are quoted, byte strings hex:
//   vendor "KESTRAN "
//   product "DVD-RW  XRW-T52A"
//   revision "1.00"
//   date "06/03/20"
//   idbuffer <96 hex digits>
//   readbuffer 1
//   passthrough 1
//   present 1
//   disc <present 0/1> <tray open 0/1> <sense without a disc>
//   download <sub image bytes received> <main image bytes received>
//   mainmodel "..." / mainversion "..." / maindate "..."   (header of the main image received)
//   memory <offset> <hex bytes>   (a run of drive memory, READ BUFFER 0xB0; one line per run)
//   fault <opcode> <buffer id or -> <offset or -> <occurrence> <status|refused|gone|slow>
//         <status> <sense> <delay ms> <seen>
// (opcode, buffer id, status, sense and memory offsets in hex, fault offsets and counts in
// decimal; a sense as six digits KKAAQQ). Lines starting with
// '#' are comments. The drive's journal goes to the file's name with ".journal" appended.

#include <string>

#include "sim_drive.h"

namespace sim {

// Writes drive's description to path and starts an empty journal beside it.
void CreateDriveFile(const std::string& path, const SimDrive& drive);

// A drive backed by the file at path.
SimDrive OpenDriveFile(const std::string& path);

void SaveDriveState(const std::string& path, const SimDrive& drive);
void LoadDriveState(const std::string& path, SimDrive& drive);

} // namespace sim
