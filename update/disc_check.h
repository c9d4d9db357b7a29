#pragma once

// Decides whether a disc is in the drive and leaves the answer in g_bDiscPresent: 0 only when a
// medium command reports "medium not present" (02/3A/00) or the drive's media event status says
// that no medium is there; 1 in every other case, including a drive that answers nothing.
void CheckDiscPresence();
