#pragma once

namespace tb {

// Blocks of 64 KiB and more (pictures, canvases, read buffers) get pages of their own from the
// system and give them back as soon as they are freed, instead of staying in the heap as free
// space the process keeps resident. A program that sleeps for months between small redraws
// trades a few microseconds per picture for memory it does not hold. Call before any thread
// starts; a no-op where the C library has no such setting.
void returnLargeBlocksPromptly();
// Gives whole free pages inside the heap back to the system: what start-up and the last
// drawings freed stays free space otherwise, still counted as the program's memory. Takes well
// under a millisecond; meant for a slow clock (once a minute).
void giveBackFreeHeap();

} // namespace tb
