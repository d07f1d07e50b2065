#pragma once
// Flushes to the disk (fsync, fdatasync) this process asked for through the file services; the benches
// count them. Every such flush calls NoteFileFlush.

#include <cstdint>

uint64_t FileFlushCount();
void NoteFileFlush();
