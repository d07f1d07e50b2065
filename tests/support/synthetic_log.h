#pragma once
// HAMLOG folders with synthetic logs over the sample master, for the benchmarks: one per size, made
// once per run in a temporary folder that also holds the benchmarks' program folder.

#include <QString>
#include <cstdint>

// The temporary folder of this run.
QString SyntheticRoot();
// The HAMLOG folder of a log of `qsos` QSOs (seed 20240607), generated the first time it is asked for.
QString SyntheticLogFolder(int64_t qsos);

// A program folder of the run that reads the log of `dir` afresh: the shared settings and reading
// conditions reset, received marks "*" and "E", HAMLOG's path set and its records counted.
void PrepareSyntheticReading(const QString& dir);
