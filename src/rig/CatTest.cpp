#include "rig/CatTest.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

#include "platform/ui/msgbox.h"
#include "platform/vbfile.h"
#include "platform/vbnumber.h"
#include "rig/RigLink.h"
#include "rig/RigPortState.h"

namespace {

// One command out and its answer back, as the CAT test window does it; nothing when the port is closed
// or went away.
std::optional<QString> ask(const QString& command, int32_t length) {
  RigPurgeInput();
  RigPortState.TxCommand = command + ";";
  if (!RigSendText()) return std::nullopt;
  return RigReadText(length, ';');
}

QString cleaned(const QString& answer) { return answer.trimmed().remove(u';'); }

// Runs `body` with CatBusy 5, which always goes back to 0.
void busyExchange(const std::function<void()>& body) {
  RigExchange([body] {
    RigPortState.CatBusy = 5;
    body();
    RigPortState.CatBusy = 0;
  });
}

QString three(int32_t k) { return QString::number(k).rightJustified(3, u'0'); }

}  // namespace

void CatCommandTest(const QString& command, const QString& lengthText,
                    const std::function<void(std::optional<QString>)>& done) {
  // Nothing goes to the rig whose answer could not be read.
  const std::optional<int32_t> length = WholeNumber(lengthText);
  if (!length || *length < 0) {
    done(std::nullopt);
    return;
  }
  busyExchange([=] {
    RigPurgeInput();
    RigPortState.TxCommand = command.trimmed() + ";";
    RigSendText();
    done(cleaned(RigReadText(*length, ';')));
  });
}

std::optional<std::vector<CatListEntry>> ReadCatCommandList(const QString& path, QString* why) {
  VbFile in(path, VbMode::Input);
  if (!in.IsOpen()) {
    if (why) *why = path + "\r\nerr";
    return std::nullopt;
  }
  std::vector<CatListEntry> list;
  QStringList f;
  bool heading = true;
  for (int line = 1; in.InputLine(f); ++line) {
    if (f == QStringList{QString()}) continue;
    if (std::exchange(heading, false)) continue;
    const QString command = f[0];
    const bool counted = command == "EX" || command == "MR" || command == "MT";
    const std::optional<int32_t> length = WholeNumber(f.value(1)), count = WholeNumber(f.value(2));
    // The commands go out as "MR" & three digits: a count beyond that would send other commands.
    QString wrong;
    if (f.size() > 3)
      wrong = QStringLiteral("項目が %1 つあります").arg(f.size());
    else if (command.isEmpty())
      wrong = QStringLiteral("コマンドがありません");
    else if (!length || *length <= 0)
      wrong = QStringLiteral("応答の長さ「%1」が 1 以上の数ではありません").arg(f.value(1));
    else if (counted && (!count || *count < 0 || *count > 999))
      wrong = command + QStringLiteral(" の数「%1」が 0 から 999 の数ではありません").arg(f.value(2));
    if (!wrong.isEmpty()) {
      if (why)
        *why = QStringLiteral(
                   "%1 の %2 行目を読めません: %3\r\n%4\r\n（コマンド,応答の長さ と、EX, MR, MT では読む数）"
                   "\r\nリグには何も送っていません")
                   .arg(path, QString::number(line), f.join(u','), wrong);
      return std::nullopt;
    }
    list.push_back({command, *length, counted ? *count : 0});
  }
  return list;
}

QString RewriteBackupAnswer(const QString& a, bool& aiRewritten) {
  auto from = [&](int position, int count) { return a.mid(position - 1, count); };
  if (a.startsWith("AI")) {
    if (from(3, 1) == "1") {
      aiRewritten = true;
      return "AI0";
    }
  } else if (a.startsWith("AN")) {
    const QString v = from(4, 2);
    if (v == "10") return "AN01";
    if (v == "11" || v == "21") return "AN05";
    if (v == "20") return "AN02";
  } else if (a.startsWith("FT")) {
    if (from(3, 1) == "0") return "FT2";
    if (from(3, 1) == "1") return "FT3";
  } else if (a.startsWith("GT")) {
    const QString v = from(3, 2);
    if (v == "05" || v == "06") return "GT04";
    if (v == "15" || v == "16") return "GT14";
  } else if (a.startsWith("RF")) {
    const QString v = from(4, 1);
    if (v == "4" || v == "5" || v == "6") return "RF00";
  } else if (a.startsWith("RO")) {
    return a.left(3);
  } else if (a.startsWith("VF")) {
    return a.left(4) + "+0";
  }
  return a;
}

void CatBackup(const std::vector<CatListEntry>& list, const QString& backupPath,
               const std::function<void(const CatBackupResult&)>& done) {
  busyExchange([=] {
    CatBackupResult r;
    const QFileInfo info(backupPath);
    VbFile backup(backupPath, VbMode::Output);
    VbFile org(info.dir().filePath("org" + info.fileName()), VbMode::Output);
    auto both = [&](const QString& line) {
      backup.Print({line});
      org.Print({line});
    };
    // The answer, or nothing once the link is gone (the list then ends).
    auto answer = [&](const QString& command, int32_t length) {
      const std::optional<QString> a = ask(command, length);
      if (!a) r.LinkLost = true;
      return a.value_or(QString());
    };
    for (const CatListEntry& e : list) {
      if (r.LinkLost) break;
      if (e.Command == "EX") {
        for (int32_t k = 1; k <= e.Count && !r.LinkLost; ++k) {
          const QString a = cleaned(answer("EX" + three(k), e.Length));
          if (a.startsWith("EX")) both(a);
        }
      } else if (e.Command == "MR" || e.Command == "MT") {
        for (int32_t k = 1; k <= e.Count && !r.LinkLost; ++k) {
          QString a = answer(e.Command + three(k), e.Length);
          if (a.size() != e.Length) continue;
          const QString asRead = e.Command + three(k) + a.mid(5).remove(u';');
          if (e.Command == "MR") {
            // The sixth character from the end (";" counted) marks a locked-out channel.
            if (a.size() >= 6 && a[a.size() - 6] == u'1') a[a.size() - 6] = u'0';
            backup.Print({"MW" + three(k) + a.mid(5).remove(u';')});
            org.Print({asRead});
          } else {
            both(asRead);
          }
        }
      } else {
        const QString a = cleaned(answer(e.Command, e.Length));
        if (r.LinkLost) break;
        // No answer is a refusal too: an empty line would be written back as a bare ";".
        if (a.isEmpty() || a.contains(u'?')) {
          r.Failed += e.Command + ";\r\n";
          continue;
        }
        org.Print({a});
        backup.Print({RewriteBackupAnswer(a, r.AiRewritten)});
      }
    }
    r.Written = backup.Close() & org.Close();
    done(r);
  });
}

QString CatBackupMessage(const CatBackupResult& r) {
  QString m = "読み込み可能な形で保存しました。\r\n   ex MRxxx → MWxxx\r\n";
  if (r.AiRewritten) m += "   AIｺﾏﾝﾄﾞは　1　でしたが　0　に変更しています。\r\n";
  return m + "\r\n念の為、ｵﾘｼﾞﾅﾙの読出しﾃﾞｰﾀを　ﾌｧｲﾙ名の頭に　org　を付加して保存しました。";
}

QString CatBackupFileName(const QString& model, const QDateTime& now, const QString& extension) {
  return model + "_MemoryBackUp_data_" + now.toString("yyMMddhhmmss") + extension;
}

QString CatModelOfListFile(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  return name.left(name.indexOf(u'_') < 0 ? name.size() : name.indexOf(u'_'));
}

std::optional<MemoryBackup> ReadMemoryBackupFile(const QString& path) {
  VbFile in(path, VbMode::Input);
  if (!in.IsOpen()) {
    MsgBox(in.ErrorText() + "\r\nerr");
    return std::nullopt;
  }
  MemoryBackup b;
  QString line;
  while (in.LineInput(line)) {
    b.Lines << line;
    b.Longest = std::max<int32_t>(b.Longest, static_cast<int32_t>(line.size()));
  }
  if (b.Lines.isEmpty()) return std::nullopt;
  return b;
}

void CatWriteBack(const MemoryBackup& backup, const std::function<void(bool allSent)>& done) {
  busyExchange([=] {
    bool allSent = true;
    for (const QString& line : backup.Lines) {
      if (!ask(line, backup.Longest)) {
        allSent = false;
        break;
      }
    }
    done(allSent);
  });
}
