// How the program's memory allocator keeps freed blocks, set once at start.
#pragma once

// Every frame and every drawing allocates working memory of a few megabytes (a picture's
// rows, an encoder's tables) and frees it again. The C library's defaults hand such blocks
// back to the system at once and raise that limit only with the largest block freed so far,
// so for many frames each one comes back as fresh pages, faulted in one at a time: the first
// animation exported took twice as long as the next. Keeping up to a few tens of megabytes
// for reuse ends that; blocks larger than that (a big export's picture) are still returned.
void KeepFreedMemoryForReuse();
