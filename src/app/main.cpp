#include "platform/ui/application.h"

#include "app/StartProgram.h"
#include "platform/ui/form.h"
#include "platform/ui/look.h"

int main(int argc, char** argv) {
  ProgramApplication app(argc, argv);
  ApplyDesktopLook(app);
  EndProgramWhenAllUnloaded(true);
  if (int code = 0; !StartProgram(&code)) return code;
  const int result = app.exec();
  ReleaseProgramLock();
  return result;
}
