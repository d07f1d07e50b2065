#pragma once
// A file that could not be read or written, told in the operator's words: the system's reason and what
// the operator can do about it. Every message about a failed file operation is made here.
//
//   MsgBox(FileFaultText(path, " を書き込めませんでした", LastFileError()));
//   -> "/home/op/ORBEX5/x.txt を書き込めませんでした（ディスクに空きがありません）。
//       ディスクに空きを作ってから、もう一度行って下さい。"

#include <QString>

// The system's reason (an errno value) in the operator's words: a full disk, a read-only file or folder,
// a missing file ... ("ディスクに空きがありません").
QString FileErrorReason(int err);

// What the operator can do about it ("ディスクに空きを作ってから、もう一度行って下さい。"); "" when there
// is nothing to say.
QString FileErrorAdvice(int err);

// The reason of a failed operation on `path`: `err` when the system gave one, else what the disk shows
// now (a folder where the file belongs, a full or read-only disk, a folder that takes no file); 0 when
// nothing shows.
int FileFaultCause(const QString& path, int err = 0);

// path + what + "（reason）。" and, on the next line, the advice.
QString FileFaultText(const QString& path, const QString& what, int err);
