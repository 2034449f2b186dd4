// Keeps the standard descriptors taken, so that no file a program opens can take their place.
#pragma once

// Opens /dev/null onto each of descriptors 0, 1 and 2 that is closed (read-only for 0,
// write-only for 1 and 2). Returns the descriptors that were closed, as the bits 1 << descriptor,
// or -1 when one of them cannot be filled: the program must then open no file, since the first
// file it opened would receive what is meant for the stream.
int FillStandardStreams();
