// MMQSL is a Windows program driven through its automation object; nothing on Linux takes its place.

#include "platform/automation/automation.h"
#include "platform/ui/testhooks.h"

namespace {

MmqslFactory& Factory() {
  static MmqslFactory f;
  return f;
}

}  // namespace

std::unique_ptr<Mmqsl> NewMmqsl(QString& why) {
  if (Factory()) return Factory()(why);
  why = QStringLiteral("MMQSL は Windows のプログラムで、Linux 版の ORBEX5 からは操作できません。") +
        "\r\n" + QStringLiteral("QSLカードは印刷されず、HAMLOG の Sendマークも付けていません。");
  return nullptr;
}

MmqslFactory SetMmqslFactory(MmqslFactory factory) { return ReplaceHook(Factory(), std::move(factory)); }
