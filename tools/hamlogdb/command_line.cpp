// The command line of hamlogdb.
#include <QScopeGuard>
#include <array>
#include <csignal>
#include <functional>
#include <memory>
#include <utility>

#include "hamlogdb.h"
#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/hdb_table.h"
#include "tool_support.h"

namespace hamlogdb {

namespace {

volatile std::sig_atomic_t stopAsked = 0;
void askStop(int) { stopAsked = 1; }

// A write waiting for another program's lock of the log says so once; Ctrl+C ends the wait (nothing is
// written then), as does its cap.
std::function<bool(int32_t)> lockWaitSaying(QTextStream& err) {
  return [&err, before = std::make_shared<std::array<struct sigaction, 2>>()](int32_t look) {
    if (look == 1) {
      stopAsked = 0;
      struct sigaction stop {};
      stop.sa_handler = askStop;
      sigemptyset(&stop.sa_mask);
      sigaction(SIGINT, &stop, &(*before)[0]);
      sigaction(SIGTERM, &stop, &(*before)[1]);
      err << LockedWords(hamlog::WaitedFor()) << ": waiting for it to let go (up to "
          << hamlog::kLockLooks / 100 << " s; Ctrl+C stops)\n";
      err.flush();
    }
    if (look > 0) {
      lastLockHolder = hamlog::WaitedFor();
      return !stopAsked && look <= hamlog::kLockLooks;
    }
    sigaction(SIGINT, &(*before)[0], nullptr);
    sigaction(SIGTERM, &(*before)[1], nullptr);
    return false;
  };
}

constexpr char kUsage[] =
    "usage: hamlogdb create DIR\n"
    "       hamlogdb master DIR FILE [PREFIXES]\n"
    "       hamlogdb import DIR FILE\n"
    "       hamlogdb generate DIR --qsos N [--seed S]\n"
    "       hamlogdb dump DIR [FROM [TO]]\n";

bool number(const QString& text, int64_t& value) {
  bool ok = false;
  value = text.toLongLong(&ok);
  return ok;
}

// A counter on standard error, rewritten in place, at most every 5 % of the run.
Progress counter(QTextStream& err, const QString& what) {
  return [&err, what, last = int64_t(-1)](int64_t done, int64_t total) mutable {
    const int64_t step = std::max<int64_t>(total / 20, 1);
    if (done != total && last >= 0 && done - last < step) return;
    last = done;
    err << '\r' << what << ": " << done << " / " << total << (done == total ? "\n" : "");
    err.flush();
  };
}

}  // namespace

int RunCommandLine(const QStringList& args, QTextStream& out, QTextStream& err) {
  const auto previous = std::exchange(hamlogLib.lockWait, lockWaitSaying(err));
  const auto restore = qScopeGuard([&previous] { hamlogLib.lockWait = previous; });
  const QString command = args.value(0);
  const QString dir = args.value(1);
  Outcome o{2, ""};
  int64_t a = 0, b = 0;
  if (command == "create" && args.size() == 2) {
    o = Create(dir);
  } else if (command == "master" && (args.size() == 3 || args.size() == 4)) {
    o = LoadMaster(dir, args[2], args.value(3));
  } else if (command == "import" && args.size() == 3) {
    o = Import(dir, args[2], counter(err, "import"));
  } else if (command == "generate" && args.size() >= 2) {
    int64_t qsos = -1, seed = 1;
    bool good = args.size() % 2 == 0;
    for (int i = 2; good && i + 1 < args.size(); i += 2) {
      if (args[i] == "--qsos")
        good = number(args[i + 1], qsos) && qsos > 0;
      else if (args[i] == "--seed")
        good = number(args[i + 1], seed) && seed >= 0 && seed <= 0xFFFFFFFFll;
      else
        good = false;
    }
    o = good && qsos > 0 ? Generate(dir, qsos, uint32_t(seed), counter(err, "generate"))
                         : Outcome{1, "generate needs --qsos N (N >= 1) and takes --seed S (0 <= S < 2^32)"};
  } else if (command == "dump" && args.size() >= 2 && args.size() <= 4) {
    const bool good = (args.size() < 3 || number(args[2], a)) && (args.size() < 4 || number(args[3], b));
    o = good ? Dump(dir, args.size() >= 3 ? a : 1, args.size() >= 4 ? b : 0, out)
             : Outcome{1, "FROM and TO are record numbers"};
  } else {
    err << kUsage;
    return 2;
  }
  if (!o.message.isEmpty()) (o.Ok() ? out : err) << o.message << '\n';
  out.flush();
  err.flush();
  return o.exitCode;
}

}  // namespace hamlogdb
