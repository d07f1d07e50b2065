#pragma once
// The program's start: one copy at a time per program folder, then the start window.

// Takes the program folder's lock (a lock file whose copy is gone is taken over) and loads and shows the
// start window. False, after a message saying why and with `exitCode` 1, when another copy holds the
// lock (then nothing else was done), the program folder takes no file or the start-up ended the
// program; main() then returns `exitCode`.
bool StartProgram(int* exitCode = nullptr);

// Lets the lock go (the program's end; tests).
void ReleaseProgramLock();
