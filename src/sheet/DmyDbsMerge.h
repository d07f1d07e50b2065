#pragma once
// New work-file lines put into an already sorted DMYDBS.DAT: the cost follows the new lines, not the
// file, so that an append to a large log sorts only what it read.

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

// True when plain work-file bytes (IsPlainDmyDbs) are in the file's sorted order.
bool DmyDbsIsSorted(QByteArrayView data);

// `sortedNew`, plain and sorted, put into the plain sorted `sorted`: what sorting their joined bytes
// stably gives, made in place so that the cost is a move of the lines, not a new array. The line
// numbers (0-based, ascending) that the new lines take go to `newLines`.
void MergeIntoSortedDmyDbs(QByteArray& sorted, QByteArrayView sortedNew, std::vector<qsizetype>& newLines);
